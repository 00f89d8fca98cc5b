#pragma once

#include <windows.h>

#include <commctrl.h>

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
    static const int kControlId = 222;

    CardTreeView() = default;
    ~CardTreeView() override;

    // Creates the control, subclassed so that its messages pass through the
    // library's routing, with the card images; treeLines adds the lines.
    bool Create(kiln::qwin::QWindow* parent, int id, DWORD style) override;
    bool CreateTree(kiln::qwin::QWindow& parent, bool treeLines);
    // The control paints itself: the router's WM_PAINT would begin and end a
    // paint of its own first and leave the control nothing to draw.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Replaces every item with the cards, nested as the tree places them.
    void Fill(const CardTree& cards);
    void DeleteAll();
    // Lines between the items, or none.
    void SetTreeLines(bool on);

    HTREEITEM GetSelectedItem() const;
    HTREEITEM GetFirstVisible() const;
    // 0 when the item cannot be read.
    CardId GetCardId(HTREEITEM item) const;
    kiln::qstd::QString GetItemText(HTREEITEM item) const;
    bool SelectItem(HTREEITEM item);
    // Depth first from the children of start; TVI_ROOT when no item carries id.
    HTREEITEM FindItemByCardId(CardId id, HTREEITEM start = TVI_ROOT) const;
    // Throws QError for an id that does not fit the item's value.
    HTREEITEM InsertItem(const wchar_t* text, HTREEITEM parent, CardId cardId);
    int GetCount() const;

private:
    HTREEITEM ChildOf(HTREEITEM item) const;
    HTREEITEM NextOf(HTREEITEM item) const;

    kiln::qwin::QBitmap strip;
    kiln::qwin::QImageList images;
};
