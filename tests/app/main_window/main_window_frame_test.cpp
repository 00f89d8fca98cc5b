// The real main window: its children, where they end up, its frame.

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <vector>

#include "window/display_scale.h"
#include "window/qmenu.h"
#include "app/product.h"
#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"

using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace apptest {
namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

TEST_F(MainWindowTest, StartingWithoutADatabaseShowsTheWelcomeStateWithAReadOnlyWelcomeTab) {
    Start();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(window->IsDatabaseOpen());
    TabContainer& tabs = window->GetTabs();
    ASSERT_EQ(tabs.GetTabCount(), 1u);
    EXPECT_STREQ(tabs.GetTab(0).title.c_str(), L"Welcome");
    EXPECT_EQ(tabs.GetTab(0).value, -4);
    // The welcome page stands where the tabs would be.
    EXPECT_TRUE(IsWindowVisible(window->GetWelcomeBrowser().GetHandle()));
    EXPECT_FALSE(IsWindowVisible(tabs.GetHandle()));
    EXPECT_EQ(PlacementOf(window->GetWelcomeBrowser().GetHandle()), PlacementOf(tabs.GetHandle()));
    const HWND editor = tabs.GetActiveEditor()->GetEditor().GetHandle();
    const LRESULT options = SendMessageW(editor, EM_GETOPTIONS, 0, 0);
    EXPECT_TRUE(options & ECO_READONLY);
    EXPECT_EQ(window->GetCardTree().GetCount(), 0);
    EXPECT_STREQ(window->GetCaptionBar().GetTitle().c_str(), kProductCaption);
    EXPECT_STREQ(window->GetStatusBar().GetStatus().c_str(), L"  Ready");
    wchar_t text[32] = {};
    GetWindowTextW(window->GetHandle(), text, 32);
    EXPECT_STREQ(text, L"Vorlen");
}

TEST_F(MainWindowTest, TheCaptionNamesTheArchitectureTheProgramWasBuiltFor) {
#ifdef _WIN64
    EXPECT_STREQ(kProductCaption, L"Vorlen 2.0 x64  ");
#else
    EXPECT_STREQ(kProductCaption, L"Vorlen 2.0 x86  ");
#endif
}

TEST_F(MainWindowTest, ChildrenAreWindowsOfTheirOwnClassesWithTheirIds) {
    Start();
    struct Case {
        HWND window;
        const wchar_t* className;
        int id;
        bool visible;
    };
    const Case cases[] = {
        {window->GetMenuButton().GetHandle(), L"MyButton", 4568, true},
        {window->GetToolbar().GetHandle(), L"MYTB", 4567, true},
        {window->GetCardTree().GetHandle(), L"SysTreeView32", 222, true},
        {window->GetTabs().GetHandle(), L"QTAB", 0, false},
        {window->GetSearchPanel().GetHandle(), L"MySearchPanel", 56745, false},
        {window->GetSplitter().GetHandle(), L"MySplitt", 46534, true},
        {window->GetWelcomeBrowser().GetHandle(), L"QP", 1234, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.className, c.className + wcslen(c.className)));
        ASSERT_NE(c.window, nullptr);
        EXPECT_EQ(GetParent(c.window), window->GetHandle());
        EXPECT_EQ(ClassOf(c.window), c.className);
        EXPECT_EQ(GetDlgCtrlID(c.window), c.id);
        EXPECT_EQ(IsWindowVisible(c.window) != FALSE, c.visible);
    }
    EXPECT_EQ(ClassOf(window->GetHandle()), L"Vorlen");
}

TEST_F(MainWindowTest, AfterResizingEveryChildSitsAtItsLayoutRectangle) {
    struct Case {
        int dpi;
        int cx, cy;
    };
    // Sizes within the test display, which caps how large a window may be,
    // and at least the window's minimum at their scale (960 x 720 at 144 dpi).
    const Case cases[] = {{96, 900, 640}, {96, 1020, 760}, {120, 1000, 700}, {144, 1000, 740}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, " << c.cx << "x" << c.cy);
        Start(L"", c.dpi, c.cx, c.cy);
        const MainLayout expected = ComputeMainLayout(c.cx, c.cy, 150, false,
                                                      ComputeFrameMetrics(c.dpi * 0.010416667, c.dpi * 0.010416667));
        EXPECT_EQ(PlacementOf(window->GetCaptionBar().GetHandle()), expected.caption);
        EXPECT_EQ(PlacementOf(window->GetMenuButton().GetHandle()), expected.menuButton);
        EXPECT_EQ(PlacementOf(window->GetToolbar().GetHandle()), expected.toolbar);
        EXPECT_EQ(PlacementOf(window->GetCardTree().GetHandle()), expected.tree);
        EXPECT_EQ(PlacementOf(window->GetSplitter().GetHandle()), expected.splitter);
        EXPECT_EQ(PlacementOf(window->GetTabs().GetHandle()), expected.body);
        EXPECT_EQ(PlacementOf(window->GetStatusBar().GetHandle()), expected.status);
        window.reset();
    }
}

