#pragma once

#include "window/qwindow.h"

// <windows.h> maps LoadAccelerators to LoadAcceleratorsW (see GetClassName).
#ifdef LoadAccelerators
#undef LoadAccelerators
#endif

namespace kiln {
namespace qwin {

// A top-level frame: an optional view fills its client area, and its
// accelerators are translated before any window sees the keys, so they
// reach the frame as WM_COMMAND whichever child has the focus.
class QMainFrame : public QWindow {
public:
    QMainFrame() = default;
    ~QMainFrame() override;

    bool PreTranslateMessage(MSG* msg) override;
    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnDestroy() override;
    bool OnEraseBackground(QGraphics& graphics) override;
    bool OnPaint(QPaintGraphics& graphics) override;
    bool OnSetFocus(HWND losingFocus) override;

    // From the program's resources; false when there is no such table.
    virtual bool LoadAccelerators(UINT resourceId);

    void SetView(QWindow* newView) { view = newView; }
    // Whether the last size change maximised the frame.
    bool IsMaximizedLayout() const { return maximizedLayout; }

protected:
    QString title;
    QWindow* view = nullptr;
    bool maximizedLayout = false;
    HACCEL accelerators = nullptr;
};

}  // namespace qwin
}  // namespace kiln
