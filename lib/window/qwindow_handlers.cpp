// What QWindow does with a message that a derived class did not take over.
// Most handlers decline, so that the default window procedure answers.

#include "window/qgraphics.h"
#include "window/qwindow.h"

namespace kiln {
namespace qwin {

bool QWindow::PreTranslateMessage(MSG*) { return false; }

const wchar_t* QWindow::GetClassName() const { return L"QW"; }

bool QWindow::PreRegisterClass(WNDCLASSW& windowClass) {
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = InitialWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = GetClassName();
    return true;
}

bool QWindow::PreCreateWindow(CREATESTRUCTW& create) {
    create.x = CW_USEDEFAULT;
    create.y = CW_USEDEFAULT;
    create.cx = CW_USEDEFAULT;
    create.cy = CW_USEDEFAULT;
    create.style = 0;
    create.lpCreateParams = this;
    return true;
}

void QWindow::OnInitialize() {}

bool QWindow::OnCreate() { return true; }

bool QWindow::OnClose() { return true; }

bool QWindow::OnQueryEndSession(LPARAM) { return true; }

bool QWindow::OnEndSession(bool, LPARAM) { return false; }

bool QWindow::OnThemeChanged() {
    InvalidateRect(handle, nullptr, TRUE);
    return false;
}

bool QWindow::OnMouseActivate(HWND, UINT, UINT, LRESULT* result) {
    *result = MA_ACTIVATE;
    return false;
}

bool QWindow::OnNcActivate(bool active, LRESULT* result) {
    if (!active) *result = 1;
    return false;
}

bool QWindow::OnTabletQuerySystemGestureStatus(int, int, LRESULT* result) {
    *result = 0;
    return true;
}

bool QWindow::OnCommand(int, int, HWND) { return false; }
bool QWindow::OnSysCommand(UINT, LPARAM) { return false; }
bool QWindow::OnUserMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
bool QWindow::OnNotify(int, NMHDR*, LRESULT*) { return false; }
bool QWindow::OnParentNotify(UINT, UINT, LPARAM) { return false; }
bool QWindow::OnTimer(UINT_PTR) { return false; }
bool QWindow::OnHotKey(int, UINT, UINT) { return false; }
bool QWindow::OnNcCreate() { return false; }
bool QWindow::OnDestroy() { return false; }
bool QWindow::OnNcDestroy() { return false; }
bool QWindow::OnSize(UINT, int, int) { return false; }
bool QWindow::OnGetMinMaxInfo(MINMAXINFO*) { return false; }
bool QWindow::OnMove(int, int) { return false; }
bool QWindow::OnMoving(RECT*) { return false; }
bool QWindow::OnWindowPosChanging(WINDOWPOS*) { return false; }
bool QWindow::OnWindowPosChanged(WINDOWPOS*) { return false; }
bool QWindow::OnEraseBackground(QGraphics&) { return false; }
bool QWindow::OnPaint(QPaintGraphics&) { return false; }
bool QWindow::OnNcPaint(HRGN) { return false; }
bool QWindow::OnCtlColorEdit(QGraphics&, LRESULT*) { return false; }
bool QWindow::OnCtlColorDlg(QGraphics&, LRESULT*) { return false; }
bool QWindow::OnCtlColorListBox(QGraphics&, LRESULT*) { return false; }
bool QWindow::OnCtlColorBtn(QGraphics&, int, LRESULT*) { return false; }
bool QWindow::OnCtlColorStatic(QGraphics&, int, LRESULT*) { return false; }
bool QWindow::OnSysColorChange() { return false; }
bool QWindow::OnDwmCompositionChanged() { return false; }
bool QWindow::OnDpiChanged(int, int, const RECT*) { return false; }
bool QWindow::OnLButtonDown(UINT, POINT*) { return false; }
bool QWindow::OnLButtonUp(UINT, POINT*) { return false; }
bool QWindow::OnLButtonDblClk(UINT, POINT*) { return false; }
bool QWindow::OnRButtonDown(UINT, POINT*) { return false; }
bool QWindow::OnRButtonUp(UINT, POINT*) { return false; }
bool QWindow::OnRButtonDblClk(UINT, POINT*) { return false; }
bool QWindow::OnMButtonDown(UINT, POINT*) { return false; }
bool QWindow::OnMButtonUp(UINT, POINT*) { return false; }
bool QWindow::OnMButtonDblClk(UINT, POINT*) { return false; }
bool QWindow::OnXButton1Down(UINT, POINT*) { return false; }
bool QWindow::OnXButton2Down(UINT, POINT*) { return false; }
bool QWindow::OnXButton1Up(UINT, POINT*) { return false; }
bool QWindow::OnXButton2Up(UINT, POINT*) { return false; }
bool QWindow::OnXButton1DblClk(UINT, POINT*) { return false; }
bool QWindow::OnXButton2DblClk(UINT, POINT*) { return false; }
bool QWindow::OnMouseMove(UINT, POINT*) { return false; }
bool QWindow::OnMouseHover(UINT, POINT*) { return false; }
bool QWindow::OnMouseLeave() { return false; }
bool QWindow::OnMouseWheel(UINT, int, POINT*) { return false; }
bool QWindow::OnMouseHWheel(UINT, int, POINT*) { return false; }
bool QWindow::OnContextMenu(HWND, POINT*) { return false; }
bool QWindow::OnCaptureChanged() { return false; }
bool QWindow::OnSetCursor(UINT, UINT) { return false; }
bool QWindow::OnNcCalcSize(bool, NCCALCSIZE_PARAMS*) { return false; }
bool QWindow::OnNcHitTest(POINT*, LRESULT*) { return false; }
bool QWindow::OnNcMouseMove(UINT, POINT*) { return false; }
bool QWindow::OnNcMouseHover(UINT, POINT*) { return false; }
bool QWindow::OnNcMouseLeave() { return false; }
bool QWindow::OnNcLButtonDown(UINT, POINT*) { return false; }
bool QWindow::OnNcLButtonUp(UINT, POINT*) { return false; }
bool QWindow::OnNcLButtonDblClk(UINT, POINT*) { return false; }
bool QWindow::OnNcRButtonDown(UINT, POINT*) { return false; }
bool QWindow::OnNcRButtonUp(UINT, POINT*) { return false; }
bool QWindow::OnNcRButtonDblClk(UINT, POINT*) { return false; }
bool QWindow::OnNcMButtonDown(UINT, POINT*) { return false; }
bool QWindow::OnNcMButtonUp(UINT, POINT*) { return false; }
bool QWindow::OnNcMButtonDblClk(UINT, POINT*) { return false; }
bool QWindow::OnNcXButton1Down(UINT, POINT*) { return false; }
bool QWindow::OnNcXButton2Down(UINT, POINT*) { return false; }
bool QWindow::OnNcXButton1Up(UINT, POINT*) { return false; }
bool QWindow::OnNcXButton2Up(UINT, POINT*) { return false; }
bool QWindow::OnNcXButton1DblClk(UINT, POINT*) { return false; }
bool QWindow::OnNcXButton2DblClk(UINT, POINT*) { return false; }
bool QWindow::OnChar(UINT, UINT, LPARAM) { return false; }
bool QWindow::OnSysChar(UINT, UINT, LPARAM) { return false; }
bool QWindow::OnKeyDown(UINT, UINT, LPARAM) { return false; }
bool QWindow::OnKeyUp(UINT, UINT, LPARAM) { return false; }
bool QWindow::OnGetDlgCode(MSG*, LRESULT*) { return false; }
bool QWindow::OnSetFocus(HWND) { return false; }
bool QWindow::OnKillFocus(HWND) { return false; }
bool QWindow::OnVScroll(UINT, int) { return false; }
bool QWindow::OnHScroll(UINT, int) { return false; }
bool QWindow::OnActivateApp(bool, DWORD) { return false; }
bool QWindow::OnActivate(HWND, UINT, bool) { return false; }
bool QWindow::OnDropFiles(HDROP) { return false; }
bool QWindow::OnDrawClipboard() { return false; }
bool QWindow::OnChangeCBChain(HWND, HWND) { return false; }
bool QWindow::OnDeviceChange(UINT, DWORD_PTR) { return false; }
bool QWindow::OnTouch(HTOUCHINPUT, UINT) { return false; }
bool QWindow::OnGetObject(WPARAM, LPARAM, LRESULT*) { return false; }
bool QWindow::OnGestureNotify(GESTURENOTIFYSTRUCT*) { return false; }
bool QWindow::OnGesture(HGESTUREINFO) { return false; }
}  // namespace qwin
}  // namespace kiln
