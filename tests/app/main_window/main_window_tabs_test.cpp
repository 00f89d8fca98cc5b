// The editor tabs in the main window: each page is saved to its own card,
// closing saves, the last tab stays, the middle button closes.

#include <richedit.h>

#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_operations.h"

namespace apptest {
namespace {

class EditorTabsTest : public MainWindowTest {
protected:
    // Three cards open: Projects in tab 0, Ideas in tab 1, Journal in tab 2.
    void OpenThreeTabs(const CardFile& cards) {
        Start(cards.Path());
        CardTreeView& tree = window->GetCardTree();
        ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.projects)));
        HoldControl(true);
        for (CardId id : {cards.ideas, cards.journal}) ASSERT_TRUE(tree.SelectItem(window->RevealCard(id)));
        HoldControl(false);
        ASSERT_EQ(Tabs().GetTabCount(), 3u);
    }
    TabContainer& Tabs() { return window->GetTabs(); }
    POINT Inside(unsigned index) {
        const RECT& rect = Tabs().GetTab(index).rect;
        return POINT{rect.left + 6, (rect.top + rect.bottom) / 2};
    }
    void Click(unsigned index) {
        const POINT at = Inside(index);
        SendMessageW(Tabs().GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(Tabs().GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    void Type(const wchar_t* text) {
        const HWND editor = Tabs().GetActiveEditor()->GetEditor().GetHandle();
        SendMessageW(editor, EM_SETSEL, 0, -1);
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    CardId SelectedCard() { return window->GetCardTree().GetCardId(window->GetCardTree().GetSelectedItem()); }
};

TEST_F(EditorTabsTest, EachTabsEditsGoToItsOwnCardWhateverTheTreeShows) {
    CardFile cards(L"vorlen-app-tabs-own.data");
    OpenThreeTabs(cards);
    Click(0);
    EXPECT_EQ(SelectedCard(), cards.projects);
    Type(L"Text of A");
    Click(1);
    // The tree follows the active tab.
    EXPECT_EQ(SelectedCard(), cards.ideas);
    Type(L"Text of B");
    Click(0);
    EXPECT_EQ(EditorText().substr(0, 9), L"Text of A");
    // Edited again, then saved while another tab is active and another card selected.
    Type(L"A again");
    Click(2);
    Command(IDM_SAVE);
    EXPECT_EQ(cards.StoredText(cards.projects).substr(0, 7), L"A again");
    EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 9), L"Text of B");
    EXPECT_EQ(cards.StoredText(cards.journal), L"");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(EditorTabsTest, AModifiedTabIsSavedBeforeItCloses) {
    CardFile cards(L"vorlen-app-tabs-close.data");
    OpenThreeTabs(cards);
    Type(L"Closing words");
    const POINT at = Inside(2);
    SendMessageW(Tabs().GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ASSERT_EQ(Tabs().GetTabCount(), 2u);
    EXPECT_FALSE(Tabs().HasTab(cards.journal));
    EXPECT_EQ(cards.StoredText(cards.journal).substr(0, 13), L"Closing words");
    // The tab before it became active, and the tree shows its card.
    EXPECT_EQ(Tabs().GetActiveIndex(), 1);
    EXPECT_EQ(SelectedCard(), cards.ideas);
}

TEST_F(EditorTabsTest, TheCloseMarkClosesOnlyWhenReleasedOnItself) {
    CardFile cards(L"vorlen-app-tabs-mark.data");
    OpenThreeTabs(cards);
    const HWND strip = Tabs().GetHandle();
    RECT box = Tabs().CloseBox(1);
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.left + 6, box.top + 6));
    SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(box.left - 30, box.top + 6));
    EXPECT_EQ(Tabs().GetTabCount(), 3u);
    box = Tabs().CloseBox(1);
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.left + 6, box.top + 6));
    SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(box.left + 6, box.top + 6));
    ASSERT_EQ(Tabs().GetTabCount(), 2u);
    EXPECT_FALSE(Tabs().HasTab(cards.ideas));
}

