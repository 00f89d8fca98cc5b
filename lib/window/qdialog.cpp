#include "window/qdialog.h"

namespace kiln {
namespace qwin {

namespace {

const DWORD kHorizontalModes = 3;
const DWORD kVerticalModes = 12;

// Window rectangle of a control in the client co-ordinates of its dialog.
RECT ControlRect(HWND dialog, HWND control) {
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// For these messages a dialog procedure returns the answer itself; for all
// others it returns TRUE and leaves the answer in DWLP_MSGRESULT.
bool AnswersDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

}  // namespace

INT_PTR QDialog::DoModal(HWND owner) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void QDialog::AddAnchor(int controlId, DWORD flags) {
    anchors.Add(ANCHOR{controlId, flags, RECT{}});
}

qstd::QString QDialog::ItemText(int controlId) const {
    qstd::QString text;
    const HWND control = GetDlgItem(handle, controlId);
    const int length = GetWindowTextLengthW(control);
    if (length > 0) GetWindowTextW(control, text.GetBuffer(length), length + 1);
    return text;
}

INT_PTR CALLBACK QDialog::DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* object = reinterpret_cast<QDialog*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        if (object) object->handle = window;
    }
    auto* object = reinterpret_cast<QDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object) return FALSE;

    LRESULT result = 0;
    const bool handled = object->RouteMessage(msg, wParam, lParam, &result);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->Unbind();
    }
    if (!handled) return FALSE;
    if (AnswersDirectly(msg)) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool QDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_INITDIALOG:
        *result = OnInitDialog() ? TRUE : FALSE;
        return true;
    case WM_CLOSE:
        // Declining keeps the dialog open; agreeing leaves it to the default,
        // which cancels the dialog.
        if (OnClose()) return false;
        *result = 1;
        return true;
    case WM_HELP:
        *result = 0;
        return OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam));
    default:
        return QWindow::OnMessage(msg, wParam, lParam, result);
    }
}

bool QDialog::OnCommand(int id, int code, HWND) {
    if (code == 0) OnCommandId(id);
    return true;
}

bool QDialog::OnCommandId(int id) {
    switch (id) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    case IDHELP: OnHelp(); return true;
    default: return false;
    }
}

bool QDialog::OnInitDialog() {
    RecordAnchors();
    return ExchangeData(true);
}

bool QDialog::ExchangeData(bool) {
    return true;
}

bool QDialog::OnHelpInfo(HELPINFO*) {
    return OnHelp();
}

bool QDialog::OnHelp() {
    return true;
}

void QDialog::RecordAnchors() {
    RECT client;
    GetClientRect(handle, &client);
    for (unsigned i = 0; i < anchors.GetCount(); ++i) {
        ANCHOR& anchor = anchors[i];
        const RECT control = ControlRect(handle, GetDlgItem(handle, anchor.id));
        switch (anchor.flags & kHorizontalModes) {
        case ANCHOR_RIGHT:
            anchor.rect.left = control.right - control.left;
            anchor.rect.right = control.right - client.right;
            break;
        case ANCHOR_LEFT_RIGHT:
            anchor.rect.left = control.left - client.left;
            anchor.rect.right = control.right - client.right;
            break;
        }
        switch (anchor.flags & kVerticalModes) {
        case ANCHOR_BOTTOM:
            anchor.rect.top = control.bottom - control.top;
            anchor.rect.bottom = control.bottom - client.bottom;
            break;
        case ANCHOR_TOP_BOTTOM:
            anchor.rect.top = control.top - client.top;
            anchor.rect.bottom = control.bottom - client.bottom;
            break;
        }
    }
}

bool QDialog::OnSize(UINT, int, int) {
    if (anchors.IsEmpty()) return false;
    RECT client;
    GetClientRect(handle, &client);
    HDWP positions = BeginDeferWindowPos(static_cast<int>(anchors.GetCount()));
    for (unsigned i = 0; i < anchors.GetCount() && positions; ++i) {
        const ANCHOR& anchor = anchors[i];
        HWND control = GetDlgItem(handle, anchor.id);
        if (!control) continue;
        RECT rect = ControlRect(handle, control);
        switch (anchor.flags & kHorizontalModes) {
        case ANCHOR_RIGHT:
            rect.right = anchor.rect.right + client.right;
            rect.left = rect.right - anchor.rect.left;
            break;
        case ANCHOR_LEFT_RIGHT:
            rect.right = anchor.rect.right + client.right;
            break;
        }
        switch (anchor.flags & kVerticalModes) {
        case ANCHOR_BOTTOM:
            rect.bottom = anchor.rect.bottom + client.bottom;
            rect.top = rect.bottom - anchor.rect.top;
            break;
        case ANCHOR_TOP_BOTTOM:
            rect.bottom = anchor.rect.bottom + client.bottom;
            break;
        }
        positions = DeferWindowPos(positions, control, nullptr, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    if (positions) EndDeferWindowPos(positions);
    return true;
}

}  // namespace qwin
}  // namespace kiln
