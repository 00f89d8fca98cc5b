// Every command of the menus, the accelerators and the toolbar sent to the
// main window: with no database open, and on a small card database.

#include <richedit.h>

#include <functional>
#include <string>

#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"

namespace apptest {
namespace {

bool CloseIsQueued(HWND window) {
    MSG msg;
    return PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
}

TEST_F(MainWindowTest, EveryCommandWithoutADatabaseDoesItsPartOrSaysWhatIsMissing) {
    struct Case {
        int id;
        const wchar_t* message;  // nullptr: none
        std::function<bool(const ScriptedPrompts&, MainWindow&)> effect;
    };
    const auto about = [](const ScriptedPrompts& p, MainWindow&) { return p.aboutBoxes == 1; };
    const auto none = [](const ScriptedPrompts&, MainWindow&) { return true; };
    const Case cases[] = {
        {IDM_NEW_DATABASE, nullptr, [](const ScriptedPrompts& p, MainWindow&) { return p.saveKinds.size() == 1; }},
        {IDA_NEW_DATABASE, nullptr, [](const ScriptedPrompts& p, MainWindow&) { return p.saveKinds.size() == 1; }},
        {IDM_OPEN_DATABASE, nullptr, [](const ScriptedPrompts& p, MainWindow&) { return p.openKinds.size() == 1; }},
        {IDA_OPEN_DATABASE, nullptr, [](const ScriptedPrompts& p, MainWindow&) { return p.openKinds.size() == 1; }},
        {IDM_SAVE, L"Please open or create a new database!", none},
        {IDA_SAVE, L"Please open or create a new database!", none},
        {IDM_CLOSE_DATABASE, L"Open a database first!", none},
        {IDC_SEARCH_PANEL, L"Open a database first!", [](const ScriptedPrompts&, MainWindow& w) { return !w.IsSearchPanelShown(); }},
        {IDM_EXIT, nullptr, [](const ScriptedPrompts&, MainWindow& w) { return CloseIsQueued(w.GetHandle()); }},
        {IDM_HELP, nullptr, [](const ScriptedPrompts& p, MainWindow&) { return p.opened.size() == 1; }},
        {IDM_FEEDBACK, nullptr, [](const ScriptedPrompts& p, MainWindow&) { return p.opened.size() == 1; }},
        {IDM_ABOUT, nullptr, about},
        {IDA_ABOUT, nullptr, about},
        {IDS_ABOUT, nullptr, about},
        {IDA_WORD_WRAP, nullptr, [](const ScriptedPrompts&, MainWindow& w) { return !w.GetSettings().wordWrap; }},
        {IDB_STYLE, nullptr, [](const ScriptedPrompts&, MainWindow& w) { return w.GetSettings().treeLines; }},
        {IDM_DELETE_ALL_CARDS, nullptr, [](const ScriptedPrompts& p, MainWindow&) { return p.questions.size() == 1; }},
        {IDS_ALWAYS_ON_TOP, nullptr, [](const ScriptedPrompts&, MainWindow& w) { return w.IsAlwaysOnTop(); }},
        {IDS_MINIMIZE_TO_TRAY, nullptr, [](const ScriptedPrompts&, MainWindow& w) { return w.IsIconInTray(); }},
        // Nothing to act on: nothing happens and nothing is said.
        {IDB_PREV, nullptr, none},
        {IDB_NEXT, nullptr, none},
        {IDM_DELETE_CARD, nullptr, none},
        {IDB_DELETE, nullptr, none},
        {IDA_FIND_NEXT, nullptr, none},
        {IDA_BOLD, nullptr, none},
        {IDA_ITALIC, nullptr, none},
        {IDA_UNDERLINE, nullptr, none},
        {IDA_UNDO, nullptr, none},
        {IDA_REDO, nullptr, none},
        {IDA_CODE_STYLE, nullptr, none},
        {IDA_BULLET_LIST, nullptr, none},
        {IDA_NUMBERED_LIST, nullptr, none},
        {IDB_CUT, nullptr, none},
        {IDB_COPY, nullptr, none},
        {IDA_ESCAPE, nullptr, none},
        {IDA_CTRL_L, nullptr, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        prompts = ScriptedPrompts();
        Start();
        Command(c.id);
        if (c.message) {
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].caption, L"Message");
            EXPECT_EQ(prompts.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text;
        }
        EXPECT_TRUE(c.effect(prompts, *window));
        EXPECT_FALSE(window->IsDatabaseOpen());
        window.reset();
        guitest::DrainQuit();
    }
}

// "Projects" with "Ideas" below it, which has "Detail" below it, and "Journal".
class CardCommandsTest : public MainWindowTest {
protected:
    void StartWithCards(const CardFile& cards) {
        {
            CardDatabase database;
            database.openFile(cards.Path().c_str());
            detail = store::addCard(database, cards.ideas);
            store::renameCard(database, detail, L"Detail");
        }
        Start(cards.Path());
    }

    bool Exists(const CardFile& cards, CardId id) {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        return store::cardExists(database, id);
    }