TEST_F(EditorTabsTest, TheMiddleButtonClosesTheTabUnderThePointerButNeverTheLast) {
    CardFile cards(L"vorlen-app-tabs-middle.data");
    OpenThreeTabs(cards);
    const HWND strip = Tabs().GetHandle();
    for (unsigned expected : {2u, 1u, 1u}) {
        const POINT at = Inside(0);
        SendMessageW(strip, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(strip, WM_MBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        EXPECT_EQ(Tabs().GetTabCount(), expected);
    }
    EXPECT_EQ(Tabs().GetTab(0).value, cards.journal);
    // Neither a double click, nor the close mark, nor a direct call closes the last tab.
    const POINT at = Inside(0);
    SendMessageW(strip, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    const RECT box = Tabs().CloseBox(0);
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.left + 6, box.top + 6));
    SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(box.left + 6, box.top + 6));
    EXPECT_FALSE(Tabs().CloseTab(0));
    EXPECT_EQ(Tabs().GetTabCount(), 1u);
    EXPECT_EQ(SelectedCard(), cards.journal);
}

TEST_F(EditorTabsTest, ClosingTheWindowKeepsTheEditsOfEveryTab) {
    CardFile cards(L"vorlen-app-tabs-exit.data");
    OpenThreeTabs(cards);
    Click(1);
    Type(L"Middle tab");
    Click(2);
    Type(L"Last tab");
    DestroyWindow(window->GetHandle());
    EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 10), L"Middle tab");
    EXPECT_EQ(cards.StoredText(cards.journal).substr(0, 8), L"Last tab");
}

TEST_F(EditorTabsTest, ClosingTheDatabaseSavesEveryTabAndLeavesOnlyTheWelcomeTab) {
    CardFile cards(L"vorlen-app-tabs-close.data");
    OpenThreeTabs(cards);
    Click(1);
    Type(L"Middle tab");
    Click(2);
    Type(L"Last tab");
    Command(IDM_CLOSE_DATABASE);
    EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 10), L"Middle tab");
    EXPECT_EQ(cards.StoredText(cards.journal).substr(0, 8), L"Last tab");
    ASSERT_EQ(Tabs().GetTabCount(), 1u);
    EXPECT_EQ(Tabs().GetTab(0).value, TabContainer::kWelcomeTab);
    EXPECT_EQ(std::wstring(Tabs().GetTab(0).title.c_str()), L"Welcome");
}


// A deleted card takes its tab with it, edits and all; the tabs of other
// cards keep theirs, and nothing is ever saved into an id no card has.
TEST_F(EditorTabsTest, DeletingCardsClosesTheirTabsAndTheLastTabShowsNothing) {
    CardFile cards(L"vorlen-app-tabs-deleted.data");
    OpenThreeTabs(cards);
    Click(1);
    Type(L"Lost with Ideas");
    Click(2);
    Type(L"Kept in Journal");
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.projects)));
    SetFocus(tree.GetHandle());
    prompts.confirmDelete = true;
    Command(IDM_DELETE_CARD);  // Projects and Ideas below it
    ASSERT_EQ(Tabs().GetTabCount(), 1u);
    EXPECT_EQ(Tabs().GetTab(0).value, cards.journal);
    EXPECT_EQ(EditorText().substr(0, 15), L"Kept in Journal");
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text;
    Command(IDM_SAVE);
    EXPECT_EQ(cards.StoredText(cards.journal).substr(0, 15), L"Kept in Journal");

    // Delete all: the one tab left shows no card, and its edits go nowhere.
    Type(L"After the end");
    prompts.answerYes = true;
    Command(IDM_DELETE_ALL_CARDS);
    ASSERT_EQ(Tabs().GetTabCount(), 1u);
    EXPECT_EQ(Tabs().GetTab(0).value, TabContainer::kWelcomeTab);
    EXPECT_EQ(EditorText(), L"");
    Type(L"Typed into no card");
    Command(IDM_SAVE);
    CardDatabase database;
    database.openFile(cards.Path().c_str());
    EXPECT_FALSE(store::cardExists(database, cards.journal));
    EXPECT_FALSE(store::cardExists(database, 1));
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text;
}

}  // namespace
}  // namespace apptest
