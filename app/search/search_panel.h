#pragma once

// app/search: the search panel, which the main window shows in the tree's
// place; the search itself runs in the store's background search.

#include "core/qobarray.h"
#include "core/qstring.h"
#include "store/card_search.h"
#include "window/qaccessible.h"
#include "window/qedit.h"
#include "window/qgdi_object.h"
#include "window/qimage_list.h"
#include "window/qwindow.h"

class SearchPanel;

// The one-line search box: the arrows walk the result list, and Escape
// released in it closes the panel; every other key is the box's own.
class SearchBox : public kiln::qwin::QEdit {
public:
    explicit SearchBox(SearchPanel& panel) : panel(panel) {}

    // The box paints itself: the router's WM_PAINT would begin and end a
    // paint of its own first and leave the box nothing to draw.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    bool OnKeyDown(UINT key, UINT repeat, LPARAM lParam) override;
    bool OnKeyUp(UINT key, UINT repeat, LPARAM lParam) override;

private:
    SearchPanel& panel;
};

// The panel that takes the card tree's place while the user searches: a
// title with a close box, the search box and the list of matching cards.
// Its notifications go to the parent as commands.
class SearchPanel : public kiln::qwin::QWindow, private kiln::qwin::AccessibleSource {
public:
    SearchPanel();
    ~SearchPanel() override;

    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    // Created hidden: the search command shows it.
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCreate() override;
    // Fonts, row height and images for the display scale, and the layout again.
    void ApplyDisplayScale();
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    bool OnSetFocus(HWND losingFocus) override;
    bool OnKeyDown(UINT key, UINT repeat, LPARAM lParam) override;
    bool OnKeyUp(UINT key, UINT repeat, LPARAM lParam) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    bool OnMouseLeave() override;
    bool OnLButtonUp(UINT keys, POINT* point) override;
    bool OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The close box as a button for screen readers.
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) override;

    void GetSearchText(kiln::qstd::QString& out) const { out = searchText; }
    const kiln::qstd::QString& GetSearchText() const { return searchText; }

    // The cards found for text become the list, as long as text is still
    // the search text. A long list goes in a few hundred items at a time,
    // between which the window goes on painting and taking keys; a change
    // of the search text drops what is not in yet.
    void ShowResults(const kiln::qstd::QString& text, kiln::qstd::QObArray<SearchResult> results);
    // The text whose results the list holds, all of them in; empty while
    // the list is being filled or was emptied.
    const kiln::qstd::QString& GetShownText() const { return shownText; }
    // An empty search box and list, with no results still to come in.
    void Reset();
    // The card and title of the selected result; false when none is selected.
    bool GetSelectedResult(CardId& id, kiln::qstd::QString& title) const;

    HWND GetSearchBox() const { return searchBox.GetHandle(); }
    HWND GetResultList() const { return resultList; }
    HFONT GetTitleFont() const { return titleFont.Get(); }
    bool IsCloseBoxHot() const { return closeHot; }

private:
    kiln::qstd::QString AccessibleName() const override;
    long AccessibleRole() const override;
    int AccessiblePartCount() const override;
    kiln::qwin::AccessiblePart AccessiblePartAt(int index) const override;
    bool DoAccessibleAction(int index) override;
    RECT CloseBox() const;
    void ClearResults();
    void InsertPendingResults();
    void Notify(int id, int code, LPARAM lParam);

    SearchBox searchBox;
    HWND resultList = nullptr;
    kiln::qwin::QFont font;
    kiln::qwin::QFont titleFont;
    kiln::qwin::QBitmap strip;
    kiln::qwin::QImageList images;
    kiln::qstd::QString searchText;
    bool closeHot = false;
    bool trackingLeave = false;
    // Emptying the list selects nothing in particular: its selection
    // notifications are not the user's choice.
    bool clearing = false;
    kiln::qstd::QObArray<SearchResult> pending;
    unsigned pendingNext = 0;
    kiln::qstd::QString pendingText;
    kiln::qstd::QString shownText;
    kiln::qwin::QAccessible accessible{*this};
};
