// The main window with a card database: opened at start, shown, closed, saved.

#include <richedit.h>

#include "app/product.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"

namespace apptest {
namespace {

std::wstring ItemTitle(CardTreeView& tree, HTREEITEM item) {
    return tree.GetItemText(item).c_str();
}

TEST_F(MainWindowTest, ADatabaseNamedAtStartIsOpenedAndItsCardsFillTheTree) {
    CardFile cards(L"vorlen-app-start.data");
    Start(cards.Path());
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_TRUE(window->IsDatabaseOpen());
    EXPECT_EQ(std::wstring(window->GetDatabasePath().c_str()), cards.Path());

    // The top level is read at once; a branch when it is first needed.
    CardTreeView& tree = window->GetCardTree();
    EXPECT_EQ(tree.GetCount(), 2);
    const HTREEITEM projects = window->RevealCard(cards.projects);
    const HTREEITEM ideas = window->RevealCard(cards.ideas);
    ASSERT_NE(projects, TVI_ROOT);
    ASSERT_NE(ideas, TVI_ROOT);
    EXPECT_EQ(ItemTitle(tree, projects), L"Projects");
    EXPECT_EQ(ItemTitle(tree, ideas), L"Ideas");
    EXPECT_EQ(tree.GetCount(), 3);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(tree.GetHandle(), TVM_GETNEXTITEM, TVGN_PARENT,
                                                       reinterpret_cast<LPARAM>(ideas))),
              projects);

