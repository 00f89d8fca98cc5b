#pragma once

#include <windows.h>

#include "core/qstring.h"

// <windows.h> maps GetClassName to GetClassNameW; the member below would be
// renamed by that macro in some translation units and not in others. The
// library calls the W function by its explicit name.
#ifdef GetClassName
#undef GetClassName
#endif

namespace kiln {
namespace qwin {

class QGraphics;
class QPaintGraphics;

using qstd::QString;

// An object bound to one native window. The object exists before its window
// and may outlive it; deleting the object destroys a window that still exists.
// A derived class whose members are child windows destroys its own window
// first thing in its destructor, so that no message (WM_PARENTNOTIFY from a
// child being destroyed) reaches an object whose members are already gone.
// Each window message becomes one call of a virtual handler with decoded
// arguments; a handler answers whether it handled the message, and a message
// nobody handled goes to the default window procedure.
class QWindow {
public:
    QWindow() = default;
    QWindow(const QWindow&) = delete;
    QWindow& operator=(const QWindow&) = delete;
    virtual ~QWindow();

    // --- Creation ------------------------------------------------------------

    // Registers the class named by GetClassName (through PreRegisterClass) and
    // creates the window (PreCreateWindow fills the parameters). A style with
    // the top bit set (WS_POPUP) is used as given; otherwise a window without
    // structure style gets WS_OVERLAPPEDWINDOW (top level) or WS_CHILD |
    // WS_VISIBLE (child) added. A registration error is shown to the user;
    // the handle then stays null, as it does when CreateWindowExW fails.
    virtual bool Create(QWindow* parent, int id, DWORD style);
    virtual bool PreTranslateMessage(MSG* msg);
    virtual const wchar_t* GetClassName() const;
    virtual bool PreRegisterClass(WNDCLASSW& windowClass);
    virtual bool PreCreateWindow(CREATESTRUCTW& create);
    // Called by owners on some children once they exist.
    virtual void OnInitialize();

    // A window of an explicit class, system classes included ("EDIT",
    // "SysTreeView32"). Such a window reaches its object only once it is
    // subclassed. Registration errors reach the caller as QError "REG".
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                  const RECT& rect, HWND parent, int id, HINSTANCE module);
    // Routes the messages of the window in `handle` (a control of a system
    // class) through OnMessage before the control's own procedure.
    bool Subclass();
    // Centres the window on the desktop without changing its size.
    void CenterOnDesktop();
    HWND GetHandle() const { return handle; }

    // --- The message map -----------------------------------------------------

    // result starts at 0; true returns it, false lets the default procedure answer.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // --- Commands, notifications, timers -------------------------------------

    virtual bool OnCommand(int id, int code, HWND control);
    virtual bool OnSysCommand(UINT command, LPARAM lParam);
    // Every message from WM_USER up.
    virtual bool OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual bool OnNotify(int controlId, NMHDR* header, LRESULT* result);
    virtual bool OnParentNotify(UINT event, UINT childId, LPARAM lParam);
    virtual bool OnTimer(UINT_PTR id);
    virtual bool OnHotKey(int id, UINT modifiers, UINT key);

    // --- Life cycle ----------------------------------------------------------

    virtual bool OnCreate();
    // Handling it answers 0, which cancels the creation.
    virtual bool OnNcCreate();
    // true lets the window be destroyed; false keeps it open.
    virtual bool OnClose();
    // The session is about to end (log-off, shut-down, restart; reason holds
    // the ENDSESSION_ flags): true lets it end, false asks Windows to wait.
    virtual bool OnQueryEndSession(LPARAM reason);
    // The session ends when `ending`; the process may be ended as soon as
    // this returns, without any further message.
    virtual bool OnEndSession(bool ending, LPARAM reason);
    virtual bool OnDestroy();
    virtual bool OnNcDestroy();

    // --- Size and position ---------------------------------------------------

