#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// A window that does not redraw for one scope, however the scope ends; it
// redraws whole at the end.
class QRedrawOff {
public:
    explicit QRedrawOff(HWND window) : window(window) { SendMessageW(window, WM_SETREDRAW, FALSE, 0); }
    QRedrawOff(const QRedrawOff&) = delete;
    QRedrawOff& operator=(const QRedrawOff&) = delete;
    ~QRedrawOff() {
        SendMessageW(window, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window, nullptr, TRUE);
    }

private:
    HWND window;
};

}  // namespace qwin
}  // namespace kiln
