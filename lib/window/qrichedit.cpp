#include "window/qrichedit.h"

#include <commctrl.h>
#include <cstring>

#include "core/qerror.h"
#include "core/system_library.h"
#include "window/qolecallback.h"
#include "window/rtf_nesting.h"

namespace kiln {
namespace qwin {

using qstd::QString;

QRichEdit::QRichEdit() {
    std::memset(&charFormat, 0, sizeof(charFormat));
    charFormat.cbSize = sizeof(charFormat);
    std::memset(&paraFormat, 0, sizeof(paraFormat));
    paraFormat.cbSize = sizeof(paraFormat);
    textSetting.flags = ST_SELECTION;
    textSetting.codepage = 1200;  // UTF-16
}

QRichEdit::~QRichEdit() {
    // The window goes first: its procedure lives in the library freed below,
    // and it holds a reference to the callback.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
    if (oleCallback) oleCallback->Release();
    if (library) FreeLibrary(library);
}

bool QRichEdit::LoadControlLibrary() {
    if (!library) library = kiln::qstd::LoadSystemLibrary(L"msftedit.dll");
    return library != nullptr;
}

bool QRichEdit::Create(QWindow* parent, int id, DWORD style) {
    const RECT empty = {0, 0, 0, 0};
    const DWORD fullStyle = style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | ES_MULTILINE;
    if (!CreateEx(0, MSFTEDIT_CLASS, L"", fullStyle, empty, parent ? parent->GetHandle() : nullptr, id,
                  GetModuleHandleW(nullptr))) {
        return false;
    }
    oleCallback = new QOleCallback(handle);
    // The control takes its own reference; the wrapper keeps the first one.
    SendMessageW(handle, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(oleCallback));
    SetWindowSubclass(handle, DropFilesProc, 0, 0);
    return true;
}

bool QRichEdit::SetRtf(const unsigned char* bytes, unsigned length) {
    RtfNesting nesting;
    nesting.Feed(bytes, length);
    RequireNestingTheEditorTakes(nesting.Deepest());
    // The control reads up to a terminator: a copy ends the value exactly
    // where its stored length does.
    qstd::QBuffer text;
    text.Append(bytes, length);
    const unsigned char terminator = 0;
    text.Append(&terminator, 1);
    SETTEXTEX whole = {ST_DEFAULT, CP_ACP};
    return SendMessageW(handle, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&whole),
                        reinterpret_cast<LPARAM>(text.GetData())) != 0;
}

bool QRichEdit::ReplaceSelectionRtf(const unsigned char* bytes, unsigned length) {
    RtfNesting nesting;
    nesting.Feed(bytes, length);
    RequireNestingTheEditorTakes(nesting.Deepest());
    qstd::QBuffer text;
    text.Append(bytes, length);
    const unsigned char terminator = 0;
    text.Append(&terminator, 1);
    SETTEXTEX selection = {ST_SELECTION | ST_KEEPUNDO, CP_ACP};
    return SendMessageW(handle, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&selection),
                        reinterpret_cast<LPARAM>(text.GetData())) != 0;
}

bool QRichEdit::ReplaceSelection(const wchar_t* text) {
    return SendMessageW(handle, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&textSetting),
                        reinterpret_cast<LPARAM>(text)) != 0;
}

QString QRichEdit::GetPlainText() const {
    GETTEXTLENGTHEX lengthQuery = {GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    const LRESULT length = SendMessageW(handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    QString text;
    if (length <= 0) return text;
    wchar_t* buffer = text.GetBuffer(static_cast<int>(length));
    GETTEXTEX query = {};
    query.cb = static_cast<DWORD>((length + 1) * sizeof(wchar_t));
    query.flags = GT_USECRLF;
    query.codepage = 1200;
    const LRESULT copied =
        SendMessageW(handle, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query), reinterpret_cast<LPARAM>(buffer));
    return QString(buffer, static_cast<int>(copied));
}

bool QRichEdit::IsModified() const {
    return SendMessageW(handle, EM_GETMODIFY, 0, 0) != 0;
}

void QRichEdit::SetModified(bool modified) {
    SendMessageW(handle, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
}

void QRichEdit::SetWordWrap(bool on) {
    // A null target device makes the control format for its own window:
    // line width 0 wraps at the window edge, 1 never wraps.
    SendMessageW(handle, EM_SETTARGETDEVICE, 0, on ? 0 : 1);
    LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
    style = on ? (style & ~static_cast<LONG_PTR>(WS_HSCROLL)) : (style | WS_HSCROLL);
    SetWindowLongPtrW(handle, GWL_STYLE, style);
    SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace qwin
}  // namespace kiln
