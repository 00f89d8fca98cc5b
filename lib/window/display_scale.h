#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// The screen's logical pixels per inch over 96, horizontally and vertically,
// measured once at start-up. Every pixel size of the user interface is a base
// value times one of them, truncated toward zero.
extern double scaleX;
extern double scaleY;

void MeasureDisplayScale(HDC screen);

inline int ScaleX(int pixels) {
    return static_cast<int>(pixels * scaleX);
}
inline int ScaleY(int pixels) {
    return static_cast<int>(pixels * scaleY);
}

}  // namespace qwin
}  // namespace kiln
