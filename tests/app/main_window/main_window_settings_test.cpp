// What the main window takes from the settings at start and gives back on close.

#include <cwctype>

#include "app/settings/app_settings.h"
#include "main_window_fixture.h"

namespace apptest {
namespace {

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

class MainWindowSettingsTest : public MainWindowTest {
protected:
    void Remember(const std::wstring& path, CardId card, const std::vector<CardId>& history = {}) {
        AppSettings settings;
        settings.lastDatabasePath = path.c_str();
        settings.lastSelectedCard = card;
        settings.treeWidth = 222;
        settings.windowRect = RECT{100, 80, 900, 680};
        kiln::qstd::QArray<int64_t> ids;
        for (CardId id : history) ids.Add(id);
        settings.history.Assign(ids);
        ASSERT_TRUE(SaveAppSettings(settingsPath.c_str(), settings));
    }
    AppSettings Written() const { return LoadAppSettings(settingsPath.c_str()); }
    CardId SelectedCard() {
        CardTreeView& tree = window->GetCardTree();
        const HTREEITEM item = tree.GetSelectedItem();
        return item ? tree.GetCardId(item) : 0;
    }
};

TEST_F(MainWindowSettingsTest, TheRememberedDatabaseOpensWithItsRememberedCardAndHistory) {
    CardFile cards(L"vorlen-settings-remembered.data");
    // The same file, named in other letter case, is the same database.
    Remember(Upper(cards.Path()), cards.ideas, {cards.journal, cards.projects});
    // The start-up size is the remembered one; the position is the centre.
    window = std::make_unique<MainWindow>(prompts, L"", settingsPath.c_str());
    ASSERT_TRUE(window->Create(nullptr, 0, 0));
    RECT rect;
    GetWindowRect(window->GetHandle(), &rect);
    EXPECT_EQ(rect.right - rect.left, 800);
    EXPECT_EQ(rect.bottom - rect.top, 600);
    EXPECT_EQ(window->GetTreeWidth(), 222);
    EXPECT_EQ(std::wstring(window->GetDatabasePath().c_str()), Upper(cards.Path()));
    EXPECT_EQ(SelectedCard(), cards.ideas);
    EXPECT_STREQ(window->GetTabs().GetTab(0).title.c_str(), L"Ideas");
    // Showing the card put it in front of the history it kept.
    const auto& history = window->GetSettings().history.GetIds();
    ASSERT_EQ(history.GetCount(), 3u);
    EXPECT_EQ(history[0], cards.ideas);
    EXPECT_EQ(history[1], cards.journal);
}

TEST_F(MainWindowSettingsTest, AnotherDatabaseStartsAtItsFirstCardWithANewHistory) {
    CardFile remembered(L"vorlen-settings-old.data");
    CardFile other(L"vorlen-settings-new.data");
    Remember(remembered.Path(), remembered.ideas, {remembered.journal, remembered.projects});
    Start(other.Path());
    EXPECT_EQ(std::wstring(window->GetDatabasePath().c_str()), other.Path());
    EXPECT_EQ(SelectedCard(), other.projects);
    const auto& history = window->GetSettings().history.GetIds();
    ASSERT_EQ(history.GetCount(), 1u);
    EXPECT_EQ(history[0], other.projects);
}

TEST_F(MainWindowSettingsTest, ARememberedCardThatIsGoneIsNoError) {
    CardFile cards(L"vorlen-settings-gone-card.data");
    Remember(cards.Path(), 4242);
    Start();
    EXPECT_TRUE(window->IsDatabaseOpen());
    EXPECT_EQ(window->GetCardTree().GetCount(), 2);
    // Nothing is selected for it; the tree control may still select its
    // first item when it receives the focus (Wine's does).
    EXPECT_NE(window->GetTabs().GetTab(0).value, 4242);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowSettingsTest, ARememberedFileThatIsGoneIsQuietlyNotOpened) {
    Remember(TempPath(L"vorlen-settings-deleted.data"), 1);
    Start();
    EXPECT_FALSE(window->IsDatabaseOpen());
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowSettingsTest, ClosingWritesTheDatabaseTheCardTheRectangleAndTheTreeWidth) {
    CardFile cards(L"vorlen-settings-close.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.journal)));
    SendMessageW(window->GetSplitter().GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    SetWindowPos(window->GetHandle(), nullptr, 30, 40, 820, 610, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindow(window->GetHandle()));

    const AppSettings written = Written();
    EXPECT_EQ(std::wstring(written.lastDatabasePath.c_str()), cards.Path());
    EXPECT_EQ(written.lastSelectedCard, cards.journal);
    EXPECT_EQ(written.treeWidth, 333);
    EXPECT_EQ(written.windowRect.left, 30);
    EXPECT_EQ(written.windowRect.top, 40);
    EXPECT_EQ(written.windowRect.right, 850);
    EXPECT_EQ(written.windowRect.bottom, 650);
}

TEST_F(MainWindowSettingsTest, ClosingWithoutADatabaseForgetsTheLastOne) {
    CardFile cards(L"vorlen-settings-closed.data");
    Start(cards.Path());
    Command(32800);  // Close
    SendMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
    const AppSettings written = Written();
    EXPECT_TRUE(written.lastDatabasePath.IsEmpty());
    EXPECT_EQ(written.lastSelectedCard, 0);
}

TEST_F(MainWindowSettingsTest, MaximisedByTheSystemTheFileKeepsThePreviousRectangle) {
    struct Case {
        const char* name;
        bool bySystem;
    };
    for (const Case& c : {Case{"system command", true}, Case{"caption button", false}}) {
        SCOPED_TRACE(c.name);
        Remember(L"", 0);
        Start();
        SetWindowPos(window->GetHandle(), nullptr, 30, 40, 820, 610, SWP_NOZORDER | SWP_NOACTIVATE);
        const HWND frame = window->GetHandle();
        if (c.bySystem) {
            SendMessageW(frame, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        } else {
            const HWND bar = window->GetCaptionBar().GetHandle();
            const RECT& button = window->GetCaptionBar().GetButtonRect(CaptionBar::Maximise);
            SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 5, 5));
            SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(button.left + 5, 5));
        }
        ASSERT_TRUE(IsZoomed(frame));
        RECT maximised;
        GetWindowRect(frame, &maximised);
        SendMessageW(frame, WM_CLOSE, 0, 0);
        const RECT written = Written().windowRect;
        if (c.bySystem) {
            const RECT previous = {100, 80, 900, 680};
            EXPECT_TRUE(EqualRect(&written, &previous));
        } else {
            EXPECT_TRUE(EqualRect(&written, &maximised));
        }
        window.reset();
        DeleteFileW(settingsPath.c_str());
    }
}

TEST_F(MainWindowSettingsTest, AMinimisedWindowRemembersItsNormalRectangle) {
    Start();
    SetWindowPos(window->GetHandle(), nullptr, 30, 40, 820, 610, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window->GetHandle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window->GetHandle()));
    SendMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
    const RECT written = Written().windowRect;
    EXPECT_EQ(written.right - written.left, 820);
    EXPECT_EQ(written.bottom - written.top, 610);
}

TEST_F(MainWindowSettingsTest, WordWrapFollowsTheSettingAndItsCommandTogglesIt) {
    Start();
    EXPECT_TRUE(window->GetSettings().wordWrap);
    Command(32872);  // Ctrl+W
    EXPECT_FALSE(window->GetSettings().wordWrap);
    SendMessageW(window->GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Written().wordWrap);
}

TEST_F(MainWindowSettingsTest, PrevAndNextStepThroughTheCardsShownLast) {
    CardFile cards(L"vorlen-settings-history.data");
    Start(cards.Path());
    CardTreeView& tree = window->GetCardTree();
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.ideas)));
    ASSERT_TRUE(tree.SelectItem(window->RevealCard(cards.journal)));
    Command(34860);  // Prev
    EXPECT_EQ(SelectedCard(), cards.ideas);
    Command(34860);
    EXPECT_EQ(SelectedCard(), cards.projects);
    Command(34861);  // Next
    EXPECT_EQ(SelectedCard(), cards.ideas);
    EXPECT_STREQ(window->GetTabs().GetTab(0).title.c_str(), L"Ideas");
}

}  // namespace
}  // namespace apptest
