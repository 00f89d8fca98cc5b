#include <gtest/gtest.h>

#include "app/frame/main_layout.h"
#include "placement_printing.h"

namespace {

// The display scale for a screen of this many dots per inch, computed as the
// program does it.
double Scale(int dpi) {
    return dpi * 0.010416667;
}

TEST(FrameMetricsTest, PixelSizesAreTruncatedProductsOfTheScale) {
    struct Case {
        int dpi;
        int toolbar, status, caption, menuButton, splitter, marginX, marginY;
    };
    const Case cases[] = {
        {96, 32, 22, 31, 93, 4, 8, 5},
        {120, 40, 27, 38, 116, 5, 10, 6},
        {144, 48, 33, 46, 139, 6, 12, 7},
        {192, 64, 44, 61, 186, 8, 16, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const FrameMetrics m = ComputeFrameMetrics(Scale(c.dpi), Scale(c.dpi));
        EXPECT_EQ(m.toolbarHeight, c.toolbar);
        EXPECT_EQ(m.statusHeight, c.status);
        EXPECT_EQ(m.captionHeight, c.caption);
        EXPECT_EQ(m.menuButtonWidth, c.menuButton);
        EXPECT_EQ(m.splitterWidth, c.splitter);
        EXPECT_EQ(m.marginX, c.marginX);
        EXPECT_EQ(m.marginY, c.marginY);
    }
}

TEST(FrameMetricsTest, TheSplitterFollowsTheVerticalScale) {
    const FrameMetrics m = ComputeFrameMetrics(Scale(96), Scale(192));
    EXPECT_EQ(m.splitterWidth, 8);
    EXPECT_EQ(m.menuButtonWidth, 93);
}

struct LayoutCase {
    const char* name;
    int dpi;
    int cx, cy, treeWidth;
    bool maximised;
    MainLayout expected;
};

// Expected rectangles worked out by hand from the frame's rules.
const LayoutCase kLayoutCases[] = {
    {"800x600 at 96 dpi", 96, 800, 600, 150, false,
     {{1, 1, 798, 31}, {6, 1, 93, 22}, {1, 32, 798, 32}, {1, 63, 150, 514}, {151, 63, 4, 514},
      {155, 63, 644, 514}, {1, 577, 798, 22}, {1, 63, 150, 514}}},
    {"1280x800 at 144 dpi", 144, 1280, 800, 200, false,
     {{1, 1, 1278, 46}, {6, 1, 139, 33}, {1, 47, 1278, 48}, {1, 94, 200, 672}, {201, 94, 6, 672},
      {207, 94, 1072, 672}, {1, 766, 1278, 33}, {1, 94, 200, 672}}},
    {"640x480 at 120 dpi, no tree", 120, 640, 480, 0, false,
     {{1, 1, 638, 38}, {6, 1, 116, 27}, {1, 39, 638, 40}, {1, 78, 0, 374}, {1, 78, 5, 374},
      {6, 78, 633, 374}, {1, 452, 638, 27}, {1, 78, 0, 374}}},
    {"maximised 1920x1040 at 96 dpi", 96, 1920, 1040, 150, true,
     {{8, 8, 1902, 31}, {11, 9, 93, 22}, {8, 36, 1918, 32}, {8, 68, 142, 944}, {150, 68, 4, 944},
      {154, 68, 1760, 944}, {8, 1012, 1918, 22}, {8, 68, 142, 944}}},
    {"maximised 1920x1040 at 192 dpi, widest tree", 192, 1920, 1040, 333, true,
     {{16, 13, 1886, 61}, {19, 14, 186, 44}, {16, 71, 1918, 64}, {16, 135, 317, 850}, {333, 135, 8, 850},
      {341, 135, 1569, 850}, {16, 985, 1918, 44}, {16, 135, 317, 850}}},
};

TEST(MainLayoutTest, EveryChildSitsWhereTheFrameRulesPutIt) {
    for (const LayoutCase& c : kLayoutCases) {
        SCOPED_TRACE(c.name);
        const MainLayout got =
            ComputeMainLayout(c.cx, c.cy, c.treeWidth, c.maximised, ComputeFrameMetrics(Scale(c.dpi), Scale(c.dpi)));
        EXPECT_EQ(got.caption, c.expected.caption);
        EXPECT_EQ(got.menuButton, c.expected.menuButton);
        EXPECT_EQ(got.toolbar, c.expected.toolbar);
        EXPECT_EQ(got.tree, c.expected.tree);
        EXPECT_EQ(got.splitter, c.expected.splitter);
        EXPECT_EQ(got.body, c.expected.body);
        EXPECT_EQ(got.status, c.expected.status);
        EXPECT_EQ(got.searchPanel, c.expected.searchPanel);
    }
}

TEST(MainLayoutTest, AWindowTooSmallForItsContentGetsEmptyRectanglesNotNegativeOnes) {
    const FrameMetrics m = ComputeFrameMetrics(Scale(96), Scale(96));
    const MainLayout shrunk = ComputeMainLayout(100, 50, 150, false, m);
    EXPECT_EQ(shrunk.tree.height, 0);
    EXPECT_EQ(shrunk.body.width, 0);
    EXPECT_EQ(shrunk.searchPanel.height, 0);
    // Maximised, a tree narrower than the margin has no width left.
    const MainLayout maximised = ComputeMainLayout(1920, 1040, 3, true, m);
    EXPECT_EQ(maximised.tree.width, 0);
    EXPECT_EQ(maximised.searchPanel.width, 0);
}

TEST(FrameHitTestTest, CornersBordersAndTheCaptionBand) {
    const RECT window = {100, 100, 900, 700};
    struct Case {
        int dpi;
        POINT point;
        LRESULT expected;
    };
    const Case cases[] = {
        {96, {100, 100}, HTTOPLEFT},       {96, {109, 109}, HTTOPLEFT},      {96, {110, 101}, HTTOP},
        {96, {899, 100}, HTTOPRIGHT},      {96, {890, 109}, HTTOPRIGHT},     {96, {889, 105}, HTCAPTION},
        {96, {100, 699}, HTBOTTOMLEFT},    {96, {109, 690}, HTBOTTOMLEFT},   {96, {899, 699}, HTBOTTOMRIGHT},
        {96, {101, 400}, HTLEFT},          {96, {103, 400}, HTNOWHERE},      {96, {500, 101}, HTTOP},
        {96, {500, 698}, HTBOTTOM},        {96, {500, 697}, HTNOWHERE},      {96, {898, 400}, HTRIGHT},
        {96, {897, 400}, HTNOWHERE},       {96, {500, 131}, HTCAPTION},      {96, {500, 132}, HTNOWHERE},
        {96, {500, 400}, HTNOWHERE},       {144, {500, 146}, HTCAPTION},     {144, {500, 147}, HTNOWHERE},
        // The corners and borders grow with the scale too.
        {144, {114, 114}, HTTOPLEFT},      {144, {115, 130}, HTCAPTION},     {144, {103, 400}, HTLEFT},
        {144, {885, 685}, HTBOTTOMRIGHT},  {144, {897, 400}, HTRIGHT},       {144, {500, 697}, HTBOTTOM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi at " << c.point.x << "," << c.point.y);
        EXPECT_EQ(FrameHitTest(window, c.point, Scale(c.dpi), Scale(c.dpi)), c.expected);
    }
}

TEST(MinimumSizeTest, GrowsWithTheScale) {
    struct Case {
        int dpi;
        LONG cx, cy;
    };
    for (const Case& c : {Case{96, 640, 480}, Case{120, 800, 600}, Case{144, 960, 720}}) {
        SCOPED_TRACE(c.dpi);
        const SIZE size = ComputeMinimumSize(Scale(c.dpi), Scale(c.dpi));
        EXPECT_EQ(size.cx, c.cx);
        EXPECT_EQ(size.cy, c.cy);
    }
}

TEST(CaptionButtonsTest, MinimiseMaximiseAndCloseFillTheRightEnd) {
    const CaptionButtons at96 = ComputeCaptionButtons(798, Scale(96), Scale(96));
    const RECT min96 = {663, 0, 708, 29}, max96 = {708, 0, 753, 29}, close96 = {753, 0, 798, 29};
    EXPECT_TRUE(EqualRect(&at96.minimise, &min96));
    EXPECT_TRUE(EqualRect(&at96.maximise, &max96));
    EXPECT_TRUE(EqualRect(&at96.close, &close96));
    const CaptionButtons at144 = ComputeCaptionButtons(1278, Scale(144), Scale(144));
    const RECT min144 = {1077, 0, 1144, 43}, close144 = {1211, 0, 1278, 43};
    EXPECT_TRUE(EqualRect(&at144.minimise, &min144));
    EXPECT_TRUE(EqualRect(&at144.close, &close144));
}

TEST(TreeWidthTest, ThePointerSetsTheWidthWithinZeroAnd333) {
    struct Case {
        int x;
        int expected;
    };
    const Case cases[] = {{-20, 0}, {0, 0}, {1, 0}, {151, 150}, {334, 333}, {335, 333}, {1921, 333}, {1922, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(TreeWidthForPointer(c.x, 1920), c.expected);
    }
}

}  // namespace
