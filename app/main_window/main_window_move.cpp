// Moving a card without the mouse: Alt+Shift+Left and Right in the tree, and
// "Move to", which picks the new parent in a dialog. Each move takes the
// drop's path, so it is refused, and changes the tree, as a drop would.

#include <vector>

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/card_tree.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

// outward: the card becomes the next sibling of its parent (at the top level
// when the parent is there); inward: the last child of the sibling above it.
void MainWindow::MoveSelectedCard(bool outward) {
    if (!IsDatabaseOpen()) return;
    const HTREEITEM item = cardTree.GetSelectedItem();
    if (!item) return;
    const HTREEITEM parent = cardTree.GetParentItem(item);
    HTREEITEM target = cardTree.GetPreviousItem(item);
    if (outward) {
        const HTREEITEM grandparent = parent ? cardTree.GetParentItem(parent) : nullptr;
        target = grandparent ? grandparent : parent ? TVI_ROOT : nullptr;
    }
    MoveCardAndSelectIt(target, item);
}

void MainWindow::CommandMoveTo(const Command&) {
    if (!RequireOpenDatabase()) return;
    // From the tree's menu the right-clicked card, else the selected one.
    HTREEITEM item = cardTree.GetDropTarget();
    if (!item) item = cardTree.GetSelectedItem();
    if (!item || !RequireWritableDatabase()) return;
    const CardId cardId = cardTree.GetCardId(item);
    // A level that cannot be read is told of once the dialog is closed: no
    // error may leave the dialog's window procedure.
    QString failure;
    const MoveTargetLevel readLevel = [this, &failure](int64_t parentId) {
        std::vector<MoveTargetCard> cards;
        try {
            const kiln::qstd::QObArray<CardNode> level = readChildCards(database, parentId);
            for (unsigned i = 0; i < level.GetCount(); ++i) {
                cards.push_back(MoveTargetCard{level[i]->id, level[i]->title, level[i]->hasChildren});
            }
        } catch (const QError& error) {
            if (failure.IsEmpty()) failure = error.message;
        }
        return cards;
    };
    int64_t parentId = 0;
    const bool chosen = prompts.ChooseMoveTarget(handle, cardTree.GetItemText(item), readLevel, parentId);
    cardTree.SetDropTarget(nullptr);
    if (!failure.IsEmpty()) {
        ShowMessage(failure);
        return;
    }
    if (!chosen) return;
    try {
        // The file may have changed under the open dialog and the tree been
        // read again: both cards are looked up anew.
        const HTREEITEM moved = RevealCard(cardId);
        if (moved == TVI_ROOT) store::requireCard(database, cardId);
        HTREEITEM target = TVI_ROOT;
        if (parentId != 0) {
            store::requireCard(database, parentId);
            target = RevealCard(parentId);
            // A card the tree cannot show is no place to go, as a drop on nothing is not.
            if (target == TVI_ROOT) target = nullptr;
        }
        if (moved != TVI_ROOT) MoveCardAndSelectIt(target, moved);
    } catch (const QError& error) {
        ShowMessage(error.message);
    }
}

// The moved card stays selected, so a key can move it again.
void MainWindow::MoveCardAndSelectIt(HTREEITEM target, HTREEITEM item) {
    const CardId cardId = cardTree.GetCardId(item);
    try {
        MoveDraggedCard(target, item);
    } catch (const QError& error) {
        ShowMessage(error.message);
        return;
    }
    const HTREEITEM moved = RevealCard(cardId);
    if (moved != TVI_ROOT) cardTree.SelectItem(moved);
}
