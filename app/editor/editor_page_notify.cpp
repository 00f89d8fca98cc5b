// What the rich edit control reports to its page: the right button, clicked
// links and dropped files.

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "app/editor/editor_page.h"
#include "documents/file_kinds.h"
#include "window/qmenu.h"
#include "app/editor/web_links.h"
#include "resources/command_ids.h"
#include "window/qdropped_files.h"

using kiln::qstd::QString;

namespace {

// The spacing as the toolbar's combo lists it: "1.15" for the 23
// twentieths of a line that choosing "1.15" sets.
QString LineSpacingText(const PARAFORMAT2& paragraph) {
    double lines = 1.0;
    switch (paragraph.bLineSpacingRule) {
    case 0: lines = 1.0; break;
    case 1: lines = 1.5; break;
    case 2: lines = 2.0; break;
    case 5: lines = paragraph.dyLineSpacing / 20.0; break;
    default: return QString();
    }
    if (lines == 1.0) return L"1.0";
    wchar_t text[16];
    swprintf(text, 16, L"%g", lines);
    return text;
}

}  // namespace

bool EditorPage::OnNotify(int, NMHDR* header, LRESULT* result) {
    if (!header || header->hwndFrom != editor.GetHandle()) return false;
    *result = 0;
    switch (header->code) {
    case EN_MSGFILTER: {
        const auto* filter = reinterpret_cast<const MSGFILTER*>(header);
        if (filter->msg == WM_RBUTTONDOWN) {
            const POINT point = {static_cast<short>(LOWORD(filter->lParam)),
                                 static_cast<short>(HIWORD(filter->lParam))};
            ShowContextMenu(point);
        }
        *result = AllowsKey(filter->msg, filter->wParam) ? 0 : 1;
        return true;
    }
    case EN_LINK: {
        const auto* link = reinterpret_cast<const ENLINK*>(header);
        if (link->msg == WM_LBUTTONUP) OpenLink(*link);
        return true;
    }
    case EN_SELCHANGE:
        // The main window's toolbar shows the formatting at the caret.
        if (const HWND mainWindow = GetParent(GetParent(handle))) {
            SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_RICH_EDIT, EN_CARD_CARET_MOVED),
                         reinterpret_cast<LPARAM>(editor.GetHandle()));
        }
        return true;
    case EN_PROTECTED:
        *result = AllowsProtectedChange(*reinterpret_cast<const ENPROTECTED*>(header)) ? 0 : 1;
        return true;
    case EN_DROPFILES:
        InsertDroppedFiles(static_cast<HDROP>(reinterpret_cast<const ENDROPFILES*>(header)->hDrop));
        return true;
    default: return false;
    }
}

void EditorPage::ShowContextMenu(const POINT& clientPoint) {
    POINT screen = clientPoint;
    ClientToScreen(editor.GetHandle(), &screen);
    const UINT command = kiln::qwin::TrackResourcePopup(IDR_POPUP_MENUS, POPUP_RICH, screen, GetParent(handle), TPM_RIGHTBUTTON);
    if (command) SendMessageW(handle, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void EditorPage::OpenLink(const ENLINK& link) {
    const LONG length = link.chrg.cpMax - link.chrg.cpMin;
    if (length <= 0) return;
    std::vector<wchar_t> text(static_cast<size_t>(length) + 2, L'\0');
    TEXTRANGEW range = {link.chrg, text.data()};
    SendMessageW(editor.GetHandle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    const QString address = ShellAddressOfLink(text.data());
    if (!address.IsEmpty()) OpenInShell(address);
}

void EditorPage::InsertDroppedFiles(HDROP drop) {
    const kiln::qwin::QDroppedFiles files(drop);
    // The control streams files in past its own read-only state; what a page
    // without a database or with a refused card took could never be saved.
    if (SendMessageW(editor.GetHandle(), EM_GETOPTIONS, 0, 0) & ECO_READONLY) return;
    for (unsigned i = 0; i < files.GetCount(); ++i) {
        const QString path = files.GetPath(i);
        // A picture that cannot be decoded is skipped without a word.
        if (InsertFile(path) == FileInsertion::Failed && KindOfFile(path) == FileKind::Office) {
            ShowMessage(L"Document load error!");
        }
    }
}

CaretFormat EditorPage::GetCaretFormat() const {
    CaretFormat format;
    CHARFORMAT2W characters = {};
    characters.cbSize = sizeof(characters);
    SendMessageW(editor.GetHandle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&characters));
    if (characters.dwMask & CFM_FACE) format.face = characters.szFaceName;
    if ((characters.dwMask & CFM_SIZE) && characters.yHeight > 0) {
        wchar_t points[16];
        swprintf(points, 16, L"%ld", static_cast<long>((characters.yHeight + 10) / 20));
        format.size = points;
    }
    if ((characters.dwMask & CFM_COLOR) && !(characters.dwEffects & CFE_AUTOCOLOR)) {
        format.textColor = characters.crTextColor;
    }
    if ((characters.dwMask & CFM_BACKCOLOR) && !(characters.dwEffects & CFE_AUTOBACKCOLOR)) {
        format.backColor = characters.crBackColor;
    }
    PARAFORMAT2 paragraph = {};
    paragraph.cbSize = sizeof(paragraph);
    SendMessageW(editor.GetHandle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
    if (paragraph.dwMask & PFM_LINESPACING) format.lineSpacing = LineSpacingText(paragraph);
    return format;
}
