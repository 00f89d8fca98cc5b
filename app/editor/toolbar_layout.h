#pragma once

#include <windows.h>

#include <vector>

// Where the formatting toolbar's controls go in a given width, without any
// window: the buttons, then the font, size and line-spacing lists and the two
// colour lists, left to right. When they do not all fit, the ones at the end
// of the row are hidden and an overflow button (») after the last one shown
// offers them as a menu.
struct ToolbarArrangement {
    // One rectangle per control in the order above.
    std::vector<RECT> controls;
    // Controls from this index on are hidden behind the overflow button.
    size_t shown = 0;
    // Empty when every control fits.
    RECT overflow = {};

    bool HasOverflow() const { return shown < controls.size(); }
};

const int kToolbarButtonCount = 12;
// The buttons and then the five lists.
const int kToolbarControlCount = kToolbarButtonCount + 5;

// sx, sy: the display scale (pixels per inch over 96).
ToolbarArrangement ArrangeToolbar(int width, double sx, double sy);
