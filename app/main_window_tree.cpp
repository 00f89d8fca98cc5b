// The card tree's notifications: the card being left is saved, the card
// chosen is shown in the current tab.

#include "app/main_window.h"
#include "core/qerror.h"

using kiln::qstd::QError;

bool MainWindow::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    if (controlId != CardTreeView::kControlId) return false;
    *result = 0;
    try {
        switch (header->code) {
        case TVN_SELCHANGINGW:
            try {
                saveCurrentCard();
            } catch (const QError& error) {
                // The selection stays, so the edit is not replaced by another card.
                ShowMessage(error.message);
                *result = TRUE;
            }
            return true;
        case TVN_SELCHANGEDW: {
            const HTREEITEM item = cardTree.GetSelectedItem();
            if (!item) return true;
            const CardId cardId = cardTree.GetCardId(item);
            settings.history.Add(cardId);
            LoadCardIntoActiveTab(cardId, cardTree.GetItemText(item));
            return true;
        }
        default: return false;
        }
    } catch (const QError& error) {
        ShowMessage(error.message);
        return true;
    }
}

// Selects the card's item afresh, so that the card is shown even when its
// item was the selected one already.
void MainWindow::SelectCard(CardId cardId) {
    const HTREEITEM item = cardTree.FindItemByCardId(cardId);
    if (item == TVI_ROOT) return;
    cardTree.SelectItem(nullptr);
    cardTree.SelectItem(item);
}