TEST_F(MainWindowTest, MaximisedTheContentKeepsItsMargins) {
    Start();
    ShowWindow(window->GetHandle(), SW_MAXIMIZE);
    RECT client;
    GetClientRect(window->GetHandle(), &client);
    ASSERT_TRUE(IsZoomed(window->GetHandle()));
    const MainLayout expected =
        ComputeMainLayout(client.right, client.bottom, 150, true, ComputeFrameMetrics(scaleX, scaleY));
    EXPECT_EQ(PlacementOf(window->GetCaptionBar().GetHandle()), expected.caption);
    EXPECT_EQ(PlacementOf(window->GetCardTree().GetHandle()), expected.tree);
    EXPECT_EQ(PlacementOf(window->GetTabs().GetHandle()), expected.body);
    EXPECT_EQ(PlacementOf(window->GetStatusBar().GetHandle()), expected.status);
    EXPECT_EQ(PlacementOf(window->GetCaptionBar().GetHandle()).x, 8);
}

TEST_F(MainWindowTest, TheWindowCannotBeMadeSmallerThan640By480) {
    Start();
    MINMAXINFO info = {};
    SendMessageW(window->GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 640);
    EXPECT_EQ(info.ptMinTrackSize.y, 480);
}

TEST_F(MainWindowTest, TheFrameAnswersTheHitTestForBordersAndCaption) {
    Start();
    RECT w;
    GetWindowRect(window->GetHandle(), &w);
    struct Case {
        POINT point;
        LRESULT expected;
    };
    const Case cases[] = {
        {{w.left, w.top}, HTTOPLEFT},
        {{w.right - 1, w.bottom - 1}, HTBOTTOMRIGHT},
        {{w.left + 1, (w.top + w.bottom) / 2}, HTLEFT},
        {{(w.left + w.right) / 2, w.bottom - 1}, HTBOTTOM},
        {{(w.left + w.right) / 2, w.top + 20}, HTCAPTION},
        {{(w.left + w.right) / 2, (w.top + w.bottom) / 2}, HTCLIENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x - w.left << "," << c.point.y - w.top);
        EXPECT_EQ(SendMessageW(window->GetHandle(), WM_NCHITTEST, 0, MAKELPARAM(c.point.x, c.point.y)), c.expected);
    }
}

TEST_F(MainWindowTest, TheCaptionBarLetsThePointerThroughExceptOverItsButtons) {
    Start();
    const CaptionBar& caption = window->GetCaptionBar();
    const HWND bar = caption.GetHandle();
    auto hitAt = [bar](POINT client) {
        ClientToScreen(bar, &client);
        return SendMessageW(bar, WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y));
    };
    const RECT& close = caption.GetButtonRect(CaptionBar::Close);
    const RECT& minimise = caption.GetButtonRect(CaptionBar::Minimise);
    EXPECT_EQ(hitAt(POINT{close.left + 5, 5}), HTCLIENT);
    EXPECT_EQ(hitAt(POINT{minimise.left + 5, 5}), HTCLIENT);
    EXPECT_EQ(hitAt(POINT{200, 5}), HTTRANSPARENT);
    RECT client;
    GetClientRect(bar, &client);
    EXPECT_EQ(close.right, client.right);
}

