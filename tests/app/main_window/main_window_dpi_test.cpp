// A move to a monitor of another scale: everything laid out and made again
// at that scale, the window where the system suggests.

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "main_window_fixture.h"
#include "window/display_scale.h"

using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace apptest {
namespace {

LONG FontHeight(HFONT font) {
    LOGFONTW described = {};
    EXPECT_NE(font, nullptr);
    if (font) GetObjectW(font, sizeof(described), &described);
    return std::labs(described.lfHeight);
}

SIZE ImageSize(HIMAGELIST images) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    return SIZE{cx, cy};
}

struct Fonts {
    LONG caption, menuButton, status, tabs, searchTitle;
};

Fonts FontsOf(MainWindow& window) {
    return Fonts{FontHeight(window.GetCaptionBar().GetFont()), FontHeight(window.GetMenuButton().GetFont()),
                 FontHeight(window.GetStatusBar().GetFont()), FontHeight(window.GetTabs().GetFont()),
                 FontHeight(window.GetSearchPanel().GetTitleFont())};
}

class DpiChangeTest : public MainWindowTest {
protected:
    // As the system sends it when the window reaches a monitor of dpi.
    void MoveToMonitorOf(int dpi, const RECT& suggested) {
        SendMessageW(window->GetHandle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    void ExpectLayoutAt(double scale) {
        RECT client;
        GetClientRect(window->GetHandle(), &client);
        const MainLayout expected = ComputeMainLayout(client.right, client.bottom, window->GetTreeWidth(), false,
                                                      ComputeFrameMetrics(scale, scale));
        EXPECT_EQ(PlacementOf(window->GetCaptionBar().GetHandle()), expected.caption);
        EXPECT_EQ(PlacementOf(window->GetMenuButton().GetHandle()), expected.menuButton);
        EXPECT_EQ(PlacementOf(window->GetToolbar().GetHandle()), expected.toolbar);
        EXPECT_EQ(PlacementOf(window->GetCardTree().GetHandle()), expected.tree);
        EXPECT_EQ(PlacementOf(window->GetSplitter().GetHandle()), expected.splitter);
        EXPECT_EQ(PlacementOf(window->GetWelcomeBrowser().GetHandle()), expected.body);
        EXPECT_EQ(PlacementOf(window->GetTabs().GetHandle()), expected.body);
        EXPECT_EQ(PlacementOf(window->GetStatusBar().GetHandle()), expected.status);
        const CaptionButtons buttons = ComputeCaptionButtons(expected.caption.width, scale, scale);
        const RECT close = window->GetCaptionBar().GetButtonRect(CaptionBar::Close);
        EXPECT_TRUE(EqualRect(&close, &buttons.close));
    }
};

TEST_F(DpiChangeTest, From96To144DpiTheWindowTakesTheSuggestedRectangleAndEverySizeScales) {
    Start(L"", 96);
    const Fonts at96 = FontsOf(*window);
    // Larger than the window's minimum at 144 dpi, smaller than the screen.
    const RECT suggested = {20, 10, 20 + 1000, 10 + 740};
    MoveToMonitorOf(144, suggested);

    const double scale = 144 * 0.010416667;
    EXPECT_DOUBLE_EQ(scaleX, scale);
    EXPECT_DOUBLE_EQ(scaleY, scale);
    RECT placed;
    GetWindowRect(window->GetHandle(), &placed);
    EXPECT_TRUE(EqualRect(&placed, &suggested));
    ExpectLayoutAt(scale);

    const Fonts at144 = FontsOf(*window);
    const struct {
        const char* font;
        LONG before, after;
    } fonts[] = {{"caption", at96.caption, at144.caption},
                 {"menu button", at96.menuButton, at144.menuButton},
                 {"status bar", at96.status, at144.status},
                 {"tabs", at96.tabs, at144.tabs},
                 {"search title", at96.searchTitle, at144.searchTitle}};
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.font);
        EXPECT_GT(f.before, 0);
        EXPECT_EQ(f.after, MulDiv(f.before, 144, 96));
    }
    EXPECT_EQ(at144.searchTitle, 45);

    const SIZE treeImages = ImageSize(TreeView_GetImageList(window->GetCardTree().GetHandle(), TVSIL_NORMAL));
    EXPECT_EQ(treeImages.cx, 24);
    EXPECT_EQ(treeImages.cy, 24);
    const SIZE resultImages = ImageSize(TreeView_GetImageList(window->GetSearchPanel().GetResultList(), TVSIL_NORMAL));
    EXPECT_EQ(resultImages.cx, 24);
    EXPECT_EQ(resultImages.cy, 19);
    // 33 pixels, which the control makes even.
    EXPECT_EQ(TreeView_GetItemHeight(window->GetCardTree().GetHandle()), 32);
    EXPECT_EQ(window->GetTabs().GetStripHeight(), 37);

    MINMAXINFO info = {};
    SendMessageW(window->GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 960);
    EXPECT_EQ(info.ptMinTrackSize.y, 720);
}

TEST_F(DpiChangeTest, BackAt96DpiEverythingIsAsItWasAtTheStart) {
    Start(L"", 96);
    const Fonts before = FontsOf(*window);
    RECT original;
    GetWindowRect(window->GetHandle(), &original);
    MoveToMonitorOf(144, RECT{0, 0, 1000, 740});
    MoveToMonitorOf(96, original);
    ExpectLayoutAt(96 * 0.010416667);
    const Fonts after = FontsOf(*window);
    EXPECT_EQ(after.caption, before.caption);
    EXPECT_EQ(after.searchTitle, before.searchTitle);
    EXPECT_EQ(after.tabs, before.tabs);
    const SIZE treeImages = ImageSize(TreeView_GetImageList(window->GetCardTree().GetHandle(), TVSIL_NORMAL));
    EXPECT_EQ(treeImages.cx, 16);
    EXPECT_EQ(window->GetTabs().GetStripHeight(), 25);
}

}  // namespace
}  // namespace apptest
