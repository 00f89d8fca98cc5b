#include "window/display_scale.h"

#include <cmath>

namespace kiln {
namespace qwin {

namespace {
// 1/96, as the factors have always been computed: keeping the same constant
// keeps every truncated size the same.
const double kPerDot = 0.010416667;

int SystemDpiY() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}
}  // namespace

double scaleX = 1.0;
double scaleY = 1.0;

void MeasureDisplayScale(HDC screen) {
    SetDisplayScale(GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY));
}

void SetDisplayScale(int dpiX, int dpiY) {
    scaleX = dpiX * kPerDot;
    scaleY = dpiY * kPerDot;
}

int DisplayDpiY() {
    return static_cast<int>(std::lround(scaleY * 96));
}

int WindowDpi(HWND window) {
    // Windows 10 1607 and later; before, one scale holds for every monitor.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return dpiForWindow ? static_cast<int>(dpiForWindow(window)) : 0;
}

int ScaleSystemLength(int pixels) {
    return MulDiv(pixels, DisplayDpiY(), SystemDpiY());
}

}  // namespace qwin
}  // namespace kiln
