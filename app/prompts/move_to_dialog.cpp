#include "app/prompts/move_to_dialog.h"

#include <commctrl.h>

#include "resources/command_ids.h"

using kiln::qstd::QString;

MoveToDialog::MoveToDialog(const QString& cardTitle, const MoveTargetLevel& readLevel)
    : QDialog(IDD_MOVE_TO), cardTitle(cardTitle), readLevel(readLevel) {}

bool MoveToDialog::OnInitDialog() {
    AddAnchor(IDC_MOVE_CARD, ANCHOR_LEFT_RIGHT);
    AddAnchor(IDC_MOVE_TREE, ANCHOR_LEFT_RIGHT | ANCHOR_TOP_BOTTOM);
    AddAnchor(IDOK, ANCHOR_RIGHT | ANCHOR_BOTTOM);
    AddAnchor(IDCANCEL, ANCHOR_RIGHT | ANCHOR_BOTTOM);
    const QString label = QString(L"Move \"") + cardTitle + L"\" under:";
    SetDlgItemTextW(handle, IDC_MOVE_CARD, label.c_str());
    const HTREEITEM top = AddEntry(TVI_ROOT, 0, L"(the top level)", true);
    AddLevel(top);
    const HWND tree = GetDlgItem(handle, IDC_MOVE_TREE);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
    // The tree, the first stop of Tab, has the keys from the start: arrows
    // pick, Enter moves.
    return QDialog::OnInitDialog();
}

HTREEITEM MoveToDialog::AddEntry(HTREEITEM parent, int64_t id, const wchar_t* title, bool hasChildren) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(title);
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.lParam = static_cast<LPARAM>(entryIds.size());
    entryIds.push_back(id);
    return reinterpret_cast<HTREEITEM>(
        SendDlgItemMessageW(handle, IDC_MOVE_TREE, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The cards below an entry go in the first time it opens.
void MoveToDialog::AddLevel(HTREEITEM item) {
    const HWND tree = GetDlgItem(handle, IDC_MOVE_TREE);
    if (TreeView_GetChild(tree, item)) return;
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!TreeView_GetItem(tree, &data)) return;
    const std::vector<MoveTargetCard> cards = readLevel(entryIds[static_cast<size_t>(data.lParam)]);
    for (const MoveTargetCard& card : cards) AddEntry(item, card.id, card.title.c_str(), card.hasChildren);
    if (cards.empty()) {
        data.mask = TVIF_CHILDREN;
        data.cChildren = 0;
        TreeView_SetItem(tree, &data);
    }
}

bool MoveToDialog::OnNotify(int id, NMHDR* header, LRESULT* result) {
    if (id != IDC_MOVE_TREE) return QDialog::OnNotify(id, header, result);
    if (header->code == TVN_ITEMEXPANDINGW) {
        const NMTREEVIEWW& info = *reinterpret_cast<const NMTREEVIEWW*>(header);
        if (info.action & TVE_EXPAND) AddLevel(info.itemNew.hItem);
    }
    return false;
}

void MoveToDialog::OnOK() {
    const HWND tree = GetDlgItem(handle, IDC_MOVE_TREE);
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = TreeView_GetSelection(tree);
    if (!data.hItem || !TreeView_GetItem(tree, &data)) return;
    chosen = entryIds[static_cast<size_t>(data.lParam)];
    EndDialog(handle, IDOK);
}

void MoveToDialog::OnCancel() {
    EndDialog(handle, IDCANCEL);
}
