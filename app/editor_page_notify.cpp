// What the rich edit control reports to its page: the right button, clicked
// links and dropped files.

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "app/editor_page.h"
#include "app/file_kinds.h"
#include "app/popup_menu.h"
#include "app/web_links.h"
#include "resources/command_ids.h"

using kiln::qstd::QString;

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
        return true;
    }
    case EN_LINK: {
        const auto* link = reinterpret_cast<const ENLINK*>(header);
        if (link->msg == WM_LBUTTONUP) OpenLink(*link);
        return true;
    }
    case EN_DROPFILES:
        InsertDroppedFiles(static_cast<HDROP>(reinterpret_cast<const ENDROPFILES*>(header)->hDrop));
        return true;
    default: return false;
    }
}

void EditorPage::ShowContextMenu(const POINT& clientPoint) {
    POINT screen = clientPoint;
    ClientToScreen(editor.GetHandle(), &screen);
    const UINT command = TrackProgramPopup(POPUP_RICH, screen, GetParent(handle), TPM_RIGHTBUTTON);
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

namespace {

// Releases a drop also when an unreadable file ends it with an error.
class DropOwner {
public:
    explicit DropOwner(HDROP drop) : drop(drop) {}
    DropOwner(const DropOwner&) = delete;
    DropOwner& operator=(const DropOwner&) = delete;
    ~DropOwner() { DragFinish(drop); }

private:
    HDROP drop;
};

}  // namespace

void EditorPage::InsertDroppedFiles(HDROP drop) {
    DropOwner owner(drop);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::vector<wchar_t> path(length + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), length + 1);
        // A picture that cannot be decoded is skipped without a word.
        if (InsertFile(path.data()) == FileInsertion::Failed && KindOfFile(path.data()) == FileKind::Office) {
            ShowMessage(L"Document load error!");
        }
    }
}
