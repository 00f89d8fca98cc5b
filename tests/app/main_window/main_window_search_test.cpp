// The search panel in the main window: every change of its text searches on
// a thread of the window's own, results come back as a message, and choosing
// a result shows its card in the current tab.

#include <richedit.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"

namespace apptest {
namespace {

class SearchPanelTest : public MainWindowTest {
protected:
    // The fixture's cards, two more with text to find, and the panel shown.
    void OpenWithPanel(const CardFile& cards) {
        {
            CardDatabase database;
            database.openFile(cards.Path().c_str());
            first = AddCard(database, L"First", L"needle and needle again");
            second = AddCard(database, L"Second", L"one needle");
        }
        Start(cards.Path());
        Command(IDC_SEARCH_PANEL);
        ASSERT_TRUE(window->IsSearchPanelShown());
    }

    static CardId AddCard(CardDatabase& database, const wchar_t* title, const wchar_t* text) {
        const CardId id = store::addCard(database, 0);
        store::renameCard(database, id, title);
        const std::string rtf = "{\\rtf1\\ansi " + std::string(text, text + wcslen(text)) + "\\par}";
        kiln::qstd::QBuffer content;
        content.Append(rtf.data(), static_cast<unsigned>(rtf.size()));
        database.saveCardContent(text, content, id);
        return id;
    }

    HWND Box() const { return window->GetSearchPanel().GetSearchBox(); }
    HWND List() const { return window->GetSearchPanel().GetResultList(); }

    void Type(const wchar_t* text) { SetWindowTextW(Box(), text); }

    // Takes the window's messages until the results for text are all in;
    // false after ten seconds.
    bool WaitForResults(const wchar_t* text) {
        return guitest::PumpUntil(
            [&] { return window->GetSearchPanel().GetShownText() == kiln::qstd::QString(text); }, 10000);
    }
    bool SearchFor(const wchar_t* text) {
        Type(text);
        return WaitForResults(text);
    }

