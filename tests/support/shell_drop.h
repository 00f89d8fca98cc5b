#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace guitest {

// The drop the shell hands a window for these paths: a DROPFILES header at
// `point` followed by the wide paths, each ended by a zero, and one more zero
// at the end. The receiver owns it (DragFinish); null when no memory is left.
HDROP MakeShellDrop(const std::vector<std::wstring>& paths, POINT point = {20, 20});

}  // namespace guitest
