// The tray icon, the Win+Esc hot key, the window menu's items and always on
// top; and the toolbar's combos following the caret.

#include <richedit.h>

#include <string>

#include "main_window_fixture.h"
#include "resources/command_ids.h"

namespace apptest {
namespace {

void TrayEvent(MainWindow& window, UINT mouseMessage) {
    SendMessageW(window.GetHandle(), MainWindow::kTrayMessage, 0, MAKELPARAM(mouseMessage, 0));
}

TEST_F(MainWindowTest, HiddenToTheTrayTheWindowComesBackOnlyByALeftPressOnTheIcon) {
    Start();
    const HWND frame = window->GetHandle();
    Command(IDS_MINIMIZE_TO_TRAY);
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_TRUE(window->IsIconInTray());
    for (UINT ignored : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE}) {
        TrayEvent(*window, ignored);
        EXPECT_FALSE(IsWindowVisible(frame)) << ignored;
    }
    TrayEvent(*window, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_FALSE(window->IsIconInTray());
}

TEST_F(MainWindowTest, TheKeyboardAndTheTrayMenuBringTheWindowBackOrEndIt) {
    Start();
    const HWND frame = window->GetHandle();
    struct Case {
        UINT event;
        UINT menuChoice;
        bool shown;
        bool closeQueued;
    };
    const Case cases[] = {
        {NIN_KEYSELECT, 0, true, false},
        {WM_CONTEXTMENU, MainWindow::kTrayShowCommand, true, false},
        {WM_CONTEXTMENU, MainWindow::kTrayExitCommand, false, true},
        // The menu dismissed: nothing changes.
        {WM_CONTEXTMENU, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.event << " choosing " << c.menuChoice);
        Command(IDS_MINIMIZE_TO_TRAY);
        ASSERT_FALSE(IsWindowVisible(frame));
        prompts.menuChoice = c.menuChoice;
        const int menusBefore = prompts.menusShown;
        TrayEvent(*window, c.event);
        EXPECT_EQ(IsWindowVisible(frame) != FALSE, c.shown);
        EXPECT_EQ(window->IsIconInTray(), !c.shown);
        MSG msg;
        EXPECT_EQ(PeekMessageW(&msg, frame, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE, c.closeQueued);
        if (c.event != WM_CONTEXTMENU) continue;
        ASSERT_EQ(prompts.menusShown, menusBefore + 1);
        ASSERT_EQ(prompts.menu.size(), 3u);
        EXPECT_EQ(prompts.menu[0].text, L"Show Vorlen");
        EXPECT_EQ(prompts.menu[2].text, L"Exit");
        if (!c.shown) TrayEvent(*window, WM_LBUTTONDOWN);
    }
}

TEST_F(MainWindowTest, AnIconLostWithTheTaskbarIsAddedAgain) {
    Start();
    Command(IDS_MINIMIZE_TO_TRAY);
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof(record);
    record.hWnd = window->GetHandle();
    record.uID = 0xCAFFE;
    // The restarted taskbar no longer knows the icon.
    if (!Shell_NotifyIconW(NIM_DELETE, &record)) GTEST_SKIP() << "no tray to hold an icon here";
    ASSERT_FALSE(Shell_NotifyIconW(NIM_DELETE, &record));

    SendMessageW(window->GetHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(window->IsIconInTray());
    EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &record));

    // Shown again, the window puts no icon back.
    TrayEvent(*window, WM_LBUTTONDOWN);
    SendMessageW(window->GetHandle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(window->IsIconInTray());
    EXPECT_FALSE(Shell_NotifyIconW(NIM_DELETE, &record));
}

TEST_F(MainWindowTest, TheHotKeyHidesShowsAndRestores) {
    Start();
    const HWND frame = window->GetHandle();
    SendMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_WIN, VK_ESCAPE));
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_TRUE(window->IsIconInTray());
    SendMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_WIN, VK_ESCAPE));
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_FALSE(window->IsIconInTray());

    ShowWindow(frame, SW_MINIMIZE);
    SendMessageW(frame, WM_HOTKEY, 0, MAKELPARAM(MOD_WIN, VK_ESCAPE));
    EXPECT_FALSE(IsIconic(frame));
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_FALSE(window->IsIconInTray());
}

TEST_F(MainWindowTest, AHotKeyHeldByAnotherWindowIsNoReasonNotToStart) {
    // A window of this thread takes Win+Esc first.
    const HWND holder = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(holder, 0, MOD_WIN, VK_ESCAPE));
    CardFile cards(L"vorlen-app-hotkey.data");
    Start(cards.Path());
    EXPECT_FALSE(window->HasHotKey());
    EXPECT_TRUE(window->IsDatabaseOpen());
    EXPECT_TRUE(prompts.messages.empty());
    Command(IDS_MINIMIZE_TO_TRAY);
    EXPECT_TRUE(window->IsIconInTray());
    window.reset();
    UnregisterHotKey(holder, 0);
    DestroyWindow(holder);
}