    EXPECT_EQ(std::wstring(window->GetCaptionBar().GetTitle().c_str()),
              std::wstring(kProductCaption) + L"[" + cards.Path() + L"]");
    EXPECT_EQ(std::wstring(window->GetStatusBar().GetStatus().c_str()),
              L"  Database opened from path: " + cards.Path());
    // The first card is selected and shown in the tab, which is now writable.
    EXPECT_EQ(tree.GetSelectedItem(), tree.GetFirstVisible());
    TabContainer& tabs = window->GetTabs();
    EXPECT_STREQ(tabs.GetTab(0).title.c_str(), L"Projects");
    EXPECT_EQ(tabs.GetTab(0).value, cards.projects);
    const HWND editor = tabs.GetActiveEditor()->GetEditor().GetHandle();
    EXPECT_FALSE(SendMessageW(editor, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
    EXPECT_TRUE(IsWindowVisible(tabs.GetHandle()));
    EXPECT_FALSE(IsWindowVisible(window->GetWelcomeBrowser().GetHandle()));
}

TEST_F(MainWindowTest, SelectingACardShowsItsContentInTheCurrentTab) {
    CardFile cards(L"vorlen-app-select.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.ideas)));
    EXPECT_STREQ(window->GetTabs().GetTab(0).title.c_str(), L"Ideas");
    EXPECT_EQ(window->GetTabs().GetTab(0).value, cards.ideas);
    EXPECT_EQ(EditorText().substr(0, 10), L"Ideas text");
    EXPECT_FALSE(window->GetTabs().GetActiveEditor()->IsModified());
}

TEST_F(MainWindowTest, AFileThatCannotBeOpenedIsReportedAndTheWelcomeStateStays) {
    // A database of something else: SQLite, but without the card table.
    const std::wstring foreign = TempPath(L"vorlen-app-foreign.data");
    DeleteFileW(foreign.c_str());
    {
        CardDatabase other;
        other.createFile(foreign.c_str());
    }
    // A table of that name whose tree would read, without the cards' other
    // columns: refused before the window shows a tree it could not use.
    const std::wstring titlesOnly = TempPath(L"vorlen-app-titles-only.data");
    DeleteFileW(titlesOnly.c_str());
    {
        CardDatabase other;
        other.createFile(titlesOnly.c_str());
        other.execute("create table tab(id integer primary key, title text, parent integer)");
        other.execute("insert into tab(title, parent) values('Only a title', 0)");
    }
    struct Case {
        const char* name;
        std::wstring path;
        const wchar_t* message;
    };
    const Case cases[] = {
        {"missing file", TempPath(L"vorlen-app-missing.data"), L"unable to open database file"},
        {"no card table", foreign, L"no such table: tab"},
        {"no content column", titlesOnly, L"no such column: position"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.messages.clear();
        Start(c.path);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].caption, L"Message");
        EXPECT_EQ(prompts.messages[0].text, c.message);
        EXPECT_FALSE(window->IsDatabaseOpen());
        EXPECT_EQ(window->GetCardTree().GetCount(), 0);
        EXPECT_STREQ(window->GetCaptionBar().GetTitle().c_str(), kProductCaption);
        EXPECT_EQ(window->GetTabs().GetTab(0).value, -4);
        EXPECT_STREQ(window->GetTabs().GetTab(0).title.c_str(), L"Welcome");
        EXPECT_TRUE(IsWindowVisible(window->GetWelcomeBrowser().GetHandle()));
        const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
        EXPECT_TRUE(SendMessageW(editor, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
        window.reset();
    }
    DeleteFileW(foreign.c_str());
    DeleteFileW(titlesOnly.c_str());
}

TEST_F(MainWindowTest, ACardIdTheTreeCannotHoldRefusesTheOpenWithoutAHalfFilledTree) {
    CardFile cards(L"vorlen-app-far-id.data");
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        database.prepare("INSERT INTO tab (id, title, parent, position, txt, rtf) "
                         "VALUES (5000000000, 'Far away', 0, '', '', '')")
            .step();
    }
    Start(cards.Path());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, L"Message");
    EXPECT_NE(prompts.messages[0].text.find(L"5000000000"), std::wstring::npos);
    EXPECT_FALSE(window->IsDatabaseOpen());
    EXPECT_EQ(window->GetCardTree().GetCount(), 0);
    EXPECT_TRUE(IsWindowVisible(window->GetWelcomeBrowser().GetHandle()));
}

TEST_F(MainWindowTest, AnEncipheredFileAsksForItsPasswordAndCancellingOpensNothing) {
    const std::wstring path = TempPath(L"vorlen-app-enciphered.data");
    {
        CardFile cards(L"vorlen-app-to-encipher.data");
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        ASSERT_TRUE(database.changeKey(L"Secret"));
        database.close();
        ASSERT_TRUE(CopyFileW(cards.Path().c_str(), path.c_str(), FALSE));
    }
    Start(path);
    EXPECT_EQ(prompts.passwordQuestions, 1);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(window->IsDatabaseOpen());
    window.reset();

    prompts.givePassword = true;
    prompts.password = L"Secret";
    Start(path);
    EXPECT_TRUE(window->IsDatabaseOpen());
    EXPECT_EQ(window->GetCardTree().GetCount(), 2);
    window.reset();
    DeleteFileW(path.c_str());
}

TEST_F(MainWindowTest, ClosingTheDatabaseReturnsToTheWelcomeState) {
    CardFile cards(L"vorlen-app-close.data");
    Start(cards.Path());
    Command(IDM_CLOSE_DATABASE);
    EXPECT_FALSE(window->IsDatabaseOpen());
    EXPECT_EQ(window->GetCardTree().GetCount(), 0);
    EXPECT_STREQ(window->GetStatusBar().GetStatus().c_str(), L"  Database closed!");
    EXPECT_STREQ(window->GetCaptionBar().GetTitle().c_str(), kProductCaption);
    EXPECT_EQ(window->GetTabs().GetTabCount(), 1u);
    EXPECT_EQ(window->GetTabs().GetTab(0).value, -4);
    EXPECT_TRUE(prompts.messages.empty());

    Command(IDM_CLOSE_DATABASE);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"Open a database first!");
}

TEST_F(MainWindowTest, SaveWritesTheEditedCardAndSaysSo) {
    CardFile cards(L"vorlen-app-save.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.journal)));
    const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Dear diary"));
    ASSERT_TRUE(SendMessageW(editor, EM_GETMODIFY, 0, 0));
    Command(IDM_SAVE);
    EXPECT_STREQ(window->GetStatusBar().GetStatus().c_str(), L"  Data saved successfully!");
    EXPECT_EQ(cards.StoredText(cards.journal).substr(0, 10), L"Dear diary");

    // Nothing modified: nothing written and nothing said.
    window->SetStatusText(L"Ready");
    Command(IDA_SAVE);
    EXPECT_STREQ(window->GetStatusBar().GetStatus().c_str(), L"  Ready");
}

TEST_F(MainWindowTest, SaveWithoutADatabaseAsksForOne) {
    Start();
    Command(IDM_SAVE);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, L"Message");
    EXPECT_EQ(prompts.messages[0].text, L"Please open or create a new database!");
}

TEST_F(MainWindowTest, LeavingACardSavesItsEdits) {
    CardFile cards(L"vorlen-app-leave.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.journal)));
    const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Monday"));
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.projects)));
    EXPECT_EQ(cards.StoredText(cards.journal).substr(0, 6), L"Monday");
    EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 10), L"Ideas text");
}

