#pragma once

#include <windows.h>

#include <vector>

// Where the main window opens, given the rectangle remembered from the last
// run and the work area of every monitor, the primary one first. The
// rectangle goes back onto the monitor that holds most of it, moved (and
// shrunk where it is larger) into that monitor's work area. When it lies on
// no monitor (the monitor is gone) or nothing was remembered (an empty
// rectangle), the window keeps the remembered size, or half the work area,
// centred on the primary monitor. It is never smaller than smallest (the
// window's minimum at the display's scale), as far as the work area allows.
RECT PlaceWindow(const RECT& remembered, const std::vector<RECT>& workAreas, SIZE smallest = SIZE{0, 0});

// The work areas of the monitors attached now, the primary one first.
std::vector<RECT> MonitorWorkAreas();