TEST_F(MainWindowTest, TheCloseButtonClosesTheWindow) {
    Start();
    const HWND frame = window->GetHandle();
    const HWND bar = window->GetCaptionBar().GetHandle();
    const RECT& close = window->GetCaptionBar().GetButtonRect(CaptionBar::Close);
    const LPARAM at = MAKELPARAM(close.left + 10, 10);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(bar, WM_LBUTTONUP, 0, at);
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(MainWindowTest, DraggingTheSplitterSetsTheTreeWidthWithinItsLimits) {
    Start();
    const HWND frame = window->GetHandle();
    SendMessageW(window->GetSplitter().GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
    ASSERT_EQ(GetCapture(), frame);
    struct Case {
        int x;
        int width;
    };
    const Case cases[] = {{201, 200}, {500, 333}, {-30, 0}, {121, 120}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        SendMessageW(frame, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.x, 100));
        EXPECT_EQ(window->GetTreeWidth(), c.width);
        EXPECT_EQ(PlacementOf(window->GetCardTree().GetHandle()).width, c.width);
        EXPECT_EQ(PlacementOf(window->GetSplitter().GetHandle()).x, c.width + 1);
    }
    SendMessageW(frame, WM_LBUTTONUP, 0, MAKELPARAM(121, 100));
    EXPECT_NE(GetCapture(), frame);
    // Without the button held, moving changes nothing.
    SendMessageW(frame, WM_MOUSEMOVE, 0, MAKELPARAM(300, 100));
    EXPECT_EQ(window->GetTreeWidth(), 120);
}

TEST_F(MainWindowTest, DoubleClickingTheSplitterGivesTheWidestTree) {
    Start();
    SendMessageW(window->GetSplitter().GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(1, 10));
    EXPECT_EQ(window->GetTreeWidth(), 333);
    EXPECT_EQ(PlacementOf(window->GetTabs().GetHandle()).x, 333 + 4 + 1);
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
    Start();
    const HWND frame = window->GetHandle();
    Command(IDM_EXIT);
    MSG msg;
    while (PeekMessageW(&msg, frame, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(MainWindowTest, HelpFeedbackAndAboutGoThroughTheSeam) {
    Start();
    Command(IDM_HELP);
    Command(IDM_FEEDBACK);
    Command(IDM_ABOUT);
    Command(IDA_ABOUT);
    ASSERT_EQ(prompts.opened.size(), 2u);
    EXPECT_NE(prompts.opened[0], prompts.opened[1]);
    EXPECT_EQ(prompts.aboutBoxes, 2);
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

TEST_F(MainWindowTest, AToolbarButtonSendsItsCommandToTheMainWindow) {
    Start();
    const FormatToolbar& toolbar = window->GetToolbar();
    auto press = [&](int index) {
        const RECT& r = toolbar.GetButton(index).rect;
        SendMessageW(toolbar.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 3, r.top + 3));
    };
    press(9);  // "About - F1"
    EXPECT_EQ(prompts.aboutBoxes, 1);
    press(8);  // "Search - (Ctrl + F)"
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"Open a database first!");
    EXPECT_STREQ(toolbar.GetButton(8).tooltip, L"Search - (Ctrl + F)");
    const RECT& last = toolbar.GetButton(11).rect;
    EXPECT_EQ(last.left, 352);
    EXPECT_EQ(last.right, 384);
}

// Each button has an icon drawn for the display's scale (never a stretched
// smaller one) and a tooltip over exactly its rectangle.
TEST_F(MainWindowTest, TheToolbarButtonsHaveIconsForTheScaleAndATooltipEach) {
    const int kButtons = FormatToolbar::kButtonCount;
    const wchar_t* const kTooltips[] = {L"Prev",  L"Next",  L"Style", L"Edit", L"Delete", L"Cut", L"Copy", L"Paste",
                                        L"Search - (Ctrl + F)", L"About - F1", L"Unordred List (Ctrl + Shift + L)",
                                        L"Ordred List (Ctrl + Shift + O)"};
    const struct {
        int dpi;
        int iconSize;
    } scales[] = {{96, 24}, {144, 36}};
    for (const auto& scale : scales) {
        SCOPED_TRACE(scale.dpi);
        Start(L"", scale.dpi);
        const FormatToolbar& toolbar = window->GetToolbar();
        ASSERT_NE(toolbar.GetImages(), nullptr);
        EXPECT_EQ(ImageList_GetImageCount(toolbar.GetImages()), kButtons);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(toolbar.GetImages(), &cx, &cy);
        EXPECT_EQ(cx, scale.iconSize);
        EXPECT_EQ(cy, scale.iconSize);
        // Each icon has something opaque to show.
        for (int i = 0; i < kButtons; ++i) {
            IMAGEINFO info = {};
            ASSERT_TRUE(ImageList_GetImageInfo(toolbar.GetImages(), i, &info));
            DIBSECTION section = {};
            ASSERT_EQ(GetObjectW(info.hbmImage, sizeof section, &section), static_cast<int>(sizeof section));
            const BITMAP& bits = section.dsBm;
            ASSERT_EQ(bits.bmBitsPixel, 32);
            ASSERT_NE(bits.bmBits, nullptr);
            const bool bottomUp = section.dsBmih.biHeight > 0;
            int opaque = 0;
            for (int y = info.rcImage.top; y < info.rcImage.bottom; ++y) {
                const int stored = bottomUp ? bits.bmHeight - 1 - y : y;
                const BYTE* row = static_cast<const BYTE*>(bits.bmBits) + stored * bits.bmWidthBytes;
                for (int x = info.rcImage.left; x < info.rcImage.right; ++x) opaque += row[x * 4 + 3] > 200;
            }
            EXPECT_GT(opaque, scale.iconSize * scale.iconSize / 20) << "icon " << i;
        }

        const HWND tips = toolbar.GetTooltip();
        ASSERT_NE(tips, nullptr);
        ASSERT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), kButtons);
        for (int i = 0; i < kButtons; ++i) {
            wchar_t text[80] = {};
            TOOLINFOW tool = {};
            tool.cbSize = sizeof(tool);
            tool.lpszText = text;
            ASSERT_TRUE(SendMessageW(tips, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)));
            const int button = static_cast<int>(tool.uId) - 1;
            ASSERT_GE(button, 0);
            ASSERT_LT(button, kButtons);
            EXPECT_STREQ(text, kTooltips[button]);
            EXPECT_EQ(tool.hwnd, toolbar.GetHandle());
            EXPECT_TRUE(EqualRect(&tool.rect, &toolbar.GetButton(button).rect)) << "button " << button;
        }
        window.reset();
    }
}

