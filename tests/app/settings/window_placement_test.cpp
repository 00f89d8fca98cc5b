#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "app/settings/window_placement.h"

namespace {

bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

// A primary monitor of 1920x1080 with its taskbar below (work area 1040
// high), and a second one of 1280x1024 to its left, a little higher.
const std::vector<RECT> kTwoMonitors = {{0, 0, 1920, 1040}, {-1280, -200, 0, 824}};

TEST(WindowPlacementTest, TheWindowReturnsToItsMonitorFittedIntoTheWorkArea) {
    struct Case {
        const char* what;
        RECT remembered;
        RECT placed;
    };
    const Case cases[] = {
        {"wholly on the primary monitor", {100, 100, 900, 700}, {100, 100, 900, 700}},
        {"wholly on the second monitor", {-1200, -100, -400, 500}, {-1200, -100, -400, 500}},
        {"below the primary's taskbar", {100, 600, 900, 1200}, {100, 440, 900, 1040}},
        {"half off the right edge", {1500, 100, 2300, 700}, {1120, 100, 1920, 700}},
        {"mostly on the second monitor, across the seam", {-700, 100, 100, 700}, {-800, 100, 0, 700}},
        {"larger than its monitor", {-1300, -300, 100, 900}, {-1280, -200, 0, 824}},
        {"on a monitor no longer there: centred on the primary", {3000, 100, 3800, 700}, {560, 220, 1360, 820}},
        {"nothing remembered: half the primary, centred", {0, 0, 0, 0}, {480, 260, 1440, 780}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT placed = PlaceWindow(c.remembered, kTwoMonitors);
        EXPECT_TRUE(placed == c.placed) << placed.left << "," << placed.top << "," << placed.right << ","
                                        << placed.bottom;
    }
}

TEST(WindowPlacementTest, TheMonitorsOfThisSystemArePrimaryFirst) {
    const std::vector<RECT> areas = MonitorWorkAreas();
    ASSERT_FALSE(areas.empty());
    const POINT origin{0, 0};
    // The primary monitor is the one at the origin of the virtual screen.
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info));
    EXPECT_TRUE(areas.front() == info.rcWork);
}

}  // namespace
