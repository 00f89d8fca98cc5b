// The page's command table: the RICH menu, and the formatting commands the
// main window forwards to the active page.

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "app/editor/editor_page.h"
#include "app/editor/text_colors.h"
#include "app/editor/web_links.h"
#include "resources/command_ids.h"

using kiln::qstd::QString;

namespace {

// The selection taken for a web search, in characters.
const LONG kMaxSearchText = 259;
// The largest font the control shows, in points.
const long kMaxPoints = 1638;

}  // namespace

bool EditorPage::OnCommand(int id, int code, HWND control) {
    const HWND edit = editor.GetHandle();
    // The toolbar's combos send their text where a control handle would be.
    const wchar_t* text = reinterpret_cast<const wchar_t*>(control);
    for (const ColorCommand& command : kTextColors) {
        if (command.id == id) {
            editor.SetTextColor(command.color);
            return true;
        }
    }
    for (const ColorCommand& command : kBackColors) {
        if (command.id == id) {
            editor.SetBackColor(command.color);
            return true;
        }
    }
    switch (id) {
    case IDM_CUT: SendMessageW(edit, WM_CUT, 0, 0); break;
    case IDM_COPY: SendMessageW(edit, WM_COPY, 0, 0); break;
    case IDM_PASTE: SendMessageW(edit, WM_PASTE, 0, 0); break;
    case IDM_DELETE: SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 0); break;
    case IDM_SEARCH_GOOGLE:
    case IDM_SEARCH_BING: WebSearch(id); break;
    case IDM_CLEAR_FORMATTING: editor.SetDefaultFormat(); break;
    case IDC_FONT_FACE:
        if (text && *text) editor.SetFontFace(text);
        break;
    case IDC_FONT_SIZE: ApplyFontSize(text); break;
    case IDC_LINE_SPACING: ApplyLineSpacing(text); break;
    case IDM_PRINT:
        // The main window prints, through its print dialog, as for Ctrl+P.
        if (const HWND mainWindow = GetParent(GetParent(handle))) {
            SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDM_PRINT, 0), 0);
        }
        break;
    case IDC_RICH_EDIT:
        if (code == EN_CHANGE) {
            // The main window marks its current editor modified.
            const HWND mainWindow = GetParent(GetParent(handle));
            if (mainWindow) {
                SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_RICH_EDIT, EN_CARD_TEXT_CHANGED),
                             reinterpret_cast<LPARAM>(edit));
            }
        }
        break;
    default: break;
    }
    return true;
}

// Sizes and spacings are typed into the toolbar's combos one key at a time:
// a text that is not yet a usable number changes nothing.
void EditorPage::ApplyFontSize(const wchar_t* text) {
    if (!text) return;
    wchar_t* end = nullptr;
    const long points = std::wcstol(text, &end, 10);
    if (end == text || points <= 0 || points > kMaxPoints) return;
    editor.SetFontSize(static_cast<int>(points));
}

void EditorPage::ApplyLineSpacing(const wchar_t* text) {
    if (!text) return;
    wchar_t* end = nullptr;
    const double lines = std::wcstod(text, &end);
    if (end == text || !(lines > 0.0) || lines > 100.0) return;
    // Rounded to double before truncating, as the x87 unit would otherwise
    // keep extra precision: 1.15 x 20 is exactly 23 only in double.
    const volatile double product = lines * 20.0;
    const int twentieths = static_cast<int>(product);
    if (twentieths <= 0) return;
    editor.SetLineSpacing(twentieths);
    editor.SetSpaceBefore(0);
    editor.SetSpaceAfter(0);
}

void EditorPage::WebSearch(int command) {
    const HWND edit = editor.GetHandle();
    CHARRANGE selection = {0, 0};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMax - selection.cpMin > kMaxSearchText) selection.cpMax = selection.cpMin + kMaxSearchText;
    wchar_t selected[kMaxSearchText + 1] = {};
    TEXTRANGEW range = {selection, selected};
    SendMessageW(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    const WebSearchEngine engine = command == IDM_SEARCH_GOOGLE ? WebSearchEngine::Google : WebSearchEngine::Bing;
    OpenInShell(WebSearchAddress(engine, selected));
}

void EditorPage::OpenInShell(const QString& address) {
    ShellExecuteW(GetActiveWindow(), L"open", address.c_str(), L"", nullptr, SW_SHOWNORMAL);
}

void EditorPage::ShowMessage(const wchar_t* text) {
    MessageBoxW(GetAncestor(handle, GA_ROOT), text, L"Message", MB_OK);
}
