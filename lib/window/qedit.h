#pragma once

#include "window/qwindow.h"

namespace kiln {
namespace qwin {

// The system's edit control. Its class is the system's "EDIT", so the library
// registers nothing for it; a derived box that handles its own keys subclasses it.
class QEdit : public QWindow {
public:
    using QWindow::Create;

    const wchar_t* GetClassName() const override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;

    // A visible child at rect; style adds to WS_CHILD | WS_VISIBLE.
    bool Create(HWND parent, const RECT& rect, int id, DWORD style);
};

}  // namespace qwin
}  // namespace kiln
