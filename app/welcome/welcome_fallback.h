#pragma once

#include <windows.h>

#include "app/welcome/welcome_words.h"
#include "core/qstring.h"
#include "window/qaccessible.h"
#include "window/qcontrol.h"

// The welcome page drawn natively, for where no web page can be shown: the
// logo, the headings, the description and the two actions of the page, in
// the page's own words, colours and layout. An action runs on a click or, with the keyboard focus
// here, on Enter or Space (the arrow and Tab keys move between them); it
// posts the same command to the target window that the page's link sends.
class WelcomeFallback : public kiln::qwin::QControl, private kiln::qwin::AccessibleSource {
public:
    static const int kActionCount = 2;

    WelcomeFallback() = default;
    ~WelcomeFallback() override;

    void SetCommandTarget(HWND window) { target = window; }
    // The command of action index (0 New, 1 Open).
    static int GetActionCommand(int index);
    // Where action index is drawn, in client co-ordinates.
    RECT GetActionRect(int index) const { return actions[index]; }
    // The words of action index, as the page's link says them.
    const kiln::qstd::QString& ActionText(int index) const;
    bool HasLogo() const { return logo != nullptr; }

    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    bool OnCreate() override;
    // Lengths, fonts and logo for the display scale.
    void ApplyDisplayScale();
    bool OnEraseBackground(kiln::qwin::QGraphics& graphics) override;
    bool OnPaint(kiln::qwin::QPaintGraphics& graphics) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    bool OnMouseLeave() override;
    bool OnLButtonDown(UINT keys, POINT* point) override;
    bool OnLButtonUp(UINT keys, POINT* point) override;
    bool OnSetCursor(UINT hitCode, UINT mouseMessage) override;
    bool OnKeyDown(UINT key, UINT repeat, LPARAM lParam) override;
    bool OnSetFocus(HWND losingFocus) override;
    bool OnKillFocus(HWND gainingFocus) override;
    // The actions as links for screen readers.
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) override;

private:
    long AccessibleRole() const override;
    int AccessiblePartCount() const override;
    kiln::qwin::AccessiblePart AccessiblePartAt(int index) const override;
    bool DoAccessibleAction(int index) override;
    // Pixels for a length of the page's style sheet at this screen's density.
    int Scaled(int pagePixels) const { return MulDiv(pagePixels, dpi, 96); }
    void CreateFonts();
    void DeleteFonts();
    void Layout();
    void Draw(kiln::qwin::QGraphics& canvas, const RECT& client);
    int ActionAt(POINT point) const;
    void Run(int index);

    HWND target = nullptr;
    WelcomeWords words;
    int dpi = 96;
    HBITMAP logo = nullptr;
    HFONT titleFont = nullptr;
    HFONT headingFont = nullptr;
    HFONT textFont = nullptr;
    RECT logoRect = {};
    RECT actions[kActionCount] = {};
    int hot = -1;
    int pressed = -1;
    int focused = 0;
    bool hasFocus = false;
    // As elsewhere in the system, the focus is marked only once the
    // keyboard is in use.
    bool keyboardCues = false;
    kiln::qwin::QAccessible accessible{*this};
};
