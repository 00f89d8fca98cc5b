#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// The logical pixels per inch over 96, horizontally and vertically, of the
// monitor the main window is on: measured at start-up and set again when the
// window moves to a monitor of another scale. Every pixel size of the user
// interface is a base value times one of them, truncated toward zero.
extern double scaleX;
extern double scaleY;

void MeasureDisplayScale(HDC screen);
void SetDisplayScale(int dpiX, int dpiY);
// The pixels per inch the vertical scale stands for.
int DisplayDpiY();
// The window's own pixels per inch where the system tells (per monitor),
// else 0.
int WindowDpi(HWND window);

inline int ScaleX(int pixels) {
    return static_cast<int>(pixels * scaleX);
}
inline int ScaleY(int pixels) {
    return static_cast<int>(pixels * scaleY);
}

// A length the system measured for its own pixels per inch (a font of its
// metrics), at the display scale.
int ScaleSystemLength(int pixels);

}  // namespace qwin
}  // namespace kiln
