#include "window/qwindow.h"

#include <commctrl.h>

#include <exception>

#include "core/qerror.h"

namespace kiln {
namespace qwin {

using qstd::QError;

namespace {

const DWORD kOverlappedWindowBits = 0x00CF0000;  // WS_OVERLAPPEDWINDOW
const size_t kMaxClassNameLength = 255;

// A QError from an exception that is not one: what Windows last reported.
void ShowEscapedException() {
    try {
        throw;
    } catch (const QError& error) {
        error.Show();
    } catch (...) {
        QError::FromLastError().Show();
    }
}

}  // namespace

QWindow::~QWindow() {
    if (handle && IsWindow(handle)) {
        DestroyWindow(handle);
    }
}

bool QWindow::Create(QWindow* parent, int id, DWORD style) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = InitialWindowProc;
    windowClass.hInstance = module;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = GetClassName();
    if (!PreRegisterClass(windowClass)) return false;
    try {
        if (GetClassName()) RegisterWindowClass(windowClass);
    } catch (const QError& error) {
        error.Show();
        return true;
    }

    CREATESTRUCTW create = {};
    create.lpCreateParams = this;
    if (!PreCreateWindow(create)) return false;

    HWND parentHandle = parent ? parent->handle : nullptr;
    DWORD windowStyle = static_cast<DWORD>(create.style);
    if (windowStyle == 0) {
        windowStyle = style;
        if (static_cast<LONG>(style) >= 0) {
            windowStyle |= parentHandle ? (WS_CHILD | WS_VISIBLE) : kOverlappedWindowBits;
        }
    } else {
        windowStyle |= style;
    }
    // For a window without WS_CHILD the identifier would be taken as a menu handle.
    HMENU menuOrId = create.hMenu;
    if (!menuOrId && (windowStyle & WS_CHILD)) menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));

    // WM_NCCREATE stores the handle too; this covers windows whose class
    // procedure is not the library's (an existing system class).
    handle = CreateWindowExW(create.dwExStyle, windowClass.lpszClassName, create.lpszName, windowStyle,
                             create.x, create.y, create.cx, create.cy, parentHandle, menuOrId, module,
                             create.lpCreateParams);
    return true;
}

bool QWindow::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                       const RECT& rect, HWND parent, int id, HINSTANCE module) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = className;
    RegisterWindowClass(windowClass);

    handle = CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
    return handle != nullptr;
}

void QWindow::RegisterWindowClass(WNDCLASSW& windowClass) {
    const wchar_t* name = windowClass.lpszClassName;
    const size_t length = name ? wcsnlen(name, kMaxClassNameLength + 1) : 0;
    if (length == 0 || length > kMaxClassNameLength) throw QError(L"REG");

    WNDCLASSW existing = {};
    // A system class ("EDIT") is found without an instance handle.
    if (GetClassInfoW(windowClass.hInstance, name, &existing) || GetClassInfoW(nullptr, name, &existing)) {
        existing.lpszClassName = name;
        windowClass = existing;
        return;
    }
    if (!windowClass.hInstance) windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpfnWndProc = InitialWindowProc;
    if (!RegisterClassW(&windowClass)) throw QError(L"REG");
}

LRESULT CALLBACK QWindow::InitialWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* object = static_cast<QWindow*>(create->lpCreateParams);
        // A window of a library class created without an object (CreateEx)
        // stays with the default procedure until it is subclassed.
        if (object) {
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
            object->handle = window;
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MainWindowProc));
            return MainWindowProc(window, msg, wParam, lParam);
        }
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK QWindow::MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* object = reinterpret_cast<QWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object) return DefWindowProcW(window, msg, wParam, lParam);

    LRESULT result = 0;
    const bool handled = object->RouteMessage(msg, wParam, lParam, &result);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->Unbind();
    }
    return handled ? result : DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK QWindow::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR object) {
    auto* self = reinterpret_cast<QWindow*>(object);
    LRESULT result = 0;
    const bool handled = self->RouteMessage(msg, wParam, lParam, &result);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(window, SubclassProc, id);
        self->Unbind();
    }
    return handled ? result : DefSubclassProc(window, msg, wParam, lParam);
}

bool QWindow::RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    try {
        return OnMessage(msg, wParam, lParam, result);
    } catch (...) {
        ShowEscapedException();
        return true;
    }
}

void QWindow::Unbind() {
    handle = nullptr;
}

bool QWindow::Subclass() {
    return handle && SetWindowSubclass(handle, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void QWindow::CenterOnDesktop() {
    RECT desktop, own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(handle, &own);
    const int x = desktop.left + ((desktop.right - desktop.left) - (own.right - own.left)) / 2;
    const int y = desktop.top + ((desktop.bottom - desktop.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool QWindow::Close() {
    SendMessageW(handle, WM_CLOSE, 0, 0);
    return true;
}

bool QWindow::GetText(QString& text) {
    const int length = GetWindowTextLengthW(handle);
    if (length <= 0) {
        text.Empty();
        return true;
    }
    wchar_t* buffer = text.GetBuffer(length);
    GetWindowTextW(handle, buffer, length + 1);
    return true;
}

bool QWindow::SetText(const wchar_t* text) {
    return SetWindowTextW(handle, text) != FALSE;
}

int QWindow::GetTextLength() {
    return GetWindowTextLengthW(handle);
}

}  // namespace qwin
}  // namespace kiln
