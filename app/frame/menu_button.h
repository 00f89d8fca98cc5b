#pragma once

#include "window/qaccessible.h"
#include "window/qcontrol.h"
#include "window/qgdi_object.h"

// The "VORLEN" button at the caption's left: a press opens the main menu
// under it, and the chosen command goes to the owner.
class MainMenuButton : public kiln::qwin::QControl, private kiln::qwin::AccessibleSource {
public:
    explicit MainMenuButton(kiln::qwin::QWindow& owner);

    const wchar_t* GetClassName() const override;
    bool OnCreate() override;
    // The font for the display scale.
    void ApplyDisplayScale();
    HFONT GetFont() const { return font.Get(); }
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    bool OnMouseLeave() override;
    bool OnLButtonDown(UINT keys, POINT* point) override;
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) override;

private:
    kiln::qstd::QString AccessibleName() const override;
    long AccessibleRole() const override;

    kiln::qwin::QWindow& owner;
    kiln::qwin::QFont font;
    bool hovered = false;
    bool pressed = false;
    // The last menu was dismissed by a click on this button: that click
    // must close the menu, not open it again.
    bool dismissedByButton = false;
    kiln::qwin::QAccessible accessible{*this};
};
