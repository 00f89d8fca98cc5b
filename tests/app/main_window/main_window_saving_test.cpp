// Every word kept: pages save themselves after a pause, the session's end
// saves everything, a save that fails keeps the edits and asks before any
// way out drops them, and a read-only file takes no typing.

#include <richedit.h>

#include <chrono>
#include <functional>

#include "documents/text_file.h"
#include "main_window_fixture.h"
#include "shell_drop.h"
#include "resources/command_ids.h"
#include "store/card_database.h"
#include "store/card_operations.h"

namespace apptest {
namespace {

using Clock = std::chrono::steady_clock;

// Another program's connection to the same file.
class OtherWriter {
public:
    explicit OtherWriter(const std::wstring& path) { database.openFile(path.c_str()); }
    void HoldWriteLock() { database.execute("BEGIN IMMEDIATE"); }
    void Release() { database.execute("ROLLBACK"); }
    // No save can find its card any more (a card merely deleted comes back
    // as a card of its own, so it makes no failure).
    void TakeTableAway() { database.execute("ALTER TABLE tab RENAME TO tab_elsewhere"); }

private:
    CardDatabase database;
};

class SavingTest : public MainWindowTest {
protected:
    void Open(const CardFile& cards, CardId shown) {
        Start(cards.Path());
        ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(shown)));
    }
    HWND Editor() { return window->GetTabs().GetActiveEditor()->GetEditor().GetHandle(); }
    // Typing as the control reports it: the text changes and the page hears of it.
    void Type(const wchar_t* text) {
        SendMessageW(Editor(), EM_SETSEL, -1, -1);
        SendMessageW(Editor(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    // Runs the window's messages (its timers among them) until done() or the time is up.
    bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
        const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (Clock::now() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (done()) return true;
            Sleep(10);
        }
        return done();
    }
    bool EditorReadOnly() { return (SendMessageW(Editor(), EM_GETOPTIONS, 0, 0) & ECO_READONLY) != 0; }
    std::wstring SaveState() { return window->GetStatusBar().GetSaveState().c_str(); }
};

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.compare(0, start.size(), start) == 0;
}

TEST_F(SavingTest, TypedWordsReachTheFileAfterAPauseWithoutAnySaveCommand) {
    CardFile cards(L"vorlen-app-save-pause.data");
    Open(cards, cards.journal);
    Type(L"Words left alone");
    EXPECT_EQ(cards.StoredText(cards.journal), L"");
    EXPECT_TRUE(PumpUntil([&] { return StartsWith(cards.StoredText(cards.journal), L"Words left alone"); }, 3000));
    EXPECT_EQ(SaveState(), L"Saved");
    EXPECT_FALSE(window->HasUnsavedPages());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SavingTest, ContinuousTypingIsNeverMoreThanAFewSecondsFromTheFile) {
    CardFile cards(L"vorlen-app-save-continuous.data");
    Open(cards, cards.journal);
    std::wstring typed;
    const auto begin = Clock::now();
    // A word every 100 ms for 3.5 s: there is never a pause of a second.
    for (int i = 0; Clock::now() - begin < std::chrono::milliseconds(3500); ++i) {
        const std::wstring word = L"w" + std::to_wstring(i) + L" ";
        Type(word.c_str());
        typed += word;
        PumpUntil([] { return false; }, 100);
    }
    const std::wstring stored = cards.StoredText(cards.journal);
    // The longest wait wrote what had been typed by then, while typing went on.
    EXPECT_GT(stored.size(), 8u);
    EXPECT_TRUE(StartsWith(typed, stored.substr(0, stored.find_last_not_of(L"\r\n") + 1)));
}

TEST_F(SavingTest, LeavingTheProgramOrMinimisingItSavesAtOnce) {
    const struct {
        const char* how;
        std::function<void(HWND)> leave;
    } ways[] = {
        {"deactivated", [](HWND window) { SendMessageW(window, WM_ACTIVATEAPP, FALSE, 0); }},
        {"minimised", [](HWND window) { ShowWindow(window, SW_MINIMIZE); }},
        {"hidden to the tray", [](HWND window) { SendMessageW(window, WM_COMMAND, IDS_MINIMIZE_TO_TRAY, 0); }},
    };
    for (const auto& way : ways) {
        CardFile cards(L"vorlen-app-save-leave.data");
        Open(cards, cards.journal);
        Type(L"Before leaving");
        way.leave(window->GetHandle());
        EXPECT_TRUE(StartsWith(cards.StoredText(cards.journal), L"Before leaving")) << way.how;
        window.reset();
    }
}

TEST_F(SavingTest, TheSessionsEndSavesThePagesAndTheSettings) {
    CardFile cards(L"vorlen-app-save-session.data");
    Open(cards, cards.journal);
    Type(L"Typed before the shut-down");
    EXPECT_EQ(SendMessageW(window->GetHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    EXPECT_TRUE(StartsWith(cards.StoredText(cards.journal), L"Typed before the shut-down"));
    const AppSettings written = LoadAppSettings(settingsPath.c_str());
    EXPECT_EQ(written.lastDatabasePath.CompareNoCase(cards.Path().c_str()), 0);
    EXPECT_EQ(written.lastSelectedCard, cards.journal);
    // Typed between the question and the end: written before the process goes.
    Type(L" and after the question");
    SendMessageW(window->GetHandle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_NE(cards.StoredText(cards.journal).find(L"and after the question"), std::wstring::npos);
}

TEST_F(SavingTest, ASessionEndThatCannotSaveIsHeldBackWithTheReason) {
    CardFile cards(L"vorlen-app-save-session-locked.data");
    Open(cards, cards.journal);
    Type(L"Not yet on the disk");
    OtherWriter other(cards.Path());
    other.HoldWriteLock();
    EXPECT_EQ(SendMessageW(window->GetHandle(), WM_QUERYENDSESSION, 0, 0), FALSE);
    EXPECT_TRUE(window->HasUnsavedPages());
    EXPECT_NE(std::wstring(window->GetStatusBar().GetStatus().c_str()).find(L"could not save"), std::wstring::npos);
    other.Release();
    EXPECT_EQ(SendMessageW(window->GetHandle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(StartsWith(cards.StoredText(cards.journal), L"Not yet on the disk"));
}

TEST_F(SavingTest, ALockHeldElsewhereNeverFreezesTheWindowAndTheSaveLandsOnceItIsReleased) {
    CardFile cards(L"vorlen-app-save-lock.data");
    Open(cards, cards.journal);
    OtherWriter other(cards.Path());
    other.HoldWriteLock();
    Type(L"Waiting words");
    const auto before = Clock::now();
    EXPECT_FALSE(window->SaveEverything());
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(100));
    EXPECT_EQ(SaveState(), L"Waiting for another program to release the file\u2026");
    other.Release();
    // Retried by itself, without a word to the user.
    EXPECT_TRUE(PumpUntil([&] { return StartsWith(cards.StoredText(cards.journal), L"Waiting words"); }, 5000));
    EXPECT_EQ(SaveState(), L"Saved");
    EXPECT_TRUE(prompts.failedSaves.empty());
    EXPECT_TRUE(prompts.messages.empty());
}

// Each way out of a page whose save fails, each answer: Cancel keeps all,
// a file keeps the words, Discard drops them only once confirmed.
TEST_F(SavingTest, EveryWayOutOfAPageThatCannotBeSavedOffersTheChoices) {
    CardFile elsewhere(L"vorlen-app-save-choices-other.data");
    const std::wstring created = TempPath(L"vorlen-app-save-choices-new.data");
    const struct {
        const char* way;
        std::function<void(const CardFile&)> leave;
        std::function<bool()> left;
        // Before the save starts failing: what the way needs in place.
        std::function<void(const CardFile&)> prepare = nullptr;
        const wchar_t* page = L"Journal";
    } ways[] = {
        {"another card",
         // The item that is there: finding one would read the file.
         [this](const CardFile& cards) {
             window->GetCardTree().SelectItem(window->GetCardTree().ItemOfCard(cards.projects));
         },
         // The selection moved on (the card it moved to may not be readable either).
         [this] {
             CardTreeView& tree = window->GetCardTree();
             return tree.GetItemText(tree.GetSelectedItem()) == kiln::qstd::QString(L"Projects");
         }},
        {"Close", [this](const CardFile&) { Command(IDM_CLOSE_DATABASE); },
         [this] { return !window->IsDatabaseOpen(); }},
        {"Open",
         [this, &elsewhere](const CardFile&) {
             prompts.openPath = elsewhere.Path();
             Command(IDM_OPEN_DATABASE);
         },
         [this, &elsewhere] { return std::wstring(window->GetDatabasePath().c_str()) == elsewhere.Path(); }},
        {"Exit", [this](const CardFile&) { SendMessageW(window->GetHandle(), WM_CLOSE, 0, 0); },
         [this] { return !IsWindow(window->GetHandle()); }},
        {"closing its tab",
         [this](const CardFile&) { window->GetTabs().CloseTab(1); },
         [this] { return window->GetTabs().GetTabCount() == 1; },
         // The edits are typed into a second tab: the last one never closes.
         [this](const CardFile& cards) {
             HoldControl(true);
             window->GetCardTree().SelectItem(window->RevealCard(cards.projects));
             HoldControl(false);
             ASSERT_EQ(window->GetTabs().GetTabCount(), 2u);
         },
         L"Projects"},
        {"New",
         [this, &created](const CardFile&) {
             prompts.newDatabasePath = created;
             Command(IDM_NEW_DATABASE);
         },
         [this, &created] { return std::wstring(window->GetDatabasePath().c_str()) == created; }},
        {"dropping a card file",
         [this, &elsewhere](const CardFile&) {
             SendMessageW(window->GetHandle(), WM_DROPFILES,
                          reinterpret_cast<WPARAM>(guitest::MakeShellDrop({elsewhere.Path()})), 0);
         },
         [this, &elsewhere] { return std::wstring(window->GetDatabasePath().c_str()) == elsewhere.Path(); }},
    };
    const struct {
        const char* cause;
        bool lock;
    } causes[] = {{"locked by another connection", true}, {"card table taken away by another connection", false}};
    for (const auto& cause : causes) {
        for (const auto& way : ways) {
            const std::string what = std::string(cause.cause) + ", leaving by " + way.way;
            CardFile cards(L"vorlen-app-save-choices.data");
            const std::wstring exported = TempPath(L"vorlen-app-save-choices.rtf");
            DeleteFileW(exported.c_str());
            DeleteFileW(created.c_str());
            Open(cards, cards.journal);
            if (way.prepare) way.prepare(cards);
            OtherWriter other(cards.Path());
            if (cause.lock) {
                other.HoldWriteLock();
            } else {
                other.TakeTableAway();
            }
            Type(L"Precious words");

            // Cancel: everything stays as it was.
            prompts.failedSaveChoices = {FailedSaveChoice::Cancel};
            way.leave(cards);
            ASSERT_EQ(prompts.failedSaves.size(), 1u) << what;
            EXPECT_EQ(prompts.failedSaves[0].title, way.page) << what;
            EXPECT_FALSE(way.left()) << what;
            EXPECT_TRUE(window->HasUnsavedPages()) << what;
            EXPECT_NE(EditorText().find(L"Precious words"), std::wstring::npos) << what;

            // Discard, not confirmed, then saved to a file.
            prompts.failedSaveChoices = {FailedSaveChoice::Discard, FailedSaveChoice::SaveToFile};
            prompts.answerYes = false;
            prompts.savePath = exported;
            way.leave(cards);
            EXPECT_EQ(prompts.questions.size(), 1u) << what;
            EXPECT_TRUE(way.left()) << what;
            std::string rtf;
            kiln::qstd::QBuffer bytes;
            if (ReadFileBytes(exported.c_str(), bytes)) {
                rtf.assign(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetCount());
            }
            EXPECT_NE(rtf.find("Precious words"), std::string::npos) << what;
            if (cause.lock) other.Release();
            window.reset();
            prompts = ScriptedPrompts();
            DeleteFileW(exported.c_str());
            DeleteFileW(created.c_str());
        }
    }
}

TEST_F(SavingTest, DiscardingNeedsAConfirmation) {
    CardFile cards(L"vorlen-app-save-discard.data");
    Open(cards, cards.journal);
    OtherWriter other(cards.Path());
    other.HoldWriteLock();
    Type(L"Words to let go");
    prompts.failedSaveChoices = {FailedSaveChoice::Discard};
    prompts.answerYes = true;
    Command(IDM_CLOSE_DATABASE);
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_FALSE(window->IsDatabaseOpen());
    other.Release();
    EXPECT_EQ(cards.StoredText(cards.journal), L"");
}

TEST_F(SavingTest, AReadOnlyFileSaysSoAndTakesNoTyping) {
    CardFile cards(L"vorlen-app-read-only.data");
    ASSERT_TRUE(SetFileAttributesW(cards.Path().c_str(), FILE_ATTRIBUTE_READONLY));
    Open(cards, cards.journal);
    SetFileAttributesW(cards.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(window->IsDatabaseOpen());
    EXPECT_TRUE(window->IsReadOnly());
    EXPECT_NE(std::wstring(window->GetStatusBar().GetDatabaseState().c_str()).find(L"Read-only"), std::wstring::npos);
    EXPECT_NE(std::wstring(window->GetCaptionBar().GetTitle().c_str()).find(L"Read-only"), std::wstring::npos);
    EXPECT_TRUE(EditorReadOnly());
    SendMessageW(Editor(), WM_CHAR, L'x', 0);
    EXPECT_FALSE(window->HasUnsavedPages());
    // Commands that write say why they do nothing.
    Command(IDM_ADD_CARD);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"This database is read-only: nothing in it can be changed.");
}

TEST_F(SavingTest, TheWelcomeTabTakesNoTypingUntilACardIsShown) {
    const std::wstring path = TempPath(L"vorlen-app-welcome-readonly.data");
    DeleteFileW(path.c_str());
    Start();
    prompts.savePath = path;
    Command(IDM_NEW_DATABASE);
    ASSERT_TRUE(window->IsDatabaseOpen());
    EXPECT_EQ(window->GetTabs().GetTab(0).value, TabContainer::kWelcomeTab);
    EXPECT_TRUE(EditorReadOnly());
    Command(IDM_ADD_CARD);
    EXPECT_NE(window->GetTabs().GetTab(0).value, TabContainer::kWelcomeTab);
    EXPECT_FALSE(EditorReadOnly());
    window.reset();
    DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace apptest