    virtual bool OnSize(UINT type, int cx, int cy);
    virtual bool OnGetMinMaxInfo(MINMAXINFO* info);
    virtual bool OnMove(int x, int y);
    virtual bool OnMoving(RECT* rect);
    virtual bool OnWindowPosChanging(WINDOWPOS* position);
    virtual bool OnWindowPosChanged(WINDOWPOS* position);

    // --- Painting and colours ------------------------------------------------

    // Handling it reports the background as erased.
    virtual bool OnEraseBackground(QGraphics& graphics);
    virtual bool OnPaint(QPaintGraphics& graphics);
    virtual bool OnNcPaint(HRGN region);
    virtual bool OnCtlColorEdit(QGraphics& graphics, LRESULT* result);
    virtual bool OnCtlColorDlg(QGraphics& graphics, LRESULT* result);
    virtual bool OnCtlColorListBox(QGraphics& graphics, LRESULT* result);
    virtual bool OnCtlColorBtn(QGraphics& graphics, int controlId, LRESULT* result);
    virtual bool OnCtlColorStatic(QGraphics& graphics, int controlId, LRESULT* result);
    // The base invalidates the whole window so that it repaints in the new theme.
    virtual bool OnThemeChanged();
    virtual bool OnSysColorChange();
    virtual bool OnDwmCompositionChanged();
    // The window is now on a monitor of another scale (per-monitor
    // awareness); `suggested` is where the system proposes it goes.
    virtual bool OnDpiChanged(int dpiX, int dpiY, const RECT* suggested);

    // --- Mouse in the client area --------------------------------------------

    virtual bool OnLButtonDown(UINT keys, POINT* point);
    virtual bool OnLButtonUp(UINT keys, POINT* point);
    virtual bool OnLButtonDblClk(UINT keys, POINT* point);
    virtual bool OnRButtonDown(UINT keys, POINT* point);
    virtual bool OnRButtonUp(UINT keys, POINT* point);
    virtual bool OnRButtonDblClk(UINT keys, POINT* point);
    virtual bool OnMButtonDown(UINT keys, POINT* point);
    virtual bool OnMButtonUp(UINT keys, POINT* point);
    virtual bool OnMButtonDblClk(UINT keys, POINT* point);
    virtual bool OnXButton1Down(UINT keys, POINT* point);
    virtual bool OnXButton2Down(UINT keys, POINT* point);
    virtual bool OnXButton1Up(UINT keys, POINT* point);
    virtual bool OnXButton2Up(UINT keys, POINT* point);
    virtual bool OnXButton1DblClk(UINT keys, POINT* point);
    virtual bool OnXButton2DblClk(UINT keys, POINT* point);
    virtual bool OnMouseMove(UINT keys, POINT* point);
    virtual bool OnMouseHover(UINT keys, POINT* point);
    virtual bool OnMouseLeave();
    // point is in screen co-ordinates, as WM_MOUSEWHEEL carries it.
    virtual bool OnMouseWheel(UINT keys, int delta, POINT* point);
    virtual bool OnMouseHWheel(UINT keys, int delta, POINT* point);
    virtual bool OnContextMenu(HWND window, POINT* point);
    virtual bool OnCaptureChanged();
    // Handling it stops the parent from setting the cursor.
    virtual bool OnSetCursor(UINT hitCode, UINT mouseMessage);
    // The base sets MA_ACTIVATE and leaves the answer to the default procedure.
    virtual bool OnMouseActivate(HWND topWindow, UINT hitCode, UINT mouseMessage, LRESULT* result);

    // --- Non-client area -----------------------------------------------------