TEST_F(MainWindowTest, TheWindowMenuCarriesThreeItemsThatRunTheirCommands) {
    Start();
    const HWND frame = window->GetHandle();
    const HMENU menu = GetSystemMenu(frame, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 3);
    const struct {
        const wchar_t* text;
        UINT id;
    } items[] = {{L"Minimize to Tray", IDS_MINIMIZE_TO_TRAY}, {L"Always on top", IDS_ALWAYS_ON_TOP}, {L"About...", IDS_ABOUT}};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(count - 3 + i), text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, items[i].text);
        EXPECT_EQ(GetMenuItemID(menu, count - 3 + i), items[i].id);
    }

    SendMessageW(frame, WM_SYSCOMMAND, IDS_ALWAYS_ON_TOP, 0);
    // (Wine, as the tests run it, leaves the topmost style unset, so only
    // the window's own flag can be read back here.)
    EXPECT_TRUE(window->IsAlwaysOnTop());
    SendMessageW(frame, WM_SYSCOMMAND, IDS_ALWAYS_ON_TOP, 0);
    EXPECT_FALSE(window->IsAlwaysOnTop());
    // No check mark either way.
    EXPECT_FALSE(GetMenuState(menu, IDS_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED);

    SendMessageW(frame, WM_SYSCOMMAND, IDS_ABOUT, 0);
    EXPECT_EQ(prompts.aboutBoxes, 1);
    SendMessageW(frame, WM_SYSCOMMAND, IDS_MINIMIZE_TO_TRAY, 0);
    EXPECT_TRUE(window->IsIconInTray());
    EXPECT_FALSE(IsWindowVisible(frame));
}

std::wstring ComboText(HWND combo) {
    wchar_t text[64] = {};
    GetWindowTextW(combo, text, 64);
    return text;
}

TEST_F(MainWindowTest, TheToolbarsCombosFollowTheCaretThroughDifferentlyFormattedText) {
    CardFile cards(L"vorlen-app-caret.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.journal)));
    EditorPage* page = window->GetTabs().GetActiveEditor();
    const HWND editor = page->GetEditor().GetHandle();
    // Three paragraphs, each formatted through the toolbar's own commands.
    const struct {
        const wchar_t* text;
        const wchar_t* face;
        const wchar_t* size;
        const wchar_t* spacing;
        int textColor;  // the colour list's item chosen, -1 for none
        int backColor;
    } parts[] = {
        {L"plain\r", L"Verdana", L"12", L"1.0", 0, 0},
        {L"big\r", L"Courier New", L"20", L"1.5", -1, 3},
        {L"odd", L"Arial", L"13", L"1.15", 2, -1},
    };
    const FormatToolbar& toolbar = window->GetToolbar();
    const HWND textColors = toolbar.GetCombo(FormatToolbar::kTextColorCombo);
    const HWND backColors = toolbar.GetCombo(FormatToolbar::kBackColorCombo);
    // Chosen from a list as a user does: the toolbar sends the colour's command.
    const auto choose = [&](HWND combo, int comboId, int item) {
        if (item < 0) return;
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(toolbar.GetHandle(), WM_COMMAND, MAKEWPARAM(comboId, CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(combo));
    };
    LONG start = 0;
    for (const auto& part : parts) {
        SendMessageW(editor, EM_SETSEL, -1, -1);
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(part.text));
        SendMessageW(editor, EM_SETSEL, start, start + static_cast<LONG>(wcslen(part.text)));
        SendMessageW(window->GetHandle(), WM_COMMAND, IDC_FONT_FACE, reinterpret_cast<LPARAM>(part.face));
        SendMessageW(window->GetHandle(), WM_COMMAND, IDC_FONT_SIZE, reinterpret_cast<LPARAM>(part.size));
        SendMessageW(window->GetHandle(), WM_COMMAND, IDC_LINE_SPACING, reinterpret_cast<LPARAM>(part.spacing));
        choose(textColors, FormatToolbar::kTextColorCombo, part.textColor);
        choose(backColors, FormatToolbar::kBackColorCombo, part.backColor);
        start += static_cast<LONG>(wcslen(part.text));
    }
    const HWND face = toolbar.GetCombo(FormatToolbar::kFontCombo);
    const HWND size = toolbar.GetCombo(FormatToolbar::kSizeCombo);
    const HWND spacing = toolbar.GetCombo(FormatToolbar::kLineSpacingCombo);
    LONG at = 0;
    for (const auto& part : parts) {
        SCOPED_TRACE(part.text);
        // The caret inside the paragraph, as a click would put it.
        SendMessageW(editor, EM_SETSEL, at + 1, at + 1);
        EXPECT_EQ(ComboText(face), part.face);
        EXPECT_EQ(ComboText(size), part.size);
        EXPECT_EQ(ComboText(spacing), part.spacing);
        EXPECT_EQ(SendMessageW(textColors, CB_GETCURSEL, 0, 0), part.textColor);
        EXPECT_EQ(SendMessageW(backColors, CB_GETCURSEL, 0, 0), part.backColor);
        at += static_cast<LONG>(wcslen(part.text));
    }
    // A selection across different faces names none.
    SendMessageW(editor, EM_SETSEL, 0, at);
    EXPECT_EQ(ComboText(face), L"");
    EXPECT_EQ(ComboText(size), L"");
    EXPECT_EQ(SendMessageW(textColors, CB_GETCURSEL, 0, 0), CB_ERR);
}

}  // namespace
}  // namespace apptest