// The colour lists offer the editor's own colours and sit after the other
// combos, inside the toolbar.
TEST_F(MainWindowTest, TheToolbarsColourListsOfferTheEditorsColours) {
    Start();
    const FormatToolbar& toolbar = window->GetToolbar();
    const struct {
        int combo;
        std::vector<int> commands;
    } lists[] = {
        {FormatToolbar::kTextColorCombo,
         {IDM_COLOR_RED, IDM_COLOR_MAGENTA, IDM_COLOR_BLUE, IDM_COLOR_BROWN, IDM_COLOR_GREY, IDM_COLOR_RESET}},
        {FormatToolbar::kBackColorCombo,
         {IDM_BACK_YELLOW, IDM_BACK_ORANGE, IDM_BACK_PINK, IDM_BACK_CYAN, IDM_BACK_VIOLET, IDM_BACK_RESET}},
    };
    RECT previous;
    GetWindowRect(toolbar.GetCombo(FormatToolbar::kLineSpacingCombo), &previous);
    RECT bar;
    GetWindowRect(toolbar.GetHandle(), &bar);
    for (const auto& list : lists) {
        const HWND combo = toolbar.GetCombo(list.combo);
        ASSERT_NE(combo, nullptr);
        ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(list.commands.size()));
        for (size_t i = 0; i < list.commands.size(); ++i) {
            EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, i, 0), list.commands[i]);
        }
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        RECT shown;
        GetWindowRect(combo, &shown);
        EXPECT_GT(shown.left, previous.right);
        EXPECT_LE(shown.bottom, bar.bottom);
        previous = shown;
    }
}

