#include "app/editor/editor_page.h"

#include "core/qerror.h"
#include "resources/command_ids.h"
#include "window/palette.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;
using kiln::qwin::QWindow;

namespace {

const COLORREF kTextColor = kiln::qwin::palette::kCardText;

}  // namespace

EditorPage::EditorPage() {
    editor.LoadControlLibrary();
}

EditorPage::~EditorPage() = default;

const wchar_t* EditorPage::GetClassName() const {
    return L"EditorPage";
}

bool EditorPage::PreRegisterClass(WNDCLASSW& windowClass) {
    QWindow::PreRegisterClass(windowClass);
    windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return true;
}

bool EditorPage::PreCreateWindow(CREATESTRUCTW& create) {
    QWindow::PreCreateWindow(create);
    create.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return true;
}

bool EditorPage::Create(QWindow* parent, int id, DWORD style) {
    if (!QWindow::Create(parent, id, style) || !handle) return false;
    const DWORD editorStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN |
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL;
    if (!editor.Create(this, IDC_RICH_EDIT, editorStyle)) return false;
    const HWND control = editor.GetHandle();
    SendMessageW(control, EM_SETEVENTMASK, 0,
                 ENM_CHANGE | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_SELCHANGE | ENM_DROPFILES | ENM_LINK |
                     ENM_PROTECTED);
    SendMessageW(control, EM_AUTOURLDETECT, TRUE, 0);
    // Set as the default too, so that emptied text never falls back to the
    // control's bold system font.
    editor.SetDefaultCharFormat(L"Verdana", 235, kTextColor, kiln::qwin::palette::kWhite);
    editor.SetAllCharFormat(L"Verdana", 235, kTextColor, kiln::qwin::palette::kWhite);
    SendMessageW(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    SendMessageW(control, EM_SETOPTIONS, ECOOP_OR, ECO_AUTOWORDSELECTION);
    DragAcceptFiles(control, TRUE);
    RECT client;
    GetClientRect(handle, &client);
    MoveWindow(control, 0, 0, client.right, client.bottom, TRUE);
    return true;
}

bool EditorPage::OnSize(UINT, int cx, int cy) {
    if (editor.GetHandle()) MoveWindow(editor.GetHandle(), 0, 0, cx, cy, TRUE);
    return true;
}

bool EditorPage::OnSetFocus(HWND) {
    if (editor.GetHandle()) SetFocus(editor.GetHandle());
    return true;
}

QString EditorPage::GetPlainText() const {
    return editor.GetPlainText();
}

bool EditorPage::GetRtf(QBuffer& rtf) {
    QBuffer written;
    if (!editor.StreamOutRtf(written)) return false;
    pictures.PutBack(written.GetData(), written.GetCount(), rtf);
    return true;
}

void EditorPage::LoadRtf(const unsigned char* bytes, unsigned length) {
    pictures.Clear();
    QBuffer shown;
    pictures.SetAside(bytes, length, shown);
    try {
        editor.SetRtf(shown.GetData(), shown.GetCount());
    } catch (const QError& error) {
        pictures.Clear();
        // The page shows nothing and takes no typing: whatever it held could
        // otherwise be saved over the card it cannot show.
        editor.SetRtf(nullptr, 0);
        contentRefused = true;
        SendMessageW(editor.GetHandle(), EM_SETOPTIONS, ECOOP_OR, ECO_READONLY);
        editor.SetModified(false);
        throw QError(QString(L"This card cannot be shown and is left as it is. ") + error.message);
    }
    ProtectPlaceholders(0, static_cast<LONG>(SendMessageW(editor.GetHandle(), WM_GETTEXTLENGTH, 0, 0)));
    if (contentRefused) {
        contentRefused = false;
        SendMessageW(editor.GetHandle(), EM_SETOPTIONS, ECOOP_AND, ~static_cast<LPARAM>(ECO_READONLY));
    }
    editor.SetModified(false);
}

bool EditorPage::IsModified() const {
    return !contentRefused && editor.IsModified();
}

void EditorPage::ApplyDatabaseState(bool databaseOpen) {
    LPARAM options = databaseOpen ? kOptionsWithDatabase : kOptionsWithoutDatabase;
    if (contentRefused) options |= ECO_READONLY;
    SendMessageW(editor.GetHandle(), EM_SETOPTIONS, ECOOP_SET, options);
}

void EditorPage::SetWordWrap(bool on) {
    editor.SetWordWrap(on);
}

void EditorPage::SetCodeStyle() {
    editor.SetDefaultCharFormat(L"Consolas", 245, kTextColor, kiln::qwin::palette::kNearWhite);
}

bool EditorPage::FindNext(const wchar_t* text) {
    const HWND control = editor.GetHandle();
    searchText = text ? text : L"";
    CHARRANGE selection = {0, 0};
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    searchRange.cpMin = selection.cpMin != selection.cpMax ? selection.cpMax : 0;
    searchRange.cpMax = -1;
    FINDTEXTEXW find = {};
    find.chrg = searchRange;
    find.lpstrText = searchText.c_str();
    const LRESULT at = SendMessageW(control, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    found = at >= 0 && !searchText.IsEmpty();
    if (found) {
        foundRange = find.chrgText;
        SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&foundRange));
        // Without the focus the control leaves its view where it was: a
        // match below it would be selected out of sight.
        SendMessageW(control, EM_SCROLLCARET, 0, 0);
    }
    return found;
}
