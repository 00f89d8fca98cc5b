#pragma once

#include "app/frame/main_layout.h"
#include "core/qstring.h"
#include "window/qaccessible.h"
#include "window/qcontrol.h"
#include "window/qgdi_object.h"

// The main window's own caption: the title and the minimise,
// maximise and close buttons. Outside its buttons it is transparent to the
// mouse, so that the frame's caption band takes the pointer there (moving,
// double-click maximising, the window menu).
class CaptionBar : public kiln::qwin::QControl, private kiln::qwin::AccessibleSource {
public:
    enum Button { Minimise, Maximise, Close, kButtonCount };

    explicit CaptionBar(kiln::qwin::QWindow& owner);
    ~CaptionBar() override;

    const wchar_t* GetClassName() const override;
    bool OnCreate() override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;
    bool OnNcHitTest(POINT* point, LRESULT* result) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    bool OnMouseLeave() override;
    bool OnLButtonDown(UINT keys, POINT* point) override;
    bool OnLButtonUp(UINT keys, POINT* point) override;
    // One child per button for screen readers.
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) override;

    // The font and the buttons for the display scale.
    void ApplyDisplayScale();
    HFONT GetFont() const { return font.Get(); }

    void SetTitle(const kiln::qstd::QString& text);
    const kiln::qstd::QString& GetTitle() const { return title; }
    const RECT& GetButtonRect(Button button) const { return buttons[button]; }

private:
    int ButtonAt(POINT point) const;
    void Press(Button button);
    long AccessibleRole() const override;
    int AccessiblePartCount() const override;
    kiln::qwin::AccessiblePart AccessiblePartAt(int index) const override;
    bool DoAccessibleAction(int index) override;
    void DrawButton(HDC dc, Button button) const;

    kiln::qwin::QWindow& owner;
    kiln::qstd::QString title;
    kiln::qwin::QFont font;
    RECT buttons[kButtonCount] = {};
    RECT textRect = {};
    bool hovered[kButtonCount] = {};
    bool pressed[kButtonCount] = {};
    kiln::qwin::QAccessible accessible{*this};
};
