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
        case TVN_SELCHANGINGW: saveCurrentCard(); return true;
        case TVN_SELCHANGEDW: {
            const HTREEITEM item = cardTree.GetSelectedItem();
            if (item) LoadCardIntoActiveTab(cardTree.GetCardId(item), cardTree.GetItemText(item));
            return true;
        }
        default: return false;
        }
    } catch (const QError& error) {
        ShowMessage(error.message);
        return true;
    }
}
