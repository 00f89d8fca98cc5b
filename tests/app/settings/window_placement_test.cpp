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

// A window whose smallest size (it grows with the display's scale) exceeds
// what was remembered is placed at that size inside the work area, not grown
// by the system past the area's edge.
TEST(WindowPlacementTest, TheWindowIsPlacedNoSmallerThanItsMinimum) {
    const struct {
        const char* what;
        RECT remembered;
        SIZE smallest;
        RECT placed;
    } cases[] = {
        {"near the right edge", {1500, 100, 1900, 400}, {960, 720}, {960, 100, 1920, 820}},
        {"nothing remembered: centred at the minimum", {0, 0, 0, 0}, {1200, 720}, {360, 160, 1560, 880}},
        {"on a monitor no longer there", {3000, 100, 3400, 400}, {960, 720}, {480, 160, 1440, 880}},
        {"larger than the minimum: as it was", {100, 100, 1300, 900}, {960, 720}, {100, 100, 1300, 900}},
        {"a minimum beyond the monitor: the whole work area", {-1200, -100, -800, 300}, {1400, 1100},
         {-1280, -200, 0, 824}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RECT placed = PlaceWindow(c.remembered, kTwoMonitors, c.smallest);
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
