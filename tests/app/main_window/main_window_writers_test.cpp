// One file, several writers: what another connection changes shows up in the
// window, a page with unsaved edits is never reloaded under them, its save
// keeps both versions, and a password changed elsewhere is asked for again
// without losing the edits.

#include <richedit.h>

#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"

namespace apptest {
namespace {

using kiln::qstd::QBuffer;

QBuffer Rtf(const std::string& text) {
    const std::string rtf = "{\\rtf1\\ansi " + text + "\\par}";
    QBuffer bytes;
    bytes.Append(rtf.data(), static_cast<unsigned>(rtf.size()));
    return bytes;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

class WritersTest : public MainWindowTest {
protected:
    void Open(const CardFile& cards, CardId shown) {
        Start(cards.Path());
        ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(shown)));
    }
    // The card opened in a tab of its own, as Ctrl and a click do.
    void OpenInNewTab(CardId cardId) {
        HoldControl(true);
        window->GetCardTree().SelectItem(window->RevealCard(cardId));
        HoldControl(false);
    }
    void Type(const wchar_t* text) {
        const HWND editor = window->GetTabs().GetActiveEditor()->GetEditor().GetHandle();
        SendMessageW(editor, EM_SETSEL, -1, -1);
        SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    std::wstring PageText(unsigned tab) {
        return window->GetTabs().GetEditor(tab)->GetPlainText().c_str();
    }
    std::wstring TabTitle(unsigned tab) { return window->GetTabs().GetTab(tab).title.c_str(); }
    std::vector<std::wstring> Titles(HTREEITEM parent) {
        std::vector<std::wstring> titles;
        CardTreeView& tree = window->GetCardTree();
        for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextItem(item)) {
            titles.push_back(tree.GetItemText(item).c_str());
        }
        return titles;
    }
    void RunPostedMessages() {
        MSG msg;
        while (PeekMessageW(&msg, window->GetHandle(), 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    // The cards whose title starts so, as the file has them.
    std::vector<CardId> ConflictCards(const CardFile& cards, const wchar_t* title) {
        CardDatabase reader;
        reader.openFile(cards.Path().c_str());
        CardStatement statement = reader.prepare16(L"select id from tab where title like ? || ' (conflict %'");
        statement.bindText(1, title);
        std::vector<CardId> ids;
        while (statement.step() == SQLITE_ROW) ids.push_back(statement.getId(0));
        return ids;
    }
};

TEST_F(WritersTest, TheTreeAndTheUnmodifiedPagesFollowAnotherWriter) {
    CardFile cards(L"vorlen-app-writers-follow.data");
    Open(cards, cards.ideas);
    OpenInNewTab(cards.journal);
    ASSERT_EQ(window->GetTabs().GetTabCount(), 2u);
    Type(L"Mine, unsaved");
    const HTREEITEM projects = window->GetCardTree().ItemOfCard(cards.projects);
    window->GetCardTree().Expand(projects);
    ASSERT_TRUE(TreeView_GetItemState(window->GetCardTree().GetHandle(), projects, TVIS_EXPANDED) & TVIS_EXPANDED);

    CardDatabase other;
    other.openFile(cards.Path().c_str());
    store::renameCard(other, cards.ideas, L"Ideas renamed");
    other.saveCardContent(L"Changed elsewhere", Rtf("Changed elsewhere"), cards.ideas);
    other.saveCardContent(L"Theirs", Rtf("Theirs"), cards.journal);
    const CardId added = store::addCard(other, 0, L"Added");
    window->CheckForChanges();

    EXPECT_EQ(Titles(TVI_ROOT), (std::vector<std::wstring>{L"Projects", L"Journal", L"Added"}));
    const HTREEITEM projectsAgain = window->GetCardTree().ItemOfCard(cards.projects);
    EXPECT_TRUE(TreeView_GetItemState(window->GetCardTree().GetHandle(), projectsAgain, TVIS_EXPANDED) &
                TVIS_EXPANDED)
        << "an open branch closed";
    EXPECT_EQ(Titles(projectsAgain), (std::vector<std::wstring>{L"Ideas renamed"}));
    EXPECT_EQ(window->GetCardTree().GetCardId(window->GetCardTree().GetSelectedItem()), cards.journal);
    // The page without edits shows the new text under the new title...
    EXPECT_EQ(TabTitle(0), L"Ideas renamed");
    EXPECT_TRUE(Contains(PageText(0), L"Changed elsewhere"));
    EXPECT_FALSE(window->GetTabs().GetEditor(0)->IsModified());
    // ...the page with edits keeps them.
    EXPECT_TRUE(Contains(PageText(1), L"Mine, unsaved"));
    EXPECT_FALSE(Contains(PageText(1), L"Theirs"));
    EXPECT_TRUE(window->HasUnsavedPages());

    // Its save keeps both versions and says so.
    EXPECT_TRUE(window->SaveEverything());
    EXPECT_EQ(cards.StoredText(cards.journal), L"Theirs");
    const std::vector<CardId> conflicts = ConflictCards(cards, L"Journal");
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_TRUE(Contains(cards.StoredText(conflicts[0]), L"Mine, unsaved"));
    EXPECT_EQ(window->GetTabs().GetTab(1).value, conflicts[0]);
    EXPECT_TRUE(Contains(TabTitle(1), L"Journal (conflict "));
    ASSERT_EQ(prompts.notices.size(), 1u);
    EXPECT_TRUE(Contains(prompts.notices[0].text, L"\"Journal\" was changed by another program. Both versions were "
                                                   L"kept: yours is the new card \"Journal (conflict "));
    EXPECT_TRUE(Contains(window->GetStatusBar().GetStatus().c_str(), prompts.notices[0].text));
    RunPostedMessages();
    EXPECT_EQ(window->GetCardTree().GetCardId(window->GetCardTree().GetSelectedItem()), conflicts[0]);

    // Deleted elsewhere: the item goes, and so does the tab that had nothing to save.
    store::deleteCard(other, cards.ideas);
    store::deleteCard(other, added);
    window->CheckForChanges();
    EXPECT_EQ(window->GetCardTree().ItemOfCard(cards.ideas), nullptr);
    EXPECT_EQ(window->GetCardTree().ItemOfCard(added), nullptr);
    EXPECT_EQ(window->GetTabs().GetTabCount(), 1u);
    EXPECT_EQ(window->GetTabs().GetTab(0).value, conflicts[0]);
    EXPECT_TRUE(prompts.messages.empty());
}

// The other writer takes the card away under unsaved edits; the stale tab's
// save must neither fail nor land in a card that now holds other words.
TEST_F(WritersTest, EditsToACardTakenAwayElsewhereComeBackAsACardOfTheirOwn) {
    const struct {
        const char* name;
        void (*change)(CardDatabase& other, const CardFile& cards);
        bool looked;  // whether the window looked at the file before its save
    } cases[] = {
        {"deleted", [](CardDatabase& o, const CardFile& c) { store::deleteCard(o, c.journal); }, true},
        {"deleted, not yet seen", [](CardDatabase& o, const CardFile& c) { store::deleteCard(o, c.journal); }, false},
        {"delete all, then new cards took the ids",
         [](CardDatabase& o, const CardFile&) {
             store::deleteAllCards(o);
             for (const char* text : {"Stranger one", "Stranger two", "Stranger three"}) {
                 store::addCard(o, 0, L"Stranger", kiln::qstd::QString(text, static_cast<int>(strlen(text))),
                                Rtf(text));
             }
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CardFile cards(L"vorlen-app-writers-gone.data");
        Open(cards, cards.journal);
        Type(L"Words written here");
        {
            CardDatabase other;
            other.openFile(cards.Path().c_str());
            c.change(other, cards);
        }
        if (c.looked) {
            window->CheckForChanges();
            EXPECT_TRUE(Contains(EditorText(), L"Words written here"));
            EXPECT_TRUE(window->HasUnsavedPages());
        }
        EXPECT_TRUE(window->SaveEverything());
        const std::vector<CardId> conflicts = ConflictCards(cards, L"Journal");
        ASSERT_EQ(conflicts.size(), 1u);
        EXPECT_TRUE(Contains(cards.StoredText(conflicts[0]), L"Words written here"));
        CardDatabase reader;
        reader.openFile(cards.Path().c_str());
        if (store::cardExists(reader, cards.journal)) {
            EXPECT_EQ(cards.StoredText(cards.journal), L"Stranger three") << "a stale tab wrote into another card";
        }
        ASSERT_EQ(prompts.notices.size(), 1u);
        EXPECT_TRUE(Contains(prompts.notices[0].text, L"\"Journal\" was "));
        RunPostedMessages();
        EXPECT_NE(window->GetCardTree().ItemOfCard(conflicts[0]), nullptr);
        window.reset();
        prompts = ScriptedPrompts();
    }
}

TEST_F(WritersTest, APasswordChangedElsewhereIsAskedForAndTheEditsAreSavedUnderIt) {
    CardFile cards(L"vorlen-app-writers-password.data");
    {
        CardDatabase keying;
        keying.openFile(cards.Path().c_str());
        keying.changeKey(L"Before123");
    }
    prompts.givePassword = true;
    prompts.password = L"Before123";
    Open(cards, cards.journal);
    ASSERT_TRUE(window->IsDatabaseOpen());
    Type(L"Words before the change");
    {
        CardDatabase other;
        other.openFile(cards.Path().c_str());
        other.applyKey(L"Before123");
        other.changeKey(L"After456");
    }
    const std::wstring told = L"The file's password was changed by another program";

    // Refused: nothing is lost, nothing is shown that is not in the file.
    prompts.givePassword = false;
    EXPECT_FALSE(window->SaveEverything());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text.compare(0, told.size(), told), 0);
    EXPECT_EQ(prompts.passwordQuestions, 2);
    EXPECT_TRUE(window->HasUnsavedPages());
    EXPECT_TRUE(Contains(EditorText(), L"Words before the change"));
    EXPECT_TRUE(Contains(window->GetStatusBar().GetSaveState().c_str(), told));
    // The automatic saves do not ask again and again.
    EXPECT_FALSE(window->SaveEverything());
    window->CheckForChanges();
    EXPECT_EQ(prompts.passwordQuestions, 2);

    // Leaving the file asks again; with the new password the edits are saved.
    prompts.givePassword = true;
    prompts.password = L"After456";
    Command(IDM_CLOSE_DATABASE);
    EXPECT_EQ(prompts.passwordQuestions, 3);
    EXPECT_FALSE(window->IsDatabaseOpen());
    EXPECT_TRUE(prompts.failedSaves.empty());
    CardDatabase reader;
    reader.openFile(cards.Path().c_str());
    reader.applyKey(L"After456");
    EXPECT_TRUE(Contains(store::loadCardText(reader, cards.journal).c_str(), L"Words before the change"));
}

}  // namespace
}  // namespace apptest
