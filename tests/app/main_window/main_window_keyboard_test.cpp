// The main window with the keyboard alone: keys go through the window's own
// translation first and then to the control with the focus, as in the
// program's message loop.

#include <richedit.h>

#include <functional>
#include <string>

#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_operations.h"
#include "store/card_tree.h"

namespace apptest {
namespace {

enum Modifiers { kNone = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

class KeyboardTest : public MainWindowTest {
protected:
    void Press(UINT key, int modifiers = kNone) {
        Hold(modifiers);
        const bool system = (modifiers & kAlt) || key == VK_F10 || key == VK_MENU;
        // Bit 29: Alt is down, as the system marks every key typed with it.
        const LPARAM alt = (modifiers & kAlt) ? (1 << 29) : 0;
        Deliver(system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | alt);
        Deliver(system ? WM_SYSKEYUP : WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u) | alt);
        Hold(kNone);
        guitest::PumpPending();
    }
    void Deliver(UINT message, UINT key, LPARAM lParam) {
        const HWND focus = GetFocus();
        MSG msg = {focus ? focus : window->GetHandle(), message, key, lParam, 0, {0, 0}};
        if (!window->PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    static void Hold(int modifiers) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = (modifiers & kCtrl) ? 0x80 : 0;
        keys[VK_SHIFT] = (modifiers & kShift) ? 0x80 : 0;
        keys[VK_MENU] = (modifiers & kAlt) ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void StartFocused(const CardFile& cards) {
        Start(cards.Path());
        SetForegroundWindow(window->GetHandle());
        SetFocus(Tree());
    }
    HWND Tree() { return window->GetCardTree().GetHandle(); }
    HWND Editor() { return window->GetTabs().GetActiveEditor()->GetEditor().GetHandle(); }
    HWND FontList() { return window->GetToolbar().GetCombo(FormatToolbar::kFontCombo); }
    static bool Within(HWND outer, HWND inner) { return inner && (outer == inner || IsChild(outer, inner)); }
    void Select(CardId id) {
        CardTreeView& tree = window->GetCardTree();
        ASSERT_TRUE(tree.SelectItem(window->RevealCard(id)));
    }
    CardId ParentInFile(const CardFile& cards, CardId id) {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        kiln::qstd::QArray<CardId> path;
        if (!readCardPath(database, id, path) || path.GetCount() < 2) return 0;
        return path[path.GetCount() - 2];
    }
};

TEST_F(KeyboardTest, AltF4ClosesTheWindowWhereverTheFocusIs) {
    CardFile cards(L"vorlen-keys-close.data");
    const struct {
        const char* name;
        std::function<void()> focus;
    } cases[] = {
        {"tree", [this] { SetFocus(Tree()); }},
        {"editor", [this] { SetFocus(Editor()); }},
        {"search box", [this] { Command(IDC_SEARCH_PANEL); }},
        {"toolbar list", [this] { SetFocus(FontList()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartFocused(cards);
        c.focus();
        ASSERT_NE(GetFocus(), window->GetHandle());
        const HWND closing = window->GetHandle();
        Press(VK_F4, kAlt);
        EXPECT_FALSE(IsWindow(closing));
        window.reset();
        guitest::DrainQuit();
    }
}

TEST_F(KeyboardTest, MenusOpenFromTheKeyboardAndRunTheChosenCommand) {
    CardFile cards(L"vorlen-keys-menus.data");
    StartFocused(cards);
    const struct {
        const char* name;
        std::function<void()> focus;
        UINT key;
        int modifiers;
        const wchar_t* firstItem;
        UINT choice;
        std::function<bool()> ran;
    } cases[] = {
        {"F10", [this] { SetFocus(Tree()); }, VK_F10, kNone, L"&New\tCtrl+N", IDM_ABOUT,
         [this] { return prompts.aboutBoxes == 1; }},
        {"Alt alone", [this] { SetFocus(Editor()); }, VK_MENU, kAlt, L"&New\tCtrl+N", IDM_ABOUT,
         [this] { return prompts.aboutBoxes == 2; }},
        {"Shift+F10 in the tree", [this] { SetFocus(Tree()); }, VK_F10, kShift, L"&Add Card", IDM_RENAME,
         [this] { return window->GetCardTree().GetEditControl() != nullptr; }},
        {"Menu key in the editor",
         [this] {
             SetFocus(Editor());
             SendMessageW(Editor(), EM_SETSEL, 0, -1);
         },
         VK_APPS, kNone, L"Cu&t\tCtrl+X", IDM_DELETE, [this] { return EditorText().empty(); }},
    };
    Select(cards.ideas);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.focus();
        prompts.menuChoice = c.choice;
        const int shownBefore = prompts.menusShown;
        Press(c.key, c.modifiers);
        ASSERT_EQ(prompts.menusShown, shownBefore + 1);
        ASSERT_FALSE(prompts.menu.empty());
        EXPECT_EQ(prompts.menu[0].text, c.firstItem);
        EXPECT_TRUE(c.ran());
    }
    // Alt with another key between its press and release opens nothing.
    const int shown = prompts.menusShown;
    Hold(kAlt);
    Deliver(WM_SYSKEYDOWN, VK_MENU, 1 | (1 << 29));
    Deliver(WM_SYSKEYDOWN, VK_LEFT, 1 | (1 << 29));
    Deliver(WM_SYSKEYUP, VK_MENU, static_cast<LPARAM>(0xC0000001u));
    Hold(kNone);
    guitest::PumpPending();
    EXPECT_EQ(prompts.menusShown, shown);
}

TEST_F(KeyboardTest, F6WalksThePanesThatAreShownAndEnterGoesFromTheTreeToTheCard) {
    CardFile cards(L"vorlen-keys-panes.data");
    StartFocused(cards);
    Select(cards.ideas);
    Press(VK_RETURN);
    EXPECT_EQ(GetFocus(), Editor());
    EXPECT_EQ(EditorText().substr(0, 10), L"Ideas text");

    SetFocus(Tree());
    Press(VK_F6);
    EXPECT_EQ(GetFocus(), Editor());
    Press(VK_F6);
    EXPECT_TRUE(Within(FontList(), GetFocus()));
    Press(VK_F6);
    EXPECT_EQ(GetFocus(), Tree());
    Press(VK_F6, kShift);
    EXPECT_TRUE(Within(FontList(), GetFocus()));
    // Tab walks the toolbar's lists; the font list is the first of them.
    Press(VK_TAB);
    EXPECT_FALSE(Within(FontList(), GetFocus()));
    EXPECT_TRUE(Within(window->GetToolbar().GetHandle(), GetFocus()));
    Press(VK_TAB, kShift);
    EXPECT_TRUE(Within(FontList(), GetFocus()));

    // The search panel takes the tree's place in the walk.
    Command(IDC_SEARCH_PANEL);
    const HWND panel = window->GetSearchPanel().GetHandle();
    ASSERT_TRUE(Within(panel, GetFocus()));
    Press(VK_F6);
    EXPECT_TRUE(Within(FontList(), GetFocus()));
    Press(VK_F6);
    EXPECT_EQ(GetFocus(), Editor());
    Press(VK_F6);
    EXPECT_TRUE(Within(panel, GetFocus()));
}

TEST_F(KeyboardTest, CtrlTabSwitchesTabsAndCtrlF4ClosesOne) {
    CardFile cards(L"vorlen-keys-tabs.data");
    StartFocused(cards);
    Select(cards.projects);
    HoldControl(true);
    Select(cards.journal);
    HoldControl(false);
    TabContainer& tabs = window->GetTabs();
    ASSERT_EQ(tabs.GetTabCount(), 2u);
    ASSERT_EQ(tabs.GetActiveIndex(), 1);
    Press(VK_TAB, kCtrl);
    EXPECT_EQ(tabs.GetActiveIndex(), 0);
    // The shown tab puts the focus in its editor.
    EXPECT_EQ(GetFocus(), Editor());
    Press(VK_TAB, kCtrl | kShift);
    EXPECT_EQ(tabs.GetActiveIndex(), 1);
    Press(VK_F4, kCtrl);
    EXPECT_EQ(tabs.GetTabCount(), 1u);
    EXPECT_FALSE(tabs.HasTab(cards.journal));
    // The last tab stays.
    Press(VK_F4, kCtrl);
    EXPECT_EQ(tabs.GetTabCount(), 1u);
    EXPECT_TRUE(IsWindow(window->GetHandle()));
}

// In the narrowest window (700 pixels at 96 dpi, 960 at 144) F6 and Tab
// still reach all of the toolbar: its lists that are shown and the overflow
// button that holds the rest; F6 goes on from either to the next pane.
TEST_F(KeyboardTest, TabWalksTheToolbarsShownListsAndItsOverflowButton) {
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        CardFile cards(L"vorlen-keys-overflow.data");
        Start(cards.Path(), dpi, dpi == 96 ? 700 : 960, 640);
        SetForegroundWindow(window->GetHandle());
        SetFocus(Tree());
        const HWND more = window->GetToolbar().GetOverflowButton();
        Press(VK_F6, kShift);
        EXPECT_TRUE(Within(FontList(), GetFocus()));
        Press(VK_TAB, kShift);
        EXPECT_EQ(GetFocus(), more);
        Press(VK_TAB);
        EXPECT_TRUE(Within(FontList(), GetFocus()));
        Press(VK_TAB, kShift);
        EXPECT_EQ(GetFocus(), more);
        Press(VK_F6);
        EXPECT_EQ(GetFocus(), Tree());
        window.reset();
        guitest::DrainQuit();
    }
}

TEST_F(KeyboardTest, AltShiftArrowsMoveTheCardOrAreRefusedAsADropWouldBe) {
    CardFile cards(L"vorlen-keys-move.data");
    StartFocused(cards);
    // Journal goes under Projects, the sibling above it.
    Select(cards.journal);
    Press(VK_RIGHT, kAlt | kShift);
    EXPECT_EQ(ParentInFile(cards, cards.journal), cards.projects);
    // Then under Ideas, now the sibling above it.
    Select(cards.journal);
    Press(VK_RIGHT, kAlt | kShift);
    EXPECT_EQ(ParentInFile(cards, cards.journal), cards.ideas);
    EXPECT_EQ(window->GetCardTree().GetCardId(window->GetCardTree().GetSelectedItem()), cards.journal);
    // And back out beside Ideas, then beside Projects at the top level.
    Press(VK_LEFT, kAlt | kShift);
    EXPECT_EQ(ParentInFile(cards, cards.journal), cards.projects);
    Press(VK_LEFT, kAlt | kShift);
    EXPECT_EQ(ParentInFile(cards, cards.journal), 0);
    EXPECT_EQ(window->GetCardTree().GetParentItem(window->GetCardTree().GetSelectedItem()), nullptr);
    EXPECT_EQ(window->GetCardTree().GetCardId(window->GetCardTree().GetSelectedItem()), cards.journal);
    EXPECT_TRUE(prompts.messages.empty());

    // Ideas has no sibling above it; Projects has no parent.
    Select(cards.ideas);
    Press(VK_RIGHT, kAlt | kShift);
    Select(cards.projects);
    Press(VK_LEFT, kAlt | kShift);
    ASSERT_EQ(prompts.messages.size(), 2u);
    for (const auto& message : prompts.messages) EXPECT_EQ(message.text, store::kMoveRefusedMessage);
    EXPECT_EQ(ParentInFile(cards, cards.ideas), cards.projects);
    EXPECT_EQ(ParentInFile(cards, cards.projects), 0);
}

// Esc during a drag drops nothing: the card stays where it was, in the tree
// and in the file, and the pointer is the window's no longer. Without Esc
// the button let go drops (here on no target, which the window refuses).
TEST_F(KeyboardTest, EscapeCancelsADragInTheTree) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Esc pressed" : "no Esc");
        CardFile cards(L"vorlen-keys-drag.data");
        prompts = ScriptedPrompts();
        StartFocused(cards);
        NMTREEVIEWW begin = {};
        begin.hdr = {Tree(), static_cast<UINT_PTR>(GetDlgCtrlID(Tree())), TVN_BEGINDRAGW};
        begin.itemNew.hItem = window->RevealCard(cards.journal);
        SendMessageW(window->GetHandle(), WM_NOTIFY, begin.hdr.idFrom, reinterpret_cast<LPARAM>(&begin));
        ASSERT_EQ(GetCapture(), window->GetHandle());
        if (escape) {
            Press(VK_ESCAPE);
            EXPECT_NE(GetCapture(), window->GetHandle());
            EXPECT_EQ(std::wstring(window->GetStatusBar().GetStatus().c_str()), L"  Move cancelled.");
        }
        SendMessageW(window->GetHandle(), WM_LBUTTONUP, 0, 0);
        EXPECT_EQ(prompts.messages.size(), escape ? 0u : 1u);
        EXPECT_NE(GetCapture(), window->GetHandle());
        EXPECT_EQ(ParentInFile(cards, cards.journal), 0);
        EXPECT_EQ(window->GetCardTree().GetParentItem(window->RevealCard(cards.journal)), nullptr);
        window.reset();
    }
}

TEST_F(KeyboardTest, TheEditorsKeysActOnlyWhileTheEditorHasTheFocus) {
    CardFile cards(L"vorlen-keys-editor.data");
    StartFocused(cards);
    Select(cards.ideas);
    SendMessageW(Editor(), EM_SETSEL, 0, -1);
    auto bold = [this] {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        SendMessageW(Editor(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return (format.dwMask & CFM_BOLD) && (format.dwEffects & CFE_BOLD);
    };
    Command(IDC_SEARCH_PANEL);
    Press('B', kCtrl);
    EXPECT_FALSE(bold());
    Command(IDC_SEARCH_PANEL);
    SetFocus(Editor());
    SendMessageW(Editor(), EM_SETSEL, 0, -1);
    Press('B', kCtrl);
    EXPECT_TRUE(bold());
}

TEST_F(KeyboardTest, EscapeClosesAnOpenListInsteadOfGoingToTheWindow) {
    CardFile cards(L"vorlen-keys-escape.data");
    StartFocused(cards);
    const HWND colours = window->GetToolbar().GetCombo(FormatToolbar::kTextColorCombo);
    SetFocus(colours);
    SendMessageW(colours, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageW(colours, CB_GETDROPPEDSTATE, 0, 0));
    Press(VK_ESCAPE);
    EXPECT_FALSE(SendMessageW(colours, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(IsWindow(window->GetHandle()));
}

TEST_F(KeyboardTest, TheFocusComesBackToItsChildWhenTheWindowIsActivatedAgain) {
    CardFile cards(L"vorlen-keys-activate.data");
    StartFocused(cards);
    Select(cards.ideas);
    SetFocus(Editor());
    const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetActiveWindow(other);
    EXPECT_FALSE(Within(window->GetHandle(), GetFocus()));
    SetActiveWindow(window->GetHandle());
    EXPECT_EQ(GetFocus(), Editor());
    DestroyWindow(other);
}

}  // namespace
}  // namespace apptest
