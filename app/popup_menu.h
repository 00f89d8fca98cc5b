#pragma once

#include <windows.h>

// Shows popup `index` of the program's menu resource at a screen point, with
// a white background on it and its submenus, and answers the chosen command
// (0 when none). A point on no monitor has its x moved into the nearest
// monitor's work area. `flags` add alignment and button flags.
UINT TrackProgramPopup(int index, POINT screenPoint, HWND owner, UINT flags);