TEST_F(MainWindowTest, DestroyingTheWindowSavesAModifiedCard) {
    CardFile cards(L"vorlen-app-destroy.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.ideas)));
    const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
    SendMessageW(editor, EM_SETSEL, 0, -1);
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Last words"));
    DestroyWindow(window->GetHandle());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(cards.StoredText(cards.ideas).substr(0, 10), L"Last words");
}

TEST_F(MainWindowTest, OpenAndNewAskForTheirPathsAndCancellingChangesNothing) {
    CardFile cards(L"vorlen-app-open.data");
    Start(cards.Path());
    Command(IDM_OPEN_DATABASE);
    Command(IDA_NEW_DATABASE);
    ASSERT_EQ(prompts.openKinds.size(), 1u);
    EXPECT_EQ(prompts.openKinds[0], OpenPathKind::OpenDatabase);
    ASSERT_EQ(prompts.saveKinds.size(), 1u);
    EXPECT_EQ(prompts.saveKinds[0], SavePathKind::NewDatabase);
    EXPECT_TRUE(window->IsDatabaseOpen());
    EXPECT_EQ(window->GetCardTree().GetCount(), 2);

    const std::wstring fresh = TempPath(L"vorlen-app-new.data");
    prompts.savePath = fresh;
    Command(IDM_NEW_DATABASE);
    EXPECT_EQ(std::wstring(window->GetDatabasePath().c_str()), fresh);
    EXPECT_EQ(window->GetCardTree().GetCount(), 0);
    prompts.openPath = cards.Path();
    Command(IDA_OPEN_DATABASE);
    EXPECT_EQ(std::wstring(window->GetDatabasePath().c_str()), cards.Path());
    EXPECT_EQ(window->GetCardTree().GetCount(), 2);
    window.reset();
    DeleteFileW(fresh.c_str());
}

TEST_F(MainWindowTest, TheSearchPanelTakesTheTreesPlace) {
    Start();
    Command(IDC_SEARCH_PANEL);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"Open a database first!");
    window.reset();

    CardFile cards(L"vorlen-app-search.data");
    Start(cards.Path());
    const HWND panel = window->GetSearchPanel().GetHandle();
    Command(IDC_SEARCH_PANEL);
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_FALSE(IsWindowVisible(window->GetCardTree().GetHandle()));
    EXPECT_EQ(PlacementOf(panel), window->CurrentLayout().searchPanel);
    Command(IDC_SEARCH_PANEL);
    EXPECT_FALSE(IsWindowVisible(panel));
    EXPECT_TRUE(IsWindowVisible(window->GetCardTree().GetHandle()));
}

}  // namespace
}  // namespace apptest
