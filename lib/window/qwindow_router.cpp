// The one place where window messages are decoded: handlers receive named
// arguments and never take wParam or lParam apart themselves.

#include <dwmapi.h>
#include <windowsx.h>

#include "window/qgraphics.h"
#include "window/qwindow.h"

namespace kiln {
namespace qwin {

namespace {

POINT PointFrom(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

const WORD kFirstXButton = 1;  // XBUTTON1 in the high word of wParam
// From the tablet headers, which the rest of this file does not need.
const UINT kTabletQuerySystemGestureStatus = 0x02CC;

}  // namespace

bool QWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    POINT point = PointFrom(lParam);
    const UINT keys = GET_KEYSTATE_WPARAM(wParam);
    const UINT hitCode = static_cast<UINT>(wParam);
    const bool firstXButton = GET_XBUTTON_WPARAM(wParam) == kFirstXButton;

    switch (msg) {
    // Life cycle
    case WM_CREATE: return OnCreate();
    case WM_NCCREATE: return OnNcCreate();
    case WM_DESTROY: return OnDestroy();
    case WM_NCDESTROY: return OnNcDestroy();
    case WM_CLOSE:
        if (OnClose()) DestroyWindow(handle);
        return true;
    case WM_QUERYENDSESSION:
        *result = OnQueryEndSession(lParam) ? TRUE : FALSE;
        return true;
    case WM_ENDSESSION: return OnEndSession(wParam != FALSE, lParam);

    // Commands and notifications
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND: return OnSysCommand(static_cast<UINT>(wParam & 0xFFF0), lParam);
    case WM_NOTIFY:
        return OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam), result);
    case WM_PARENTNOTIFY: return OnParentNotify(LOWORD(wParam), HIWORD(wParam), lParam);
    case WM_TIMER: return OnTimer(wParam);
    case WM_HOTKEY: return OnHotKey(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));

