#pragma once

#include <windows.h>

#include <commctrl.h>

#include <unordered_map>

#include "core/qstring.h"
#include "store/card_id.h"
#include "store/card_tree.h"
#include "window/qgdi_object.h"
#include "window/qimage_list.h"
#include "window/qwindow.h"

// The tree of card titles: a standard tree-view control whose items carry
// their card's id as a 32-bit value. Its notifications go to the main window.
class CardTreeView : public kiln::qwin::QWindow {
public:

    CardTreeView() = default;
    ~CardTreeView() override;

    // Creates the control, subclassed so that its messages pass through the
    // library's routing, with the card images; treeLines adds the lines.
    bool Create(kiln::qwin::QWindow* parent, int id, DWORD style) override;
    bool CreateTree(kiln::qwin::QWindow& parent, bool treeLines);
    // Row height and card images for the display scale.
    void ApplyDisplayScale();
    // System keys go to the default procedure, which hands them to the
    // top-level window (Alt+F4 closes it, Alt+letter reaches its menu): some
    // tree controls keep them.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Appends one level of cards under parent (TVI_ROOT: the top level). A
    // card with children gets its button now and its items only when
    // LevelPending says they are still to be read. Every id is checked
    // before the first item goes in, so a failure (QError) adds nothing.
    void AddLevel(HTREEITEM parent, const kiln::qstd::QObArray<CardNode>& cards);
    // Whether the item has children in the database that are not items yet.
    bool LevelPending(HTREEITEM item) const;
    // Shows or hides the item's button, as its children come and go.
    void SetHasChildren(HTREEITEM item, bool hasChildren);
    void DeleteAll();
    void DeleteItem(HTREEITEM item);
    // Draws the lines between items, or not; the setting is the caller's.
    void SetLines(bool treeLines);

    HTREEITEM GetSelectedItem() const;
    HTREEITEM GetDropTarget() const;
    HTREEITEM GetFirstVisible() const;
    HTREEITEM GetParentItem(HTREEITEM item) const;
    // The first child; of TVI_ROOT, the first top-level item.
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextItem(HTREEITEM item) const;
    HTREEITEM GetPreviousItem(HTREEITEM item) const;
    // The row of the item's label in screen co-ordinates; empty when it is not shown.
    RECT GetItemScreenRect(HTREEITEM item) const;
    // 0 when the item cannot be read.
    CardId GetCardId(HTREEITEM item) const;
    kiln::qstd::QString GetItemText(HTREEITEM item) const;
    void SetItemText(HTREEITEM item, const kiln::qstd::QString& text);
    bool SelectItem(HTREEITEM item);
    // Null clears the highlight.
    void SetDropTarget(HTREEITEM item);
    void Expand(HTREEITEM item);
    // The item whose row holds a point of the control's client area, or null.
    HTREEITEM HitTest(POINT point) const;
    // Starts in-place editing of the item's label; the label's edit control, or null.
    HWND EditLabel(HTREEITEM item);
    HWND GetEditControl() const;
    // False when target is null or lies in dragged's subtree (dragged itself
    // included); any card may go to the top level (TVI_ROOT).
    bool IsDropAllowed(HTREEITEM target, HTREEITEM dragged) const;
    // A copy of dragged and the items below it as the last child of target,
    // carrying draggedId; children still to be read stay so in the copy.
    HTREEITEM CopySubtree(HTREEITEM dragged, HTREEITEM target, CardId draggedId);
    // The card's item among the items made so far, or null. Looked up, not
    // searched: a walk over the items would ask the control about each one.
    HTREEITEM ItemOfCard(CardId id) const;
    // For every item the control deletes (TVN_DELETEITEMW).
    void OnItemDeleted(const NMTREEVIEWW& info);
    // Throws QError for an id that does not fit the item's value.
    HTREEITEM InsertItem(const wchar_t* text, HTREEITEM parent, CardId cardId, bool hasChildren = false);
    int GetCount() const;

private:
    bool SaysHasChildren(HTREEITEM item) const;
    void CopyChildren(HTREEITEM from, HTREEITEM to);

    std::unordered_map<CardId, HTREEITEM> itemsByCard;
    kiln::qwin::QBitmap strip;
    kiln::qwin::QImageList images;
};
