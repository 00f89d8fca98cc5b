#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "window/qtabcontainer.h"
#include "window/qwindow.h"

namespace {

using kiln::qwin::QTabContainer;
using kiln::qwin::QWindow;

class Host : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestTabHost"; }
};

class Page : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestTabPage"; }
};

// Counts the changes of the active tab that the container reports.
class CountingTabs : public QTabContainer {
public:
    explicit CountingTabs(DWORD flags) : QTabContainer(flags) {}
    int changes = 0;

protected:
    void OnTabChanged() override { ++changes; }
};

class TabContainerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(nullptr, 0, WS_VISIBLE));
        ASSERT_TRUE(tabs.Create(&host, 9, 0));
        SetWindowPos(tabs.GetHandle(), nullptr, 0, 0, 606, 300, SWP_NOZORDER);
    }
    void TearDown() override { DestroyWindow(host.GetHandle()); }

    HWND AddPage(const wchar_t* title, int64_t value) {
        auto page = std::make_unique<Page>();
        Page* raw = page.get();
        EXPECT_TRUE(tabs.AddTab(std::move(page), title, value));
        return raw->GetHandle();
    }
    void Click(const RECT& rect) {
        SendMessageW(tabs.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.left + 5, rect.top + 5));
    }

    Host host;
    CountingTabs tabs{QTabContainer::kCapTabWidth | QTabContainer::kKeepLastTab};
};

TEST_F(TabContainerTest, ANewTabBecomesActiveAndOnlyTheActivePageShows) {
    const HWND first = AddPage(L"Welcome", -4);
    const HWND second = AddPage(L"Ideas", 7);
    ASSERT_EQ(tabs.GetTabCount(), 2u);
    EXPECT_EQ(tabs.GetActiveIndex(), 1);
    EXPECT_EQ(tabs.GetActivePage()->GetHandle(), second);
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_TRUE(tabs.HasTab(-4));
    EXPECT_TRUE(tabs.HasTab(7));
    EXPECT_FALSE(tabs.HasTab(8));
    // Adding is not a change of tab that the owner has to follow.
    EXPECT_EQ(tabs.changes, 0);
}

TEST_F(TabContainerTest, TabsShareTheStripUpTo160PixelsAndPagesFillTheRest) {
    AddPage(L"One", 1);
    AddPage(L"Two", 2);
    // (606 - 2 * 3) / 2 = 300, capped at 160; neighbours overlap by a pixel.
    const RECT inactive = {3, 3, 163, 25};
    const RECT active = {3 + 159 - 1, 2, 3 + 159 + 160 + 1, 25};
    EXPECT_TRUE(EqualRect(&tabs.GetTab(0).rect, &inactive));
    EXPECT_TRUE(EqualRect(&tabs.GetTab(1).rect, &active));
    RECT page;
    GetWindowRect(tabs.GetActivePage()->GetHandle(), &page);
    MapWindowPoints(nullptr, tabs.GetHandle(), reinterpret_cast<POINT*>(&page), 2);
    const RECT expected = {1, 25, 605, 299};
    EXPECT_TRUE(EqualRect(&page, &expected));
}

TEST_F(TabContainerTest, AClickOnATabActivatesItAndTellsTheOwner) {
    const HWND first = AddPage(L"One", 1);
    AddPage(L"Two", 2);
    Click(tabs.GetTab(0).rect);
    EXPECT_EQ(tabs.GetActiveIndex(), 0);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(tabs.changes, 1);
    // The active tab again: nothing changes.
    Click(tabs.GetTab(0).rect);
    EXPECT_EQ(tabs.changes, 1);
}

TEST_F(TabContainerTest, WithTheLastTabKeptASingleTabIgnoresClicks) {
    AddPage(L"Only", 1);
    Click(tabs.GetTab(0).rect);
    EXPECT_EQ(tabs.changes, 0);
    EXPECT_EQ(tabs.GetActiveIndex(), 0);
}

