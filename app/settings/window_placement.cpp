#include "app/settings/window_placement.h"

#include <algorithm>

namespace {

long Width(const RECT& r) {
    return r.right - r.left;
}
long Height(const RECT& r) {
    return r.bottom - r.top;
}

long OverlapArea(const RECT& a, const RECT& b) {
    RECT overlap{};
    return IntersectRect(&overlap, &a, &b) ? Width(overlap) * Height(overlap) : 0;
}

// A rectangle of this size at this place, inside area, and no smaller than
// the window can be (which the system would otherwise grow it to, past the
// area's edge).
RECT FitInto(const RECT& area, long left, long top, long width, long height, SIZE smallest) {
    width = std::min(std::max(width, smallest.cx), Width(area));
    height = std::min(std::max(height, smallest.cy), Height(area));
    left = std::clamp(left, area.left, area.right - width);
    top = std::clamp(top, area.top, area.bottom - height);
    return RECT{left, top, left + width, top + height};
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, RECT*, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    auto& list = *reinterpret_cast<std::vector<RECT>*>(areas);
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
        list.insert(list.begin(), info.rcWork);
    } else {
        list.push_back(info.rcWork);
    }
    return TRUE;
}

}  // namespace

RECT PlaceWindow(const RECT& remembered, const std::vector<RECT>& workAreas, SIZE smallest) {
    if (workAreas.empty()) return remembered;
    const bool rememberedAny = Width(remembered) > 0 && Height(remembered) > 0;
    const RECT* best = nullptr;
    long bestOverlap = 0;
    for (const RECT& area : workAreas) {
        const long overlap = rememberedAny ? OverlapArea(area, remembered) : 0;
        if (overlap > bestOverlap) {
            best = &area;
            bestOverlap = overlap;
        }
    }
    if (best) return FitInto(*best, remembered.left, remembered.top, Width(remembered), Height(remembered), smallest);
    const RECT& primary = workAreas.front();
    const long width = std::min(std::max(rememberedAny ? Width(remembered) : Width(primary) / 2, smallest.cx),
                                Width(primary));
    const long height = std::min(std::max(rememberedAny ? Height(remembered) : Height(primary) / 2, smallest.cy),
                                 Height(primary));
    return FitInto(primary, primary.left + (Width(primary) - width) / 2, primary.top + (Height(primary) - height) / 2,
                   width, height, smallest);
}

std::vector<RECT> MonitorWorkAreas() {
    std::vector<RECT> areas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}
