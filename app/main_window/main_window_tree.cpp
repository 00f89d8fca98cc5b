// The card tree's notifications: the card being left is saved, the card
// chosen is shown, labels are renamed, branches are read as they open.

#include "app/main_window/main_window.h"
#include "window/qmenu.h"
#include "core/qerror.h"
#include "resources/command_ids.h"
#include "store/card_operations.h"
#include "store/card_tree.h"

using kiln::qstd::QArray;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {
const wchar_t* const kNewCardTitle = L"New Card";
}  // namespace

bool MainWindow::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    if (controlId != IDC_CARD_TREE) return false;
    *result = 0;
    try {
        switch (header->code) {
        case TVN_SELCHANGINGW:
            // The refresh puts back the selection that was: nothing to leave.
            if (refreshing) return true;
            // The selection stays, so the edit is not replaced by another
            // card, unless the user chose what becomes of it.
            if (tabs.GetActiveIndex() >= 0 && !SettlePage(static_cast<unsigned>(tabs.GetActiveIndex()))) {
                *result = TRUE;
            }
            return true;
        case TVN_BEGINLABELEDITW:
            // A file that cannot be written takes no new titles.
            *result = readOnly ? TRUE : FALSE;
            return true;
        case TVN_SELCHANGEDW:
            if (!refreshing) ShowSelectedCard();
            return true;
        case TVN_ITEMEXPANDINGW: LoadChildCards(reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem); return true;
        case TVN_ENDLABELEDITW: FinishCardRename(*reinterpret_cast<NMTVDISPINFOW*>(header)); return true;
        case TVN_DELETEITEMW: cardTree.OnItemDeleted(*reinterpret_cast<NMTREEVIEWW*>(header)); return true;
        case TVN_BEGINDRAGW: BeginCardDrag(*reinterpret_cast<NMTREEVIEWW*>(header)); return true;
        case NM_RCLICK:
            ShowTreeMenuAtPointer();
            *result = TRUE;
            return true;
        default: return false;
        }
    } catch (const QError& error) {
        ShowMessage(error.message);
        return true;
    }
}

void MainWindow::FillCardTree() {
    cardTree.DeleteAll();
    cardTree.AddLevel(TVI_ROOT, readChildCards(database, 0));
}

void MainWindow::LoadChildCards(HTREEITEM item) {
    if (!item || !cardTree.LevelPending(item)) return;
    const kiln::qstd::QObArray<CardNode> children = readChildCards(database, cardTree.GetCardId(item));
    if (children.IsEmpty()) {
        cardTree.SetHasChildren(item, false);
    } else {
        cardTree.AddLevel(item, children);
    }
}

HTREEITEM MainWindow::RevealCard(CardId cardId) {
    const HTREEITEM selected = cardTree.GetSelectedItem();
    if (selected && cardTree.GetCardId(selected) == cardId) return selected;
    QArray<CardId> path;
    if (!database.isOpen() || !readCardPath(database, cardId, path)) return TVI_ROOT;
    HTREEITEM item = TVI_ROOT;
    for (unsigned i = 0; i < path.GetCount(); ++i) {
        HTREEITEM child = cardTree.ItemOfCard(path[i]);
        if (!child) {
            LoadChildCards(item);
            child = cardTree.ItemOfCard(path[i]);
        }
        if (!child) return TVI_ROOT;
        item = child;
    }
    return item;
}

void MainWindow::ShowSelectedCard() {
    const HTREEITEM item = cardTree.GetSelectedItem();
    if (!item) return;
    const CardId cardId = cardTree.GetCardId(item);
    const QString title = cardTree.GetItemText(item);
    settings.history.Add(cardId);
    try {
        // A card is never shown twice: the tab that has it comes forward.
        if (tabs.HasTab(cardId)) {
            tabs.ActivateTab(cardId);
        } else if (GetKeyState(VK_CONTROL) < 0) {
            OpenCardInNewTab(cardId, title);
        } else {
            LoadCardIntoActiveTab(cardId, title);
        }
    } catch (const QError& error) {
        ShowMessage(error.message);
    }
}

// Selects the card's item afresh, so that the card is shown even when its
// item was the selected one already.
void MainWindow::SelectCard(CardId cardId) {
    const HTREEITEM item = RevealCard(cardId);
    if (item == TVI_ROOT) return;
    cardTree.SelectItem(nullptr);
    cardTree.SelectItem(item);
}

void MainWindow::FinishCardRename(const NMTVDISPINFOW& info) {
    // Esc gives no text: the card keeps its title.
    if (!info.item.pszText) return;
    const CardId cardId = cardTree.GetCardId(info.item.hItem);
    const QString stored = store::renameCard(database, cardId, info.item.pszText);
    cardTree.SetItemText(info.item.hItem, stored);
    tabs.SetTitle(cardId, stored);
    SearchAgain();
}

void MainWindow::ShowTreeMenuAtPointer() {
    POINT screen = {0, 0};
    GetCursorPos(&screen);
    POINT inTree = screen;
    ScreenToClient(cardTree.GetHandle(), &inTree);
    ShowTreeMenu(cardTree.HitTest(inTree), screen);
}

void MainWindow::ShowTreeMenu(HTREEITEM item, POINT screen) {
    if (!IsDatabaseOpen()) return;
    kiln::qwin::QMenuResource menu(IDR_POPUP_MENUS);
    HMENU popup = menu.Popup(POPUP_TREE);
    if (!popup) return;
    if (item) {
        // The commands that act on a card take the highlighted one first.
        cardTree.SetDropTarget(item);
    } else {
        cardTree.SelectItem(nullptr);
        for (UINT command : {IDM_RENAME, IDM_DELETE_CARD, IDM_OPEN_IN_NEW_TAB, IDM_MOVE_TO}) {
            EnableMenuItem(popup, command, MF_BYCOMMAND | MF_GRAYED);
        }
    }
    const UINT command = prompts.ChooseFromMenu(handle, popup, screen);
    if (command) SendMessageW(handle, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    cardTree.SetDropTarget(nullptr);
}

void MainWindow::CommandAddCard(const Command&) {
    if (!IsDatabaseOpen() || !RequireWritableDatabase()) return;
    HTREEITEM target = cardTree.GetDropTarget();
    if (!target) target = cardTree.GetSelectedItem();
    try {
        // The level below is read first, or the new card would be read into it again.
        if (target) LoadChildCards(target);
        const CardId cardId = store::addCard(database, target ? cardTree.GetCardId(target) : 0, kNewCardTitle);
        const HTREEITEM item = cardTree.InsertItem(kNewCardTitle, target ? target : TVI_ROOT, cardId);
        if (target) cardTree.Expand(target);
        cardTree.SetDropTarget(nullptr);
        cardTree.SelectItem(item);
        cardTree.EditLabel(item);
    } catch (const QError& error) {
        ShowMessage(error.message);
    }
}

void MainWindow::CommandRename(const Command&) {
    if (searchPanelShown || !IsDatabaseOpen() || !RequireWritableDatabase()) return;
    HTREEITEM item = cardTree.GetDropTarget();
    if (!item) item = cardTree.GetSelectedItem();
    if (item) cardTree.EditLabel(item);
}

void MainWindow::CommandTreeLines(const Command&) {
    settings.treeLines = !settings.treeLines;
    cardTree.SetLines(settings.treeLines);
}
