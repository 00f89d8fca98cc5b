#include "window/qmainframe.h"

#include "window/qgraphics.h"

namespace kiln {
namespace qwin {

QMainFrame::~QMainFrame() {
    if (accelerators) DestroyAcceleratorTable(accelerators);
}

bool QMainFrame::PreTranslateMessage(MSG* msg) {
    if (!accelerators || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
    return TranslateAcceleratorW(handle, accelerators, msg) != 0;
}

const wchar_t* QMainFrame::GetClassName() const {
    return L"MF";
}

bool QMainFrame::PreRegisterClass(WNDCLASSW& windowClass) {
    QWindow::PreRegisterClass(windowClass);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return true;
}

bool QMainFrame::PreCreateWindow(CREATESTRUCTW& create) {
    QWindow::PreCreateWindow(create);
    create.lpszName = title.c_str();
    return true;
}

bool QMainFrame::OnCommand(int, int, HWND) {
    return true;
}

bool QMainFrame::OnSize(UINT type, int cx, int cy) {
    maximizedLayout = type == SIZE_MAXIMIZED;
    if (view && view->GetHandle()) {
        SetWindowPos(view->GetHandle(), nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return false;
}

bool QMainFrame::OnDestroy() {
    PostQuitMessage(0);
    return false;
}

bool QMainFrame::OnEraseBackground(QGraphics&) {
    return view != nullptr;
}

bool QMainFrame::OnPaint(QPaintGraphics&) {
    return true;
}

bool QMainFrame::OnSetFocus(HWND) {
    if (view && view->GetHandle()) SetFocus(view->GetHandle());
    return false;
}

bool QMainFrame::LoadAccelerators(UINT resourceId) {
    HACCEL loaded = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
    if (!loaded) return false;
    if (accelerators) DestroyAcceleratorTable(accelerators);
    accelerators = loaded;
    return true;
}

}  // namespace qwin
}  // namespace kiln
