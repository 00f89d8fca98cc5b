#pragma once

#include <vector>

#include "app/editor/editor_page.h"
#include "app/editor/toolbar_layout.h"
#include "core/qarray.h"
#include "window/qaccessible.h"
#include "window/qcontrol.h"
#include "window/qimage_list.h"

// The row of formatting buttons and the font, size, line-spacing and colour
// lists above the editors. A press on a button sends its command to the
// owner; so does a colour chosen from a list.
class FormatToolbar : public kiln::qwin::QControl, private kiln::qwin::AccessibleSource {
public:
    static const int kButtonCount = kToolbarButtonCount;
    static const int kLineSpacingCombo = 1;
    static const int kSizeCombo = 2;
    static const int kFontCombo = 3;
    static const int kTextColorCombo = 4;
    static const int kBackColorCombo = 5;
    static const int kOverflowButton = 6;

    struct Button {
        RECT rect;
        int command;
        int image;
        const wchar_t* tooltip;
    };

    // What an item of the overflow menu does: the command it sends the
    // owner, with the chosen text for the font, size and spacing lists.
    struct OverflowChoice {
        int command;
        kiln::qstd::QString text;
    };

    explicit FormatToolbar(kiln::qwin::QWindow& owner);

    const wchar_t* GetClassName() const override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCreate() override;
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;
    bool OnLButtonDown(UINT keys, POINT* point) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    bool OnMouseLeave() override;
    bool OnSize(UINT type, int cx, int cy) override;
    // The combos' changes, sent on to the owner with their text.
    bool OnCommand(int id, int code, HWND control) override;
    // The colour lists draw their own items: a swatch and its name.
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // One child per button for screen readers, its tooltip as its name.
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) override;

    // The combos show the formatting at the editor's caret; showing it
    // sends nothing to the owner.
    void ShowCaretFormat(const CaretFormat& format);

    // Places the controls for a width: what does not fit goes behind the
    // overflow button. Runs on every resize; call it again once the display
    // scale has changed.
    void Arrange(int width);
    // The controls Tab walks, left to right: the lists shown, then the
    // overflow button while it is shown.
    std::vector<HWND> GetFocusStops() const;
    // Whether button index is in the row, not behind the overflow button.
    bool IsButtonShown(int index) const { return index < shownButtons; }
    // Fills menu with what is hidden behind the overflow button: a hidden
    // button as an item, a hidden list as a submenu of its entries. The
    // item with id n runs choice n - 1.
    std::vector<OverflowChoice> FillOverflowMenu(HMENU menu) const;
    // Sends the choice's command to the owner, as its button or list would.
    void RunOverflowChoice(const OverflowChoice& choice);

    const Button& GetButton(int index) const { return buttons[index]; }
    HWND GetCombo(int comboId) const { return GetDlgItem(handle, comboId); }
    HWND GetTooltip() const { return tooltip; }
    HWND GetOverflowButton() const { return overflowButton; }
    // The icons, one per button in button order; null when they could not be loaded.
    HIMAGELIST GetImages() const { return images.Get(); }

private:
    kiln::qstd::QString AccessibleName() const override;
    long AccessibleRole() const override;
    int AccessiblePartCount() const override;
    kiln::qwin::AccessiblePart AccessiblePartAt(int index) const override;
    bool DoAccessibleAction(int index) override;
    int ButtonAt(POINT point) const;
    void CreateCombos();
    void CreateColorCombos();
    void CreateOverflowButton();
    void ShowOverflowMenu();
    void LoadImages();
    void CreateTooltips();
    void RelayToTooltip(UINT msg, UINT keys, POINT point) const;
    void DrawColorItem(const DRAWITEMSTRUCT& item) const;

    kiln::qwin::QWindow& owner;
    kiln::qwin::QImageList images;
    int imageSize = 0;
    // Owned by the toolbar's window, which takes it along when destroyed.
    HWND tooltip = nullptr;
    Button buttons[kButtonCount];
    HWND overflowButton = nullptr;
    int shownButtons = kButtonCount;
    int hot = -1;
    bool showingFormat = false;
    kiln::qwin::QAccessible accessible{*this};
};