TEST_F(TabContainerTest, TabsAreFoundAndRetitledByTheirValue) {
    AddPage(L"One", 1);
    AddPage(L"Two", 5000000000LL);
    tabs.ActivateTab(1);
    EXPECT_EQ(tabs.GetActiveIndex(), 0);
    EXPECT_EQ(tabs.changes, 1);
    tabs.ActivateTab(99);
    EXPECT_EQ(tabs.GetActiveIndex(), 0);
    tabs.SetTitle(5000000000LL, L"Renamed");
    EXPECT_STREQ(tabs.GetTab(1).title.c_str(), L"Renamed");
    tabs.SetActiveTitle(L"First");
    tabs.SetActiveValue(3);
    EXPECT_STREQ(tabs.GetTab(0).title.c_str(), L"First");
    EXPECT_EQ(tabs.GetTab(0).value, 3);
}

TEST_F(TabContainerTest, ATabWithoutTitleTakesItsPagesText) {
    class TitledPage : public Page {
    public:
        bool PreCreateWindow(CREATESTRUCTW& create) override {
            Page::PreCreateWindow(create);
            create.lpszName = L"From the page";
            return true;
        }
    };
    ASSERT_TRUE(tabs.AddTab(std::make_unique<TitledPage>(), L"", 1));
    EXPECT_STREQ(tabs.GetTab(0).title.c_str(), L"From the page");
}

TEST_F(TabContainerTest, ClosingATabMovesTheActiveIndexAsTheStripDoes) {
    const struct {
        const char* what;
        int count;
        int active;
        unsigned closed;
        int activeAfter;
        int64_t activeValue;
    } cases[] = {
        {"the active tab at 2 of 4", 4, 2, 2, 1, 1},
        {"the first tab while active", 4, 0, 0, 0, 1},
        {"a tab before the active one", 4, 3, 1, 2, 3},
        {"a tab after the active one", 4, 1, 3, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CountingTabs strip{QTabContainer::kCapTabWidth | QTabContainer::kKeepLastTab};
        ASSERT_TRUE(strip.Create(&host, 10, 0));
        for (int i = 0; i < c.count; ++i) ASSERT_TRUE(strip.AddTab(std::make_unique<Page>(), L"Tab", i));
        strip.ActivateTab(c.active);
        ASSERT_EQ(strip.GetActiveIndex(), c.active);
        const int changes = strip.changes;
        ASSERT_TRUE(strip.CloseTab(c.closed));
        EXPECT_EQ(strip.GetTabCount(), static_cast<unsigned>(c.count - 1));
        EXPECT_EQ(strip.GetActiveIndex(), c.activeAfter);
        EXPECT_EQ(strip.GetTab(static_cast<unsigned>(c.activeAfter)).value, c.activeValue);
        EXPECT_TRUE(IsWindowVisible(strip.GetActivePage()->GetHandle()));
        EXPECT_EQ(strip.changes, changes + 1);
    }
}

TEST_F(TabContainerTest, ATabDraggedPastHalfItsWidthOverANeighbourSwapsWithIt) {
    CountingTabs dragging{QTabContainer::kCapTabWidth | QTabContainer::kDragToReorder | QTabContainer::kKeepLastTab};
    ASSERT_TRUE(dragging.Create(&host, 10, 0));
    SetWindowPos(dragging.GetHandle(), nullptr, 0, 0, 606, 300, SWP_NOZORDER);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(dragging.AddTab(std::make_unique<Page>(), L"Tab", i));
    const HWND strip = dragging.GetHandle();
    const RECT first = dragging.GetTab(0).rect;
    const int y = 10;
    int x = first.left + 40;
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    // Fewer than 3 pixels: the tab stays.
    SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 2, y));
    EXPECT_EQ(dragging.GetTab(0).rect.left, first.left - 1);
    // Step by step past half a tab's width over the next tab.
    for (int step = 0; step < 10 && dragging.GetTab(0).value == 0; ++step) {
        x += 10;
        SendMessageW(strip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    }
    SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_EQ(dragging.GetTab(0).value, 1);
    EXPECT_EQ(dragging.GetTab(1).value, 0);
    // The dragged tab stays active under its new index and returns to its slot.
    EXPECT_EQ(dragging.GetActiveIndex(), 1);
    EXPECT_EQ(dragging.GetTab(1).rect.left, first.left + 159 - 1);
}

}  // namespace
