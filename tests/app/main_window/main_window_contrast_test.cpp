// High contrast: every self-drawn part paints with the system's colours, and
// the popup menus keep the system's background.

#include <windows.h>

#include <vector>

#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "window/qmenu.h"
#include "window/ui_colors.h"

using kiln::qwin::PartColor;
using kiln::qwin::UiPart;

namespace apptest {
namespace {

bool highContrastOn = false;
bool AnswerHighContrast() {
    return highContrastOn;
}

// Colours no theme uses, so that a pixel of one can only come from the
// system's colour for that element.
const struct {
    int element;
    COLORREF colour;
} kSystemColours[] = {
    {COLOR_ACTIVECAPTION, RGB(1, 2, 3)},     {COLOR_INACTIVECAPTION, RGB(4, 5, 6)},
    {COLOR_CAPTIONTEXT, RGB(250, 251, 7)},   {COLOR_BTNFACE, RGB(8, 9, 10)},
    {COLOR_BTNTEXT, RGB(248, 247, 11)},      {COLOR_WINDOW, RGB(12, 13, 14)},
    {COLOR_WINDOWTEXT, RGB(246, 245, 15)},   {COLOR_HIGHLIGHT, RGB(16, 240, 17)},
    {COLOR_HIGHLIGHTTEXT, RGB(18, 19, 239)}, {COLOR_WINDOWFRAME, RGB(238, 20, 21)},
    {COLOR_HOTLIGHT, RGB(22, 237, 236)},
};

// Wine answers "off" to SPI_GETHIGHCONTRAST whatever is set, so the test
// answers the question itself; the system colours are really set, through
// SetSysColors, and put back afterwards.
class HighContrastTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (const auto& entry : kSystemColours) {
            elements.push_back(entry.element);
            saved.push_back(GetSysColor(entry.element));
            chosen.push_back(entry.colour);
        }
        kiln::qwin::SetHighContrastQuery(AnswerHighContrast);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        SetSysColors(static_cast<int>(elements.size()), elements.data(), saved.data());
        kiln::qwin::SetHighContrastQuery(nullptr);
        highContrastOn = false;
    }
    // Turns high contrast on or off as the system would tell the window.
    void SwitchHighContrast(bool on) {
        highContrastOn = on;
        if (on) SetSysColors(static_cast<int>(elements.size()), elements.data(), chosen.data());
        SendMessageW(window->GetHandle(), WM_SYSCOLORCHANGE, 0, 0);
        RedrawWindow(window->GetHandle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    COLORREF Chosen(int element) const {
        for (size_t i = 0; i < elements.size(); ++i) {
            if (elements[i] == element) return chosen[i];
        }
        ADD_FAILURE() << "no colour chosen for element " << element;
        return CLR_INVALID;
    }

    std::vector<int> elements;
    std::vector<COLORREF> saved;
    std::vector<COLORREF> chosen;
};

COLORREF PixelOf(HWND window, int x, int y) {
    const HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

TEST_F(HighContrastTest, EverySelfDrawnPartPaintsWithTheSystemsColoursOnlyWhileHighContrastIsOn) {
    Start();
    const HWND caption = window->GetCaptionBar().GetHandle();
    const RECT minimise = window->GetCaptionBar().GetButtonRect(CaptionBar::Minimise);
    RECT toolbar, body;
    GetClientRect(window->GetToolbar().GetHandle(), &toolbar);
    const HWND page = window->GetWelcomeBrowser().GetNativePage().GetHandle();
    ASSERT_TRUE(IsWindowVisible(page));
    GetClientRect(page, &body);
    struct Case {
        const char* part;
        HWND window;
        POINT at;
        UiPart colour;
        int systemColour;
    };
    const Case cases[] = {
        {"caption", caption, {2, 2}, UiPart::Caption, COLOR_ACTIVECAPTION},
        {"minimise glyph", caption, {minimise.left + 20, 14}, UiPart::CaptionText, COLOR_CAPTIONTEXT},
        {"menu button edge", window->GetMenuButton().GetHandle(), {0, 5}, UiPart::MenuButtonEdge, COLOR_WINDOWFRAME},
        {"menu button face", window->GetMenuButton().GetHandle(), {3, 1}, UiPart::MenuButtonFace, COLOR_BTNFACE},
        {"status bar", window->GetStatusBar().GetHandle(), {1, 1}, UiPart::StatusBar, COLOR_BTNFACE},
        {"splitter", window->GetSplitter().GetHandle(), {1, 10}, UiPart::Pane, COLOR_BTNFACE},
        {"toolbar", window->GetToolbar().GetHandle(), {toolbar.right - 2, 1}, UiPart::Toolbar, COLOR_BTNFACE},
        {"welcome page", page, {body.right - 3, body.bottom - 3}, UiPart::Page, COLOR_WINDOW},
        {"welcome navigation", page, {3, body.bottom - 3}, UiPart::PageNavigation, COLOR_WINDOW},
    };
    for (bool on : {true, false}) {
        SwitchHighContrast(on);
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.part << (on ? " in high contrast" : " normally"));
            EXPECT_EQ(PixelOf(c.window, c.at.x, c.at.y), on ? Chosen(c.systemColour) : PartColor(c.colour, false));
        }
    }
}

TEST_F(HighContrastTest, TheTabStripAndTheSearchPanelFollowTheSwitch) {
    CardFile file(L"vorlen-contrast-test.data");
    Start(file.Path());
    Command(IDC_SEARCH_PANEL);
    ASSERT_TRUE(window->IsSearchPanelShown());
    const HWND tabs = window->GetTabs().GetHandle();
    const HWND panel = window->GetSearchPanel().GetHandle();
    ASSERT_TRUE(IsWindowVisible(tabs));
    RECT strip;
    GetClientRect(tabs, &strip);
    for (bool on : {true, false}) {
        SwitchHighContrast(on);
        SCOPED_TRACE(on ? "high contrast" : "normal");
        // Right of the last tab, the strip itself shows.
        EXPECT_EQ(PixelOf(tabs, strip.right - 2, 1), on ? Chosen(COLOR_BTNFACE) : PartColor(UiPart::Toolbar, false));
        EXPECT_EQ(PixelOf(panel, 2, 2), on ? Chosen(COLOR_BTNFACE) : PartColor(UiPart::Pane, false));
    }
}

TEST_F(HighContrastTest, PopupMenusGetAWhiteBackgroundOnlyWithoutHighContrast) {
    for (bool on : {false, true}) {
        highContrastOn = on;
        SCOPED_TRACE(on ? "high contrast" : "normal");
        kiln::qwin::QMenuResource menus(IDR_POPUP_MENUS);
        const HMENU popup = menus.Popup(POPUP_MAIN_BUTTON);
        ASSERT_NE(popup, nullptr);
        MENUINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIM_BACKGROUND;
        ASSERT_TRUE(GetMenuInfo(popup, &info));
        if (on) {
            EXPECT_EQ(info.hbrBack, nullptr);
        } else {
            EXPECT_EQ(info.hbrBack, GetStockObject(WHITE_BRUSH));
        }
    }
}

}  // namespace
}  // namespace apptest
