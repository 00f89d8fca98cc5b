// Moving a card under another by dragging it in the tree.

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/card_operations.h"

using kiln::qstd::QError;

void MainWindow::BeginCardDrag(const NMTREEVIEWW& info) {
    if (!RequireWritableDatabase()) return;
    draggedItem = info.itemNew.hItem;
    const HWND tree = cardTree.GetHandle();
    dragImage.Reset(reinterpret_cast<HIMAGELIST>(
        SendMessageW(tree, TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(draggedItem))));
    if (dragImage.Get()) {
        ImageList_BeginDrag(dragImage.Get(), 0, 0, 0);
        ImageList_DragEnter(tree, info.ptDrag.x, info.ptDrag.y);
    }
    SetCapture(handle);
    treeDragging = true;
}

void MainWindow::DragCardTo(POINT clientPoint) {
    // The pointer in the tree's own co-ordinates, whatever its place and the display scale.
    POINT inTree = clientPoint;
    MapWindowPoints(handle, cardTree.GetHandle(), &inTree, 1);
    if (dragImage.Get()) {
        ImageList_DragMove(inTree.x, inTree.y);
        ImageList_DragShowNolock(FALSE);
    }
    if (const HTREEITEM item = cardTree.HitTest(inTree)) {
        cardTree.SetDropTarget(item);
        try {
            LoadChildCards(item);
        } catch (const QError& error) {
            ShowMessage(error.message);
        }
        cardTree.Expand(item);
    }
    if (dragImage.Get()) ImageList_DragShowNolock(TRUE);
}

void MainWindow::EndCardDrag() {
    if (dragImage.Get()) {
        ImageList_DragLeave(cardTree.GetHandle());
        ImageList_EndDrag();
        dragImage.Reset();
    }
    draggedItem = nullptr;
    treeDragging = false;
    if (GetCapture() == handle) ReleaseCapture();
}

void MainWindow::DropCard() {
    const HTREEITEM target = cardTree.GetDropTarget();
    const HTREEITEM dragged = draggedItem;
    EndCardDrag();
    try {
        MoveDraggedCard(target, dragged);
    } catch (const QError& error) {
        ShowMessage(error.message);
    }
    cardTree.SetDropTarget(nullptr);
}

void MainWindow::CancelCardDrag() {
    EndCardDrag();
    cardTree.SetDropTarget(nullptr);
    SetStatusText(L"Move cancelled.");
}

void MainWindow::MoveDraggedCard(HTREEITEM target, HTREEITEM dragged) {
    if (!cardTree.IsDropAllowed(target, dragged)) {
        ShowMessage(store::kMoveRefusedMessage);
        return;
    }
    const bool topLevel = target == TVI_ROOT;
    const CardId targetId = topLevel ? 0 : cardTree.GetCardId(target);
    const CardId draggedId = cardTree.GetCardId(dragged);
    // The target's level is read before the move, or the moved card would
    // come into it twice; the tree changes only once the database has.
    LoadChildCards(target);
    store::moveCard(database, draggedId, targetId);
    const HTREEITEM oldParent = cardTree.GetParentItem(dragged);
    const HTREEITEM copy = cardTree.CopySubtree(dragged, target, draggedId);
    cardTree.DeleteItem(dragged);
    if (oldParent && !cardTree.GetChildItem(oldParent)) cardTree.SetHasChildren(oldParent, false);
    cardTree.SelectItem(topLevel ? copy : target);
}

bool MainWindow::OnCaptureChanged() {
    // EndCardDrag stops the drag before it lets the pointer go.
    if (treeDragging) CancelCardDrag();
    return false;
}
