#include <gtest/gtest.h>

#include "app/editor/toolbar_layout.h"

namespace {

double Scale(int dpi) {
    return dpi * 0.010416667;
}

// A 700-pixel window gives its toolbar 698: the frame keeps a pixel each side.
TEST(ToolbarLayoutTest, WhatDoesNotFitWaitsBehindTheOverflowButton) {
    struct Case {
        const char* name;
        int width;
        int dpi;
        size_t shown;
        RECT overflow;  // empty: everything fits
    };
    const Case cases[] = {
        {"700-pixel window", 698, 96, 15, {664, 5, 688, 29}},
        {"700-pixel window at 144 dpi", 698, 144, 12, {583, 5, 619, 41}},
        {"wide window", 1400, 96, 17, {}},
        {"wide window at 144 dpi", 1400, 144, 17, {}},
        {"1200 pixels at 144 dpi", 1198, 144, 16, {1148, 5, 1184, 41}},
        {"exactly wide enough", 869, 96, 17, {}},
        {"a pixel short", 868, 96, 16, {769, 5, 793, 29}},
        {"narrower than a button", 20, 96, 0, {0, 5, 24, 29}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolbarArrangement row = ArrangeToolbar(c.width, Scale(c.dpi), Scale(c.dpi));
        ASSERT_EQ(row.controls.size(), static_cast<size_t>(kToolbarControlCount));
        EXPECT_EQ(row.shown, c.shown);
        EXPECT_EQ(row.HasOverflow(), c.shown < row.controls.size());
        EXPECT_EQ(row.overflow.left, c.overflow.left);
        EXPECT_EQ(row.overflow.top, c.overflow.top);
        EXPECT_EQ(row.overflow.right, c.overflow.right);
        EXPECT_EQ(row.overflow.bottom, c.overflow.bottom);
        // What is shown lies inside the width, left to right without overlap,
        // and the overflow button after it.
        int right = 0;
        for (size_t i = 0; i < row.shown; ++i) {
            EXPECT_GE(row.controls[i].left, right) << "control " << i;
            right = row.controls[i].right;
        }
        EXPECT_LE(right, c.width);
        if (row.HasOverflow() && c.shown > 0) {
            EXPECT_GT(row.overflow.left, right);
            EXPECT_LE(row.overflow.right, c.width);
        }
    }
}

// The row keeps its places at every width: only what is shown changes.
TEST(ToolbarLayoutTest, TheRowIsTheSameAtEveryWidth) {
    const ToolbarArrangement wide = ArrangeToolbar(5000, 1.0, 1.0);
    const ToolbarArrangement narrow = ArrangeToolbar(400, 1.0, 1.0);
    ASSERT_EQ(wide.controls.size(), narrow.controls.size());
    for (size_t i = 0; i < wide.controls.size(); ++i) EXPECT_TRUE(EqualRect(&wide.controls[i], &narrow.controls[i]));
    // The buttons are 32 pixels square, the lists follow 5 pixels after them.
    EXPECT_EQ(wide.controls[11].right, 384);
    EXPECT_EQ(wide.controls[12].left, 389);
    EXPECT_EQ(wide.controls[16].right, 869);
}

}  // namespace
