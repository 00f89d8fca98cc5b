#include "app/editor/toolbar_layout.h"

namespace {

int Scale(int pixels, double scale) {
    return static_cast<int>(pixels * scale);
}

// The lists' widths at 96 dots per inch: font, size, line spacing, text
// colour, highlight.
const int kListWidths[] = {150, 55, 55, 100, 100};
const int kButtonSize = 32;
const int kListTop = 5;
const int kListHeight = 24;
const int kGap = 5;
const int kOverflowWidth = 24;

}  // namespace

ToolbarArrangement ArrangeToolbar(int width, double sx, double sy) {
    ToolbarArrangement arrangement;
    for (int i = 0; i < kToolbarButtonCount; ++i) {
        arrangement.controls.push_back(
            RECT{Scale(kButtonSize * i, sx), 0, Scale(kButtonSize * (i + 1), sx), Scale(kButtonSize, sy)});
    }
    // The first list keeps the unscaled gap it always had after the buttons.
    int x = Scale(kButtonSize * kToolbarButtonCount, sx) + kGap;
    for (const int listWidth : kListWidths) {
        const int scaled = Scale(listWidth, sx);
        arrangement.controls.push_back(RECT{x, kListTop, x + scaled, kListTop + Scale(kListHeight, sy)});
        x += scaled + Scale(kGap, sx);
    }
    arrangement.shown = arrangement.controls.size();
    if (arrangement.controls.back().right <= width) return arrangement;

    // The overflow button takes the place of what no longer fits beside it.
    const int gap = Scale(kGap, sx);
    const int overflowWidth = Scale(kOverflowWidth, sx);
    size_t shown = arrangement.controls.size();
    while (shown > 0 && arrangement.controls[shown - 1].right + gap + overflowWidth > width) --shown;
    arrangement.shown = shown;
    const int left = shown > 0 ? arrangement.controls[shown - 1].right + gap : 0;
    arrangement.overflow = RECT{left, kListTop, left + overflowWidth, kListTop + Scale(kListHeight, sy)};
    return arrangement;
}
