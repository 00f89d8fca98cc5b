// The commands that change cards: delete one with what lies below it,
// delete all, and the tree's display style.

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "resources/command_ids.h"
#include "store/card_operations.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

// The key and the button act on what has the focus: a card in the tree, the
// selection in the editor, or a character in any other box.
void MainWindow::CommandDelete(const Command&) {
    const HWND focus = GetFocus();
    EditorPage* page = tabs.GetActiveEditor();
    if (focus && focus == cardTree.GetHandle()) {
        DeleteCardOfTree();
    } else if (page && focus == page->GetEditor().GetHandle()) {
        SendMessageW(page->GetHandle(), WM_COMMAND, MAKEWPARAM(IDM_DELETE, 0), 0);
    } else if (focus) {
        SendMessageW(focus, WM_KEYDOWN, VK_DELETE, 0);
    }
}

void MainWindow::DeleteCardOfTree() {
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        SendMessageW(cardTree.GetHandle(), TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
    if (!item) item = cardTree.GetSelectedItem();
    if (!item || !RequireWritableDatabase()) return;
    const CardId cardId = cardTree.GetCardId(item);
    kiln::qstd::QArray<CardId> deleted;
    try {
        const unsigned descendants = store::countDescendants(database, cardId);
        if (!prompts.ConfirmDelete(handle, cardTree.GetItemText(item), descendants)) return;
        if (descendants > 0 && !BackUpBefore(L"deleting the card and the cards below it")) return;
        // All or nothing in the file; the tree loses the items only once the
        // cards are gone, so a failed delete leaves every card shown.
        deleted = store::deleteCard(database, cardId);
    } catch (const QError& error) {
        ShowMessage(error.message);
        return;
    }
    // Before the tree moves its selection, which would save the active tab.
    CloseTabsOfDeletedCards(&deleted);
    SearchAgain();
    SendMessageW(cardTree.GetHandle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
    SetFocus(cardTree.GetHandle());
}

void MainWindow::CommandDeleteAll(const Command&) {
    if (IsDatabaseOpen() && !RequireWritableDatabase()) return;
    if (!prompts.AskYesNo(handle, L"Confirm Delete", L"Are you sure you want to delete all items?", MB_ICONWARNING)) {
        return;
    }
    if (!BackUpBefore(L"deleting all cards")) return;
    try {
        store::deleteAllCards(database);
    } catch (const QError& error) {
        ShowMessage(error.message);
        return;
    }
    // The ids are handed out again from 1: a tab left open would save into
    // whichever new card gets its id.
    CloseTabsOfDeletedCards(nullptr);
    SearchAgain();
    cardTree.DeleteAll();
}