    std::vector<std::wstring> Titles() const {
        std::vector<std::wstring> titles;
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(List(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
        for (; item; item = reinterpret_cast<HTREEITEM>(
                         SendMessageW(List(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
            wchar_t label[128] = {};
            TVITEMW data = {};
            data.mask = TVIF_TEXT;
            data.hItem = item;
            data.pszText = label;
            data.cchTextMax = 128;
            SendMessageW(List(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
            titles.push_back(label);
        }
        return titles;
    }

    // Takes the window's messages until the list shows wanted; false after
    // ten seconds.
    bool WaitForTitles(const std::vector<std::wstring>& wanted) {
        return guitest::PumpUntil([&] { return Titles() == wanted; }, 10000);
    }

    void Choose(int index) {
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(List(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
        for (int i = 0; i < index && item; ++i) {
            item = reinterpret_cast<HTREEITEM>(
                SendMessageW(List(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
        }
        ASSERT_NE(item, nullptr);
        SendMessageW(List(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }

    CHARRANGE EditorSelection() {
        CHARRANGE range = {};
        SendMessageW(Editor(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    HWND Editor() { return window->GetTabs().GetActiveEditor()->GetEditor().GetHandle(); }
    // As if the user selected from..to in the shown card and typed text.
    void TypeIntoEditor(LONG from, LONG to, const wchar_t* text) {
        SendMessageW(Editor(), EM_SETSEL, from, to);
        SendMessageW(Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }

    CardId first = 0;
    CardId second = 0;
};

TEST_F(SearchPanelTest, EveryChangeOfTheTextSearchesAndAnEmptyTextEmptiesTheList) {
    CardFile cards(L"vorlen-search-typing.data");
    OpenWithPanel(cards);
    const struct {
        const wchar_t* text;
        std::vector<std::wstring> titles;
    } cases[] = {
        {L"needle", {L"First", L"Second"}},
        {L"needle and", {L"First"}},
        // Titles are found by their beginning only.
        {L"jour", {L"Journal"}},
        {L"ournal", {}},
        {L"IDEAS TEXT", {L"Ideas"}},
        {L"it's 50%", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Type(c.text);
        ASSERT_TRUE(WaitForResults(c.text));
        EXPECT_EQ(Titles(), c.titles);
    }
    // The apostrophe and the percent sign are searched for like any letter.
    EXPECT_TRUE(prompts.messages.empty());

    Type(L"");
    EXPECT_TRUE(Titles().empty());
    Sleep(200);
    guitest::PumpPending();
    EXPECT_TRUE(Titles().empty());
    EXPECT_TRUE(window->GetSearchPanel().GetShownText().IsEmpty());
}

// The search keeps the cards' text from the file's opening to its closing,
// panel shown or not, so no search waits for the file.
TEST_F(SearchPanelTest, TheSearchStaysWarmWhileTheFileIsOpenAndLetsGoWhenItCloses) {
    CardFile cards(L"vorlen-search-release.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    EXPECT_TRUE(window->IsSearchRunning());

    Command(IDC_SEARCH_PANEL);
    ASSERT_FALSE(window->IsSearchPanelShown());
    EXPECT_TRUE(window->IsSearchRunning());

    Command(IDC_SEARCH_PANEL);
    ASSERT_TRUE(SearchFor(L"one needle"));
    EXPECT_EQ(Titles(), std::vector<std::wstring>{L"Second"});

    Command(IDM_CLOSE_DATABASE);
    EXPECT_FALSE(window->IsSearchRunning());
}

TEST_F(SearchPanelTest, AResultOfAnOlderTextIsNeverShown) {
    CardFile cards(L"vorlen-search-stale.data");
    OpenWithPanel(cards);
    // Each change asks before the window has taken any answer.
    Type(L"needle");
    Type(L"needle and");
    ASSERT_TRUE(SearchFor(L"Ideas"));
    EXPECT_EQ(Titles(), std::vector<std::wstring>{L"Ideas"});
    Sleep(300);
    guitest::PumpPending();
    EXPECT_EQ(Titles(), std::vector<std::wstring>{L"Ideas"});
    EXPECT_STREQ(window->GetSearchPanel().GetShownText().c_str(), L"Ideas");

    // Emptied while a search runs: its answer does not fill the list.
    Type(L"needle");
    Type(L"");
    Sleep(300);
    guitest::PumpPending();
    EXPECT_TRUE(Titles().empty());
}

TEST_F(SearchPanelTest, AChosenResultIsShownWithItsTextSelectedAndF3FindsTheNext) {
    CardFile cards(L"vorlen-search-choose.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    Choose(0);
    EXPECT_STREQ(window->GetTabs().GetTab(0).title.c_str(), L"First");
    EXPECT_EQ(window->GetTabs().GetTab(0).value, first);
    EXPECT_EQ(EditorText().substr(0, 23), L"needle and needle again");
    EXPECT_FALSE(window->GetTabs().GetActiveEditor()->IsModified());
    EXPECT_EQ(EditorSelection().cpMin, 0);
    EXPECT_EQ(EditorSelection().cpMax, 6);

    Command(IDA_FIND_NEXT);
    EXPECT_EQ(EditorSelection().cpMin, 11);
    EXPECT_EQ(EditorSelection().cpMax, 17);
}

TEST_F(SearchPanelTest, AMatchFarDownIsSelectedWhateverItsCaseAndScrolledIntoView) {
    CardFile cards(L"vorlen-search-far.data");
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        std::string rtf = "{\\rtf1\\ansi ";
        std::wstring text;
        for (int line = 0; line < 300; ++line) {
            rtf += "line " + std::to_string(line) + "\\par ";
            text += L"line " + std::to_wstring(line) + L"\n";
        }
        rtf += "the NEEDLE and the Needle\\par}";
        text += L"the NEEDLE and the Needle\n";
        const CardId id = store::addCard(database, 0);
        store::renameCard(database, id, L"Long");
        kiln::qstd::QBuffer content;
        content.Append(rtf.data(), static_cast<unsigned>(rtf.size()));
        database.saveCardContent(text.c_str(), content, id);
    }
    Start(cards.Path());
    Command(IDC_SEARCH_PANEL);
    ASSERT_TRUE(SearchFor(L"needle"));
    const std::vector<std::wstring> titles = Titles();
    ASSERT_EQ(titles.size(), 1u);
    Choose(0);
    // The editor counts a paragraph's end as one character.
    std::wstring shown = EditorText();
    shown.erase(std::remove(shown.begin(), shown.end(), L'\n'), shown.end());
    const LONG at = static_cast<LONG>(shown.find(L"NEEDLE"));
    ASSERT_GT(at, 0);
    EXPECT_EQ(EditorSelection().cpMin, at);
    EXPECT_EQ(EditorSelection().cpMax, at + 6);
    EXPECT_GT(SendMessageW(Editor(), EM_GETFIRSTVISIBLELINE, 0, 0), 200);

    Command(IDA_FIND_NEXT);
    EXPECT_EQ(EditorSelection().cpMin, at + 15);
    EXPECT_EQ(EditorSelection().cpMax, at + 21);
    // The last match stays selected: the search does not wrap around.
    Command(IDA_FIND_NEXT);
    EXPECT_EQ(EditorSelection().cpMin, at + 15);
}

TEST_F(SearchPanelTest, TheEditsOfAResultAreSavedIntoItsCardBeforeLeavingIt) {
    CardFile cards(L"vorlen-search-save.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    Choose(1);
    TypeIntoEditor(0, 0, L"Edited ");
    ASSERT_TRUE(window->GetTabs().GetActiveEditor()->IsModified());
    Choose(0);
    EXPECT_EQ(cards.StoredText(second).substr(0, 17), L"Edited one needle");
    EXPECT_EQ(cards.StoredText(first).substr(0, 6), L"needle");
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SearchPanelTest, TheArrowsInTheBoxWalkTheResultsAndEscapeClosesThePanel) {
    CardFile cards(L"vorlen-search-keys.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    SendMessageW(Box(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(window->GetTabs().GetTab(0).value, first);
    SendMessageW(Box(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(window->GetTabs().GetTab(0).value, second);
    SendMessageW(Box(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(window->GetTabs().GetTab(0).value, first);
    // The arrows never reach the box itself: its text is unchanged.
    EXPECT_EQ(window->GetSearchPanel().GetSearchText(), kiln::qstd::QString(L"needle"));

    SendMessageW(Box(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
    EXPECT_FALSE(window->IsSearchPanelShown());
    EXPECT_FALSE(IsWindowVisible(window->GetSearchPanel().GetHandle()));
    EXPECT_TRUE(IsWindowVisible(window->GetCardTree().GetHandle()));

    // Shown again, the panel keeps its text and its results.
    Command(IDC_SEARCH_PANEL);
    EXPECT_EQ(Titles(), (std::vector<std::wstring>{L"First", L"Second"}));
}

TEST_F(SearchPanelTest, TheCloseBoxTurnsRedUnderThePointerAndClosesThePanel) {
    CardFile cards(L"vorlen-search-close.data");
    OpenWithPanel(cards);
    const HWND panel = window->GetSearchPanel().GetHandle();
    RECT client;
    GetClientRect(panel, &client);
    const LPARAM onBox = MAKELPARAM(client.right - 10, 12);
    SendMessageW(panel, WM_MOUSEMOVE, 0, onBox);
    EXPECT_TRUE(window->GetSearchPanel().IsCloseBoxHot());
    SendMessageW(panel, WM_MOUSEMOVE, 0, MAKELPARAM(5, 30));
    EXPECT_FALSE(window->GetSearchPanel().IsCloseBoxHot());
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(5, 30));
    EXPECT_TRUE(window->IsSearchPanelShown());
    SendMessageW(panel, WM_LBUTTONUP, 0, onBox);
    EXPECT_FALSE(window->IsSearchPanelShown());
}

TEST_F(SearchPanelTest, ClosingTheDatabaseWhileASearchRunsIsSafe) {
    CardFile cards(L"vorlen-search-closing.data");
    OpenWithPanel(cards);
    Type(L"needle");
    Command(IDM_CLOSE_DATABASE);
    Sleep(300);
    guitest::PumpPending();
    EXPECT_FALSE(window->IsDatabaseOpen());
    EXPECT_TRUE(Titles().empty());
    EXPECT_TRUE(prompts.messages.empty());
    // The search thread no longer holds the file.
    EXPECT_TRUE(DeleteFileW(cards.Path().c_str())) << GetLastError();
}

// Enough results that they go into the list in several batches.
TEST_F(SearchPanelTest, ClosingTheDatabaseClosesThePanelAndNoResultOfItsFileArrivesLater) {
    const struct {
        const wchar_t* name;
        int command;
        bool opensAnother;
    } cases[] = {
        {L"Close", IDM_CLOSE_DATABASE, false},
        {L"Open", IDM_OPEN_DATABASE, true},
        {L"New", IDM_NEW_DATABASE, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile cards(L"vorlen-search-closed.data");
        CardFile other(L"vorlen-search-next.data");
        const std::wstring created = TempPath(L"vorlen-search-created.data");
        DeleteFileW(created.c_str());
        {
            CardDatabase database;
            database.openFile(cards.Path().c_str());
            database.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                             "INSERT INTO tab (title, parent, position, txt, rtf) "
                             "SELECT 'Found ' || i, 0, '', 'a needle', '' FROM n");
        }
        prompts.openPath = c.command == IDM_OPEN_DATABASE ? other.Path() : L"";
        prompts.savePath = c.command == IDM_NEW_DATABASE ? created : L"";
        OpenWithPanel(cards);
        Type(L"needle");
        // One message at a time, until the first batch is in.
        const DWORD start = GetTickCount();
        MSG msg;
        while (SendMessageW(List(), TVM_GETCOUNT, 0, 0) == 0 && GetTickCount() - start < 10000) {
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        ASSERT_GT(SendMessageW(List(), TVM_GETCOUNT, 0, 0), 0);
        ASSERT_TRUE(window->GetSearchPanel().GetShownText().IsEmpty()) << "all results came in at once";

        Command(c.command);
        Sleep(300);
        guitest::PumpPending();
        EXPECT_EQ(window->IsDatabaseOpen(), c.opensAnother);
        EXPECT_FALSE(window->IsSearchPanelShown());
        EXPECT_FALSE(IsWindowVisible(window->GetSearchPanel().GetHandle()));
        EXPECT_TRUE(IsWindowVisible(window->GetCardTree().GetHandle()));
        EXPECT_TRUE(Titles().empty());
        EXPECT_EQ(GetWindowTextLengthW(Box()), 0);
        EXPECT_TRUE(window->GetSearchPanel().GetSearchText().IsEmpty());
        EXPECT_TRUE(prompts.messages.empty());
        window.reset();
        DeleteFileW(created.c_str());
    }
}

// A result must never lead to a card that is gone or show a title that is
// old, also when the cards changed while the panel was put away.
TEST_F(SearchPanelTest, DeletingOrRenamingCardsRefreshesTheResults) {
    CardFile cards(L"vorlen-search-refresh.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    ASSERT_EQ(Titles(), (std::vector<std::wstring>{L"First", L"Second"}));

    Command(IDC_SEARCH_PANEL);
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(first)));
    SetFocus(tree.GetHandle());
    prompts.confirmDelete = true;
    Command(IDM_DELETE_CARD);
    Command(IDC_SEARCH_PANEL);
    EXPECT_TRUE(WaitForTitles({L"Second"}));

    const HWND edit = tree.EditLabel(window->RevealCard(second));
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"Renamed");
    SendMessageW(tree.GetHandle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_TRUE(WaitForTitles({L"Renamed"}));

    prompts.answerYes = true;
    Command(IDM_DELETE_ALL_CARDS);
    EXPECT_TRUE(WaitForTitles({}));
    EXPECT_TRUE(prompts.messages.empty());
}

// Another program deletes, renames and adds cards: once the window notices,
// the results are those of the file as it is now.
TEST_F(SearchPanelTest, ChangesMadeByAnotherProgramRefreshTheResults) {
    CardFile cards(L"vorlen-search-elsewhere.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    ASSERT_EQ(Titles(), (std::vector<std::wstring>{L"First", L"Second"}));

    {
        CardDatabase other;
        other.openFile(cards.Path().c_str());
        store::deleteCard(other, first);
        store::renameCard(other, second, L"Second renamed");
        AddCard(other, L"Third", L"a needle found elsewhere");
    }
    window->CheckForChanges();
    EXPECT_TRUE(WaitForTitles({L"Second renamed", L"Third"}));
    EXPECT_TRUE(prompts.messages.empty());
}

// The search reads the file, so the card being edited is saved first: its
// new text is found and its old text no longer is.
TEST_F(SearchPanelTest, TheEditsOfTheShownResultAreSearchedToo) {
    CardFile cards(L"vorlen-search-edited.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    Choose(1);
    TypeIntoEditor(0, -1, L"a haystack");
    ASSERT_TRUE(window->GetTabs().GetActiveEditor()->IsModified());

    ASSERT_TRUE(SearchFor(L"haystack"));
    EXPECT_EQ(Titles(), std::vector<std::wstring>{L"Second"});
    ASSERT_TRUE(SearchFor(L"needle"));
    EXPECT_EQ(Titles(), std::vector<std::wstring>{L"First"});
    EXPECT_EQ(cards.StoredText(second).substr(0, 10), L"a haystack");
    EXPECT_TRUE(prompts.messages.empty());
}

// When the card being left cannot be saved, the chosen result does not
// replace its edits; they are saved to their own card once the file takes
// them again.
TEST_F(SearchPanelTest, AResultWhoseEditsCannotBeSavedKeepsThemWhenAnotherIsChosen) {
    CardFile cards(L"vorlen-search-refused.data");
    OpenWithPanel(cards);
    ASSERT_TRUE(SearchFor(L"needle"));
    Choose(1);
    TypeIntoEditor(0, 0, L"Edited ");
    {
        CardDatabase other;
        other.openFile(cards.Path().c_str());
        other.execute("CREATE TRIGGER keep BEFORE UPDATE ON tab BEGIN SELECT RAISE(ABORT, 'kept'); END");
    }
    Choose(0);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].text.find(L"kept"), std::wstring::npos);
    EXPECT_EQ(window->GetTabs().GetTab(0).value, second);
    EXPECT_EQ(EditorText().substr(0, 17), L"Edited one needle");
    EXPECT_TRUE(window->GetTabs().GetActiveEditor()->IsModified());

    {
        CardDatabase other;
        other.openFile(cards.Path().c_str());
        other.execute("DROP TRIGGER keep");
    }
    Choose(1);
    EXPECT_EQ(cards.StoredText(second).substr(0, 17), L"Edited one needle");
    EXPECT_EQ(cards.StoredText(first).substr(0, 6), L"needle");
    EXPECT_EQ(prompts.messages.size(), 1u);
}

TEST_F(SearchPanelTest, AnEncipheredDatabaseIsSearchedWithItsPassword) {
    CardFile cards(L"vorlen-search-enciphered.data");
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        ASSERT_TRUE(database.changeKey(L"Secret12"));
    }
    prompts.givePassword = true;
    prompts.password = L"Secret12";
    Start(cards.Path());
    ASSERT_TRUE(window->IsDatabaseOpen());
    Command(IDC_SEARCH_PANEL);
    ASSERT_TRUE(SearchFor(L"Ideas"));
    EXPECT_EQ(Titles(), std::vector<std::wstring>{L"Ideas"});
    EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
}  // namespace apptest