    CardId detail = 0;
};

TEST_F(CardCommandsTest, DeleteNamesTheCardAndCountsWhatLiesBelowIt) {
    CardFile cards(L"vorlen-commands-delete.data");
    StartWithCards(cards);
    // Every branch read, so that the tree holds all four cards.
    ASSERT_NE(window->RevealCard(detail), nullptr);
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.projects)));
    SetFocus(tree.GetHandle());

    // Refused: nothing goes.
    Command(IDM_DELETE_CARD);
    ASSERT_EQ(prompts.deleteQuestions.size(), 1u);
    EXPECT_EQ(prompts.deleteQuestions[0], L"Projects");
    EXPECT_EQ(prompts.deleteDescendants[0], 2u);
    EXPECT_EQ(tree.GetCount(), 4);
    EXPECT_TRUE(Exists(cards, cards.ideas));

    prompts.confirmDelete = true;
    Command(IDB_DELETE);
    EXPECT_EQ(tree.GetCount(), 1);
    EXPECT_FALSE(Exists(cards, cards.projects));
    EXPECT_FALSE(Exists(cards, cards.ideas));
    EXPECT_FALSE(Exists(cards, detail));
    EXPECT_TRUE(Exists(cards, cards.journal));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CardCommandsTest, AFailedDeleteLeavesEveryCardInTheTree) {
    CardFile cards(L"vorlen-commands-delete-fails.data");
    StartWithCards(cards);
    // Every branch read, so that the tree holds all four cards.
    ASSERT_NE(window->RevealCard(detail), nullptr);
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.projects)));
    SetFocus(tree.GetHandle());
    prompts.confirmDelete = true;
    // The file refuses to lose "Detail", which goes first, below "Ideas".
    {
        CardDatabase other;
        other.openFile(cards.Path().c_str());
        const std::string trigger = "CREATE TRIGGER keep BEFORE DELETE ON tab WHEN old.id = " +
                                    std::to_string(detail) + " BEGIN SELECT RAISE(ABORT, 'kept'); END";
        other.execute(trigger.c_str());
    }
    Command(IDM_DELETE_CARD);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find(L"kept"), std::wstring::npos);
    EXPECT_EQ(tree.GetCount(), 4);
    EXPECT_TRUE(Exists(cards, cards.projects));
    EXPECT_TRUE(Exists(cards, detail));
}

TEST_F(CardCommandsTest, DeleteOutsideTheTreeActsOnWhatHasTheFocus) {
    CardFile cards(L"vorlen-commands-delete-focus.data");
    StartWithCards(cards);
    // Every branch read, so that the tree holds all four cards.
    ASSERT_NE(window->RevealCard(detail), nullptr);
    // In the search box a character goes, never a card.
    Command(IDC_SEARCH_PANEL);
    const HWND box = window->GetSearchPanel().GetSearchBox();
    SetWindowTextW(box, L"abc");
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, 0);
    Command(IDM_DELETE_CARD);
    wchar_t text[16] = {};
    GetWindowTextW(box, text, 16);
    EXPECT_STREQ(text, L"bc");
    EXPECT_TRUE(prompts.deleteQuestions.empty());
    EXPECT_EQ(window->GetCardTree().GetCount(), 4);
}

TEST_F(CardCommandsTest, DeleteAllAsksFirstAndEmptiesTheTreeAndTheFile) {
    CardFile cards(L"vorlen-commands-delete-all.data");
    StartWithCards(cards);
    // Every branch read, so that the tree holds all four cards.
    ASSERT_NE(window->RevealCard(detail), nullptr);
    Command(IDM_DELETE_ALL_CARDS);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].caption, L"Confirm Delete");
    EXPECT_EQ(prompts.questions[0].text, L"Are you sure you want to delete all items?");
    EXPECT_EQ(prompts.questions[0].icon, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(window->GetCardTree().GetCount(), 4);

    prompts.answerYes = true;
    Command(IDM_DELETE_ALL_CARDS);
    EXPECT_EQ(window->GetCardTree().GetCount(), 0);
    EXPECT_FALSE(Exists(cards, cards.journal));
    EXPECT_EQ(EditorText(), L"");
}

TEST_F(CardCommandsTest, StyleTogglesTheTreeLinesAndTheSetting) {
    CardFile cards(L"vorlen-commands-style.data");
    StartWithCards(cards);
    // Every branch read, so that the tree holds all four cards.
    ASSERT_NE(window->RevealCard(detail), nullptr);
    const HWND tree = window->GetCardTree().GetHandle();
    const bool before = window->GetSettings().treeLines;
    Command(IDB_STYLE);
    EXPECT_NE(window->GetSettings().treeLines, before);
    EXPECT_EQ((GetWindowLongPtrW(tree, GWL_STYLE) & TVS_HASLINES) != 0, !before);
    Command(IDB_STYLE);
    EXPECT_EQ((GetWindowLongPtrW(tree, GWL_STYLE) & TVS_HASLINES) != 0, before);
}

}  // namespace
}  // namespace apptest