    // The base sets 1 when becoming inactive and leaves the answer to the default.
    virtual bool OnNcActivate(bool active, LRESULT* result);
    virtual bool OnNcCalcSize(bool calcValidRects, NCCALCSIZE_PARAMS* params);
    // result already holds the desktop window manager's answer, if it gave one.
    virtual bool OnNcHitTest(POINT* point, LRESULT* result);
    virtual bool OnNcMouseMove(UINT hitCode, POINT* point);
    virtual bool OnNcMouseHover(UINT hitCode, POINT* point);
    virtual bool OnNcMouseLeave();
    virtual bool OnNcLButtonDown(UINT hitCode, POINT* point);
    virtual bool OnNcLButtonUp(UINT hitCode, POINT* point);
    virtual bool OnNcLButtonDblClk(UINT hitCode, POINT* point);
    virtual bool OnNcRButtonDown(UINT hitCode, POINT* point);
    virtual bool OnNcRButtonUp(UINT hitCode, POINT* point);
    virtual bool OnNcRButtonDblClk(UINT hitCode, POINT* point);
    virtual bool OnNcMButtonDown(UINT hitCode, POINT* point);
    virtual bool OnNcMButtonUp(UINT hitCode, POINT* point);
    virtual bool OnNcMButtonDblClk(UINT hitCode, POINT* point);
    virtual bool OnNcXButton1Down(UINT hitCode, POINT* point);
    virtual bool OnNcXButton2Down(UINT hitCode, POINT* point);
    virtual bool OnNcXButton1Up(UINT hitCode, POINT* point);
    virtual bool OnNcXButton2Up(UINT hitCode, POINT* point);
    virtual bool OnNcXButton1DblClk(UINT hitCode, POINT* point);
    virtual bool OnNcXButton2DblClk(UINT hitCode, POINT* point);

    // --- Keyboard, focus and scrolling ---------------------------------------

    virtual bool OnChar(UINT code, UINT repeat, LPARAM lParam);
    virtual bool OnSysChar(UINT code, UINT repeat, LPARAM lParam);
    virtual bool OnKeyDown(UINT key, UINT repeat, LPARAM lParam);
    virtual bool OnKeyUp(UINT key, UINT repeat, LPARAM lParam);
    virtual bool OnGetDlgCode(MSG* msg, LRESULT* result);
    virtual bool OnSetFocus(HWND losingFocus);
    virtual bool OnKillFocus(HWND gainingFocus);
    virtual bool OnVScroll(UINT code, int position);
    virtual bool OnHScroll(UINT code, int position);

    // --- Activation ----------------------------------------------------------

    virtual bool OnActivateApp(bool active, DWORD thread);
    virtual bool OnActivate(HWND otherWindow, UINT state, bool minimised);

    // --- Shell, clipboard, devices, touch ------------------------------------

    virtual bool OnDropFiles(HDROP drop);
    virtual bool OnDrawClipboard();
    virtual bool OnChangeCBChain(HWND removed, HWND next);
    virtual bool OnDeviceChange(UINT event, DWORD_PTR data);
    virtual bool OnTouch(HTOUCHINPUT input, UINT count);
    // WM_GETOBJECT: a window that draws its own parts answers with an
    // accessible object (QAccessible); unhandled, the system answers.
    virtual bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result);
    // The base answers 0: no system gestures are turned off.
    virtual bool OnTabletQuerySystemGestureStatus(int x, int y, LRESULT* result);
    virtual bool OnGestureNotify(GESTURENOTIFYSTRUCT* notify);
    virtual bool OnGesture(HGESTUREINFO info);

    // --- Window text ---------------------------------------------------------

    // Sends WM_CLOSE.
    virtual bool Close();
    // The window text; an empty text empties the string.
    virtual bool GetText(QString& text);
    virtual bool SetText(const wchar_t* text);
    virtual int GetTextLength();

protected:
    // Registers the class unless it exists, in which case the existing class's
    // information is copied into windowClass. Throws QError "REG".
    static void RegisterWindowClass(WNDCLASSW& windowClass);
    static LRESULT CALLBACK InitialWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR object);
    // Runs OnMessage with every exception stopped and shown to the user.
    bool RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The native window is gone: the object no longer refers to it.
    void Unbind();

    HWND handle = nullptr;
};

}  // namespace qwin
}  // namespace kiln