// The narrowest windows, 700 pixels at 96 dots per inch and 960 (the
// smallest the window gets at that scale) at 144: the row ends inside the
// toolbar with the overflow button, whose menu offers every list it hides
// and applies what is chosen there as the list would. A wide window needs no
// such button.
TEST_F(MainWindowTest, WhatTheToolbarCannotShowIsOfferedBehindItsOverflowButton) {
    const int lists[] = {FormatToolbar::kFontCombo, FormatToolbar::kSizeCombo, FormatToolbar::kLineSpacingCombo,
                         FormatToolbar::kTextColorCombo, FormatToolbar::kBackColorCombo};
    const struct {
        int dpi;
        int width;
        size_t listsShown;
        std::vector<std::wstring> menu;
    } cases[] = {
        {96, 700, 3, {L"Text colour", L"Highlight"}},
        {144, 960, 2, {L"Line spacing", L"Text colour", L"Highlight"}},
        {96, 1000, 5, {}},
    };
    auto inToolbar = [](HWND child, const FormatToolbar& toolbar) {
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, toolbar.GetHandle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, " << c.width << " pixels");
        CardFile cards(L"vorlen-app-toolbar-overflow.data");
        Start(cards.Path(), c.dpi, c.width, 640);
        FormatToolbar& toolbar = window->GetToolbar();
        RECT bar = {};
        GetClientRect(toolbar.GetHandle(), &bar);
        for (size_t i = 0; i < 5; ++i) {
            const HWND combo = toolbar.GetCombo(lists[i]);
            EXPECT_EQ(IsWindowVisible(combo) != FALSE, i < c.listsShown) << "list " << i;
            if (i < c.listsShown) {
                EXPECT_LE(inToolbar(combo, toolbar).right, bar.right) << "list " << i;
            }
        }
        const HWND more = toolbar.GetOverflowButton();
        const std::vector<HWND> stops = toolbar.GetFocusStops();
        EXPECT_EQ(IsWindowVisible(more) != FALSE, !c.menu.empty());
        EXPECT_EQ(stops.size(), c.listsShown + (c.menu.empty() ? 0 : 1));
        kiln::qwin::QPopupMenu menu;
        const std::vector<FormatToolbar::OverflowChoice> choices = toolbar.FillOverflowMenu(menu.Get());
        std::vector<std::wstring> names;
        for (int i = 0; i < GetMenuItemCount(menu.Get()); ++i) {
            wchar_t name[64] = {};
            GetMenuStringW(menu.Get(), static_cast<UINT>(i), name, 64, MF_BYPOSITION);
            names.push_back(name);
        }
        EXPECT_EQ(names, c.menu);
        if (!c.menu.empty()) {
            EXPECT_LE(inToolbar(more, toolbar).right, bar.right);
            EXPECT_EQ(stops.back(), more);
            // Red, chosen from the menu, colours the selected text of the card.
            ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.ideas)));
            const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
            SendMessageW(editor, EM_SETSEL, 0, 5);
            const auto red = std::find_if(choices.begin(), choices.end(), [](const FormatToolbar::OverflowChoice& choice) {
                return choice.command == IDM_COLOR_RED;
            });
            ASSERT_NE(red, choices.end());
            toolbar.RunOverflowChoice(*red);
            CHARFORMAT2W format = {};
            format.cbSize = sizeof(format);
            SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
            EXPECT_EQ(format.crTextColor, RGB(255, 0, 0));
        }
        window.reset();
        guitest::DrainQuit();
    }
}

TEST_F(MainWindowTest, TheToolbarCombosOfferSpacingsSizesAndTrueTypeFaces) {
    Start();
    const FormatToolbar& toolbar = window->GetToolbar();
    const HWND spacing = toolbar.GetCombo(FormatToolbar::kLineSpacingCombo);
    const HWND sizes = toolbar.GetCombo(FormatToolbar::kSizeCombo);
    const HWND faces = toolbar.GetCombo(FormatToolbar::kFontCombo);
    EXPECT_EQ(SendMessageW(spacing, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(sizes, CB_GETCOUNT, 0, 0), 16);
    const LRESULT faceCount = SendMessageW(faces, CB_GETCOUNT, 0, 0);
    EXPECT_GT(faceCount, 0);
    for (LRESULT i = 0; i < faceCount; ++i) {
        wchar_t face[LF_FACESIZE + 1] = {};
        SendMessageW(faces, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(face));
        EXPECT_NE(face[0], L'@') << i;
    }
    // The face combo follows the twelve buttons.
    EXPECT_EQ(PlacementOf(faces).x - PlacementOf(toolbar.GetHandle()).x, 384 + 5);
}

TEST_F(MainWindowTest, TheSearchPanelPlacesItsBoxAndItsResultList) {
    struct Case {
        int dpi;
        int boxY, boxHeight, listY;
    };
    for (const Case& c : {Case{96, 38, 22, 64}, Case{144, 51, 33, 90}}) {
        SCOPED_TRACE(c.dpi);
        Start(L"", c.dpi);
        const SearchPanel& panel = window->GetSearchPanel();
        SetWindowPos(panel.GetHandle(), nullptr, 0, 0, 200, 400, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        RECT box, list;
        GetWindowRect(panel.GetSearchBox(), &box);
        GetWindowRect(panel.GetResultList(), &list);
        MapWindowPoints(nullptr, panel.GetHandle(), reinterpret_cast<POINT*>(&box), 2);
        MapWindowPoints(nullptr, panel.GetHandle(), reinterpret_cast<POINT*>(&list), 2);
        EXPECT_EQ(GetDlgCtrlID(panel.GetSearchBox()), 767);
        EXPECT_EQ(GetDlgCtrlID(panel.GetResultList()), 768);
        EXPECT_EQ(box.top, c.boxY);
        EXPECT_EQ(box.bottom - box.top, c.boxHeight);
        EXPECT_EQ(list.top, c.listY);
        EXPECT_EQ(list.bottom, 400);
        window.reset();
    }
}

TEST_F(MainWindowTest, TheCardTreeDrawsItsCardsFromTheTwoImagesOfTheStrip) {
    Start();
    const HWND tree = window->GetCardTree().GetHandle();
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    EXPECT_EQ(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0), 22);
}

}  // namespace
}  // namespace apptest