    // Size and position
    case WM_SIZE: return OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_MOVE: return OnMove(point.x, point.y);
    case WM_MOVING: return OnMoving(reinterpret_cast<RECT*>(lParam));
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_WINDOWPOSCHANGING: return OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
    case WM_WINDOWPOSCHANGED: return OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));

    // Painting and colours: the device contexts belong to the message.
    case WM_PAINT:
    case WM_DISPLAYCHANGE: {
        QPaintGraphics graphics(handle);
        if (!OnPaint(graphics)) return false;
        // A handled paint validates the region even where it drew nothing,
        // or the window would be sent WM_PAINT again and again.
        graphics.GetHandle();
        return true;
    }
    case WM_ERASEBKGND: {
        QBorrowedGraphics graphics(reinterpret_cast<HDC>(wParam));
        if (!OnEraseBackground(graphics)) return false;
        *result = 1;
        return true;
    }
    case WM_CTLCOLOREDIT: {
        QBorrowedGraphics graphics(reinterpret_cast<HDC>(wParam));
        return OnCtlColorEdit(graphics, result);
    }
    case WM_CTLCOLORDLG: {
        QBorrowedGraphics graphics(reinterpret_cast<HDC>(wParam));
        return OnCtlColorDlg(graphics, result);
    }
    case WM_CTLCOLORLISTBOX: {
        QBorrowedGraphics graphics(reinterpret_cast<HDC>(wParam));
        return OnCtlColorListBox(graphics, result);
    }
    case WM_CTLCOLORBTN: {
        QBorrowedGraphics graphics(reinterpret_cast<HDC>(wParam));
        return OnCtlColorBtn(graphics, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), result);
    }
    case WM_CTLCOLORSTATIC: {
        QBorrowedGraphics graphics(reinterpret_cast<HDC>(wParam));
        return OnCtlColorStatic(graphics, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), result);
    }
    case WM_NCPAINT: return OnNcPaint(reinterpret_cast<HRGN>(wParam));
    case WM_THEMECHANGED: return OnThemeChanged();
    case WM_SYSCOLORCHANGE: return OnSysColorChange();
    case WM_DWMCOMPOSITIONCHANGED: return OnDwmCompositionChanged();
    case WM_DPICHANGED:
        return OnDpiChanged(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));

    // Mouse in the client area
    case WM_LBUTTONDOWN: return OnLButtonDown(keys, &point);
    case WM_LBUTTONUP: return OnLButtonUp(keys, &point);
    case WM_LBUTTONDBLCLK: return OnLButtonDblClk(keys, &point);
    case WM_RBUTTONDOWN: return OnRButtonDown(keys, &point);
    case WM_RBUTTONUP: return OnRButtonUp(keys, &point);
    case WM_RBUTTONDBLCLK: return OnRButtonDblClk(keys, &point);
    case WM_MBUTTONDOWN: return OnMButtonDown(keys, &point);
    case WM_MBUTTONUP: return OnMButtonUp(keys, &point);
    case WM_MBUTTONDBLCLK: return OnMButtonDblClk(keys, &point);
    case WM_XBUTTONDOWN: return firstXButton ? OnXButton1Down(keys, &point) : OnXButton2Down(keys, &point);
    case WM_XBUTTONUP: return firstXButton ? OnXButton1Up(keys, &point) : OnXButton2Up(keys, &point);
    case WM_XBUTTONDBLCLK:
        return firstXButton ? OnXButton1DblClk(keys, &point) : OnXButton2DblClk(keys, &point);
    case WM_MOUSEMOVE: return OnMouseMove(keys, &point);
    case WM_MOUSEHOVER: return OnMouseHover(keys, &point);
    case WM_MOUSELEAVE: return OnMouseLeave();
    case WM_MOUSEWHEEL: return OnMouseWheel(keys, GET_WHEEL_DELTA_WPARAM(wParam), &point);
    case WM_MOUSEHWHEEL: return OnMouseHWheel(keys, GET_WHEEL_DELTA_WPARAM(wParam), &point);
    case WM_CONTEXTMENU: return OnContextMenu(reinterpret_cast<HWND>(wParam), &point);
    case WM_CAPTURECHANGED: return OnCaptureChanged();
    case WM_SETCURSOR:
        if (!OnSetCursor(LOWORD(lParam), HIWORD(lParam))) return false;
        *result = TRUE;
        return true;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam), result);

    // Non-client area
    case WM_NCACTIVATE: return OnNcActivate(wParam != FALSE, result);
    case WM_NCCALCSIZE:
        return OnNcCalcSize(wParam != FALSE, reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam));
    case WM_NCHITTEST:
        DwmDefWindowProc(handle, msg, wParam, lParam, result);
        return OnNcHitTest(&point, result);
    case WM_NCMOUSEMOVE: return OnNcMouseMove(hitCode, &point);
    case WM_NCMOUSEHOVER: return OnNcMouseHover(hitCode, &point);
    case WM_NCMOUSELEAVE: return OnNcMouseLeave();
    case WM_NCLBUTTONDOWN: return OnNcLButtonDown(hitCode, &point);
    case WM_NCLBUTTONUP: return OnNcLButtonUp(hitCode, &point);
    case WM_NCLBUTTONDBLCLK: return OnNcLButtonDblClk(hitCode, &point);
    case WM_NCRBUTTONDOWN: return OnNcRButtonDown(hitCode, &point);
    case WM_NCRBUTTONUP: return OnNcRButtonUp(hitCode, &point);
    case WM_NCRBUTTONDBLCLK: return OnNcRButtonDblClk(hitCode, &point);
    case WM_NCMBUTTONDOWN: return OnNcMButtonDown(hitCode, &point);
    case WM_NCMBUTTONUP: return OnNcMButtonUp(hitCode, &point);
    case WM_NCMBUTTONDBLCLK: return OnNcMButtonDblClk(hitCode, &point);
    case WM_NCXBUTTONDOWN: {
        const UINT code = GET_NCHITTEST_WPARAM(wParam);
        return firstXButton ? OnNcXButton1Down(code, &point) : OnNcXButton2Down(code, &point);
    }
    case WM_NCXBUTTONUP: {
        const UINT code = GET_NCHITTEST_WPARAM(wParam);
        return firstXButton ? OnNcXButton1Up(code, &point) : OnNcXButton2Up(code, &point);
    }
    case WM_NCXBUTTONDBLCLK: {
        const UINT code = GET_NCHITTEST_WPARAM(wParam);
        return firstXButton ? OnNcXButton1DblClk(code, &point) : OnNcXButton2DblClk(code, &point);
    }

    // Keyboard, focus and scrolling
    case WM_CHAR: return OnChar(static_cast<UINT>(wParam), LOWORD(lParam), lParam);
    case WM_SYSCHAR: return OnSysChar(static_cast<UINT>(wParam), LOWORD(lParam), lParam);
    case WM_KEYDOWN: return OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), lParam);
    case WM_KEYUP: return OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), lParam);
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return false;
    case WM_GETDLGCODE: return OnGetDlgCode(reinterpret_cast<MSG*>(lParam), result);
    case WM_SETFOCUS: return OnSetFocus(reinterpret_cast<HWND>(wParam));
    case WM_KILLFOCUS: return OnKillFocus(reinterpret_cast<HWND>(wParam));
    case WM_VSCROLL: return OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
    case WM_HSCROLL: return OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));

    // Activation
    case WM_ACTIVATEAPP: return OnActivateApp(wParam != FALSE, static_cast<DWORD>(lParam));
    case WM_ACTIVATE:
        return OnActivate(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam) != 0);

    // Shell, clipboard, devices, touch
    case WM_DROPFILES: return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    case WM_DRAWCLIPBOARD: return OnDrawClipboard();
    case WM_CHANGECBCHAIN:
        return OnChangeCBChain(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DEVICECHANGE: return OnDeviceChange(static_cast<UINT>(wParam), static_cast<DWORD_PTR>(lParam));
    case WM_TOUCH: return OnTouch(reinterpret_cast<HTOUCHINPUT>(lParam), LOWORD(wParam));
    case WM_GETOBJECT: return OnGetObject(wParam, lParam, result);
    case kTabletQuerySystemGestureStatus: return OnTabletQuerySystemGestureStatus(point.x, point.y, result);
    case WM_GESTURENOTIFY: return OnGestureNotify(reinterpret_cast<GESTURENOTIFYSTRUCT*>(lParam));
    case WM_GESTURE: return OnGesture(reinterpret_cast<HGESTUREINFO>(lParam));

    default:
        if (msg >= WM_USER) return OnUserMessage(msg, wParam, lParam, result);
        return false;
    }
}

}  // namespace qwin
}  // namespace kiln
