// The window's backups: one on open (once a day), one before each command
// that removes much, a question when it cannot be made, and a restore from
// the Backups list that backs up the cards it replaces first.
#include <windows.h>

#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "resources/command_ids.h"
#include "store/backup/database_backup.h"
#include "store/card_operations.h"
#include "tests/support/folder_removal.h"

namespace apptest {
namespace {

class WindowBackupsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        root = TempPath(L"vorlen-window-backup-root");
        RemoveFolderTree(root);
        SetEnvironmentVariableW(L"VORLEN_BACKUPS", root.c_str());
    }
    void TearDown() override {
        window.reset();
        RemoveFolderTree(root);
        MainWindowTest::TearDown();
    }
    std::vector<store::BackupFile> Backups(const CardFile& cards) {
        return store::DatabaseBackups(root.c_str(), cards.Path().c_str()).list();
    }
    int CardsIn(const store::BackupFile& backup) {
        return static_cast<int>(store::countBackupCards(backup.path, CipherKey()));
    }
    // Waits for the backup made on open, which runs beside the window.
    void CloseWindow() { window.reset(); }

    std::wstring root;
};

TEST_F(WindowBackupsTest, OpeningBacksUpOnceADay) {
    CardFile cards(L"vorlen-window-backup-open.data");
    Start(cards.Path());
    CloseWindow();
    auto backups = Backups(cards);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(CardsIn(backups[0]), 3);

    Start(cards.Path());
    CloseWindow();
    EXPECT_EQ(Backups(cards).size(), 1u);
}

TEST_F(WindowBackupsTest, DeleteAllBacksUpFirstOrAsksWhenItCannot) {
    CardFile cards(L"vorlen-window-backup-delete-all.data");
    Start(cards.Path());
    prompts.answerYes = true;
    Command(IDM_DELETE_ALL_CARDS);
    auto backups = Backups(cards);
    // The one of the open and the one before the delete, both with every card.
    ASSERT_EQ(backups.size(), 2u);
    EXPECT_EQ(CardsIn(backups[0]), 3);
    EXPECT_EQ(prompts.progressCaptions, std::vector<std::wstring>{L"Backup"});

    // No folder can be made below a file: the question comes, and No keeps the cards.
    CardId kept = 0;
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        kept = store::addCard(database, 0, L"Kept");
    }
    SetEnvironmentVariableW(L"VORLEN_BACKUPS", (cards.Path() + L"\\below").c_str());
    Start(cards.Path());
    prompts.questions.clear();
    // Yes to "Confirm Delete", No to going on without a backup.
    prompts.yesNoAnswers = {true, false};
    Command(IDM_DELETE_ALL_CARDS);
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[1].caption, L"Backup failed");
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        EXPECT_TRUE(store::cardExists(database, kept));
    }
}

TEST_F(WindowBackupsTest, RestoreBacksUpTheCardsItReplacesAndTheTreeShowsTheBackup) {
    CardFile cards(L"vorlen-window-backup-restore.data");
    Start(cards.Path());
    CloseWindow();
    ASSERT_EQ(Backups(cards).size(), 1u);
    {
        CardDatabase database;
        database.openFile(cards.Path().c_str());
        store::deleteAllCards(database);
        store::addCard(database, 0, L"Only one");
    }
    Start(cards.Path());
    ASSERT_EQ(window->GetCardTree().GetCount(), 1);
    prompts.backupChoice = 0;
    Command(IDM_BACKUPS);
    ASSERT_EQ(prompts.backupLists.size(), 1u);
    ASSERT_EQ(prompts.backupLists[0].size(), 1u);
    EXPECT_EQ(std::wstring(prompts.backupLists[0][0].cards.c_str()), L"3");

    // The top level again holds "Projects" and "Journal", with "Ideas" below.
    EXPECT_EQ(window->GetCardTree().GetCount(), 2);
    EXPECT_NE(window->RevealCard(cards.ideas), nullptr);
    const auto backups = Backups(cards);
    ASSERT_EQ(backups.size(), 2u);
    // The newest holds what the restore replaced.
    EXPECT_EQ(CardsIn(backups[0]), 1);
    EXPECT_EQ(CardsIn(backups[1]), 3);
}

}  // namespace
}  // namespace apptest
