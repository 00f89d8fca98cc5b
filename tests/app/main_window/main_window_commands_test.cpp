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
#include "store/cipher/encrypted_file.h"

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
        {IDM_MOVE_TO, L"Open a database first!", [](const ScriptedPrompts& p, MainWindow&) { return p.moveQuestions.empty(); }},
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

// The same commands on a small open database, with every question of the
// seam answered No or Cancel, so that nothing blocks and nothing is lost.
TEST_F(MainWindowTest, EveryCommandOnAnOpenDatabaseDoesItsPart) {
    CardFile cards(L"vorlen-commands-open.data");
    HWND editor = nullptr;
    CardId shownFirst = 0;
    const auto select = [&](CardId id) { ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(id))); };
    // Ideas shown and its whole text selected.
    const auto selectIdeasText = [&] {
        select(cards.ideas);
        editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
        SendMessageW(editor, EM_SETSEL, 0, -1);
    };
    const auto charFormat = [&] {
        CHARFORMAT2W format = {};
        format.cbSize = sizeof(format);
        SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    };
    const auto numbering = [&] {
        PARAFORMAT2 format = {};
        format.cbSize = sizeof(format);
        SendMessageW(editor, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
        return format.wNumbering;
    };
    const auto selectedCard = [&] {
        return window->GetCardTree().GetCardId(window->GetCardTree().GetSelectedItem());
    };
    const auto cardCount = [&] {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        CardStatement count = database.prepare("SELECT count(*) FROM tab");
        count.step();
        return count.getInt(0);
    };
    struct Case {
        int id;
        std::function<void()> prepare;  // nullptr: nothing
        const wchar_t* message;         // nullptr: none
        std::function<bool()> effect;
    };
    const auto about = [&] { return prompts.aboutBoxes == 1; };
    const auto stillOpen = [&] { return window->IsDatabaseOpen() && cardCount() == 3; };
    const auto askedNew = [&] { return prompts.saveKinds == std::vector<SavePathKind>{SavePathKind::NewDatabase}; };
    const auto askedOpen = [&] { return prompts.openKinds == std::vector<OpenPathKind>{OpenPathKind::OpenDatabase}; };
    const auto typeAndSave = [&] {
        selectIdeasText();
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Saved words"));
    };
    const auto saved = [&] {
        return cards.StoredText(cards.ideas).substr(0, 11) == L"Saved words" &&
               std::wstring(window->GetStatusBar().GetStatus().c_str()) == L"  Data saved successfully!";
    };
    const auto renaming = [&] { return window->GetCardTree().GetEditControl() != nullptr; };
    const auto deleteAsked = [&] {
        return prompts.deleteQuestions.size() == 1 && window->GetCardTree().GetCount() >= 2 && cardCount() == 3;
    };
    const auto historyOfThree = [&] {
        select(cards.ideas);
        select(cards.journal);
    };
    const auto typed = [&] {
        selectIdeasText();
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
    };
    const auto text = [&] { return guitest::WindowText(editor); };
    const auto occurrences = [&](const std::wstring& part) {
        const std::wstring all = text();
        int found = 0;
        for (size_t at = all.find(part); at != std::wstring::npos; at = all.find(part, at + 1)) ++found;
        return found;
    };
    const Case cases[] = {
        {IDM_NEW_DATABASE, nullptr, nullptr, [&] { return askedNew() && stillOpen(); }},
        {IDA_NEW_DATABASE, nullptr, nullptr, [&] { return askedNew() && stillOpen(); }},
        {IDM_OPEN_DATABASE, nullptr, nullptr, [&] { return askedOpen() && stillOpen(); }},
        {IDA_OPEN_DATABASE, nullptr, nullptr, [&] { return askedOpen() && stillOpen(); }},
        {IDM_SAVE, typeAndSave, nullptr, saved},
        {IDA_SAVE, typeAndSave, nullptr, saved},
        {IDM_CLOSE_DATABASE, nullptr, nullptr,
         [&] {
             return !window->IsDatabaseOpen() &&
                    std::wstring(window->GetStatusBar().GetStatus().c_str()) == L"  Database closed!";
         }},
        {IDM_EXIT, nullptr, nullptr, [&] { return CloseIsQueued(window->GetHandle()); }},
        {IDM_SET_PASSWORD, nullptr, nullptr,
         [&] { return prompts.newPasswordQuestions == 1 && !isEncryptedFile(cards.Path().c_str()); }},
        {IDM_CHANGE_PASSWORD, nullptr, L"Database not encrypted!", [&] { return prompts.passwordChangeQuestions == 0; }},
        {IDM_REMOVE_PASSWORD, nullptr, nullptr, [&] { return !isEncryptedFile(cards.Path().c_str()); }},
        {IDM_HELP, nullptr, nullptr, [&] { return prompts.opened.size() == 1; }},
        {IDM_FEEDBACK, nullptr, nullptr, [&] { return prompts.opened.size() == 1; }},
        {IDM_ABOUT, nullptr, nullptr, about},
        {IDA_ABOUT, nullptr, nullptr, about},
        {IDS_ABOUT, nullptr, nullptr, about},
        {IDM_ADD_CARD, nullptr, nullptr, [&] { return cardCount() == 4; }},
        {IDM_DELETE_CARD, nullptr, nullptr, deleteAsked},
        {IDB_DELETE, nullptr, nullptr, deleteAsked},
        {IDM_DELETE_ALL_CARDS, nullptr, nullptr, [&] { return prompts.questions.size() == 1 && cardCount() == 3; }},
        {IDM_RENAME, nullptr, nullptr, renaming},
        {IDB_EDIT, nullptr, nullptr, renaming},
        {IDM_OPEN_IN_NEW_TAB,
         [&] { window->GetCardTree().SetDropTarget(window->RevealCard(cards.journal)); }, nullptr,
         [&] { return window->GetTabs().GetTabCount() == 2 && window->GetTabs().HasTab(cards.journal); }},
        {IDC_SEARCH_PANEL, nullptr, nullptr, [&] { return window->IsSearchPanelShown(); }},
        {IDA_FIND_NEXT,
         [&] {
             select(cards.ideas);
             editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
             SetWindowTextW(window->GetSearchPanel().GetSearchBox(), L"TEXT");
         },
         nullptr,
         [&] {
             CHARRANGE found = {};
             SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&found));
             return found.cpMin == 6 && found.cpMax == 10;
         }},
        {IDB_PREV, historyOfThree, nullptr, [&] { return selectedCard() == cards.ideas; }},
        {IDB_NEXT, historyOfThree, nullptr, [&] { return selectedCard() == shownFirst; }},
        {IDB_STYLE, nullptr, nullptr, [&] { return window->GetSettings().treeLines; }},
        {IDB_CUT, selectIdeasText, nullptr, [&] { return occurrences(L"Ideas") == 0; }},
        {IDB_PASTE,
         [&] {
             selectIdeasText();
             SendMessageW(editor, WM_COPY, 0, 0);
             SendMessageW(editor, EM_SETSEL, -1, -1);
         },
         nullptr, [&] { return occurrences(L"Ideas text") == 2; }},
        {IDA_BOLD, selectIdeasText, nullptr, [&] { return (charFormat().dwEffects & CFE_BOLD) != 0; }},
        {IDA_ITALIC, selectIdeasText, nullptr, [&] { return (charFormat().dwEffects & CFE_ITALIC) != 0; }},
        {IDA_UNDERLINE, selectIdeasText, nullptr, [&] { return (charFormat().dwEffects & CFE_UNDERLINE) != 0; }},
        {IDM_COLOR_RED, selectIdeasText, nullptr, [&] { return charFormat().crTextColor == RGB(255, 0, 0); }},
        {IDM_BACK_CYAN, selectIdeasText, nullptr, [&] { return charFormat().crBackColor == RGB(0, 255, 255); }},
        {IDA_UNDO, typed, nullptr, [&] { return occurrences(L"Ideas text") == 1 && occurrences(L"typed") == 0; }},
        {IDA_REDO, [&] { typed(); SendMessageW(editor, EM_UNDO, 0, 0); }, nullptr,
         [&] { return occurrences(L"typed") == 1 && occurrences(L"Ideas") == 0; }},
        {IDA_CODE_STYLE, selectIdeasText, nullptr,
         [&] {
             CHARFORMAT2W format = {};
             format.cbSize = sizeof(format);
             SendMessageW(editor, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
             return std::wstring(format.szFaceName) == L"Consolas";
         }},
        {IDA_BULLET_LIST, selectIdeasText, nullptr, [&] { return numbering() == PFN_BULLET; }},
        {IDA_NUMBERED_LIST, selectIdeasText, nullptr, [&] { return numbering() == 2; }},
        {IDA_WORD_WRAP, nullptr, nullptr, [&] { return !window->GetSettings().wordWrap; }},
        {IDS_ALWAYS_ON_TOP, nullptr, nullptr, [&] { return window->IsAlwaysOnTop(); }},
        {IDS_MINIMIZE_TO_TRAY, nullptr, nullptr, [&] { return window->IsIconInTray(); }},
        // Keys the program leaves alone.
        {IDA_ESCAPE, nullptr, nullptr, stillOpen},
        {IDA_CTRL_L, nullptr, nullptr, stillOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        prompts = ScriptedPrompts();
        Start(cards.Path());
        ASSERT_TRUE(window->IsDatabaseOpen());
        shownFirst = selectedCard();
        SetFocus(window->GetCardTree().GetHandle());
        if (c.prepare) c.prepare();
        Command(c.id);
        if (c.message) {
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].caption, L"Message");
            EXPECT_EQ(prompts.messages[0].text, c.message);
        } else {
            EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text;
        }
        EXPECT_TRUE(c.effect());
        window.reset();
        guitest::DrainQuit();
        // Each case starts from the same three cards and no remembered settings.
        DeleteFileW(settingsPath.c_str());
        if (cardCount() != 3) {
            CardDatabase database;
            database.openFile(cards.Path().c_str());
            database.execute("DELETE FROM tab WHERE id > 3");
        }
        {
            CardDatabase database;
            database.openFile(cards.Path().c_str());
            const char rtf[] = "{\\rtf1\\ansi Ideas text\\par}";
            kiln::qstd::QBuffer content;
            content.Append(rtf, sizeof(rtf) - 1);
            database.saveCardContent(L"Ideas text", content, cards.ideas);
        }
    }
}

// "Projects" with "Ideas" below it, which has "Detail" below it, and "Journal".
class CardCommandsTest : public MainWindowTest {
protected:
    // False when the tree cannot be made to hold all four cards.
    bool StartWithCards(const CardFile& cards) {
        {
            CardDatabase database;
            database.openFile(cards.Path().c_str());
            detail = store::addCard(database, cards.ideas);
            store::renameCard(database, detail, L"Detail");
        }
        Start(cards.Path());
        // Every branch read.
        return window->RevealCard(detail) != nullptr;
    }

    // As a user clicks a card in the tree: selected, and the tree focused.
    bool SelectInTree(CardId id) {
        CardTreeView& tree = window->GetCardTree();
        if (!tree.SelectItem(window->RevealCard(id))) return false;
        SetFocus(tree.GetHandle());
        return true;
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
    ASSERT_TRUE(StartWithCards(cards));
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(SelectInTree(cards.projects));

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
    ASSERT_TRUE(StartWithCards(cards));
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(SelectInTree(cards.projects));
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
    ASSERT_TRUE(StartWithCards(cards));
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
    ASSERT_TRUE(StartWithCards(cards));
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
    ASSERT_TRUE(StartWithCards(cards));
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
