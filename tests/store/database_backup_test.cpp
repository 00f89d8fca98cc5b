// Backups of a card database: which are kept as they age, where they go,
// that an enciphered file's backup stays enciphered under the same
// password, and that a restore brings the backup's cards back.
#include <windows.h>

#include <string>
#include <vector>

#include "core/qerror.h"
#include "store/backup/backup_thinning.h"
#include "store/backup/database_backup.h"
#include "store/card_operations.h"
#include "store/cipher/database_key.h"
#include "test_database.h"
#include "tests/support/folder_removal.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

SYSTEMTIME at(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return time;
}

std::string utf8Of(const QString& text) {
    const std::wstring w = wide(text);
    return std::string(w.begin(), w.end());
}

struct Dated {
    SYSTEMTIME time;
    bool kept;
};

// Friday 2026-12-11, noon. Its last 7 days reach back to 2026-12-04 noon;
// the weekly span to 2026-10-30 noon; the monthly one 365 days before that.
const SYSTEMTIME kNow = at(2026, 12, 11);

TEST(BackupThinning, KeepsEveryRecentOneThenOnePerWeekThenOnePerMonth) {
    const std::vector<Dated> table = {
        // The last 7 days: all of them, several a day included.
        {at(2026, 12, 11, 9), true},
        {at(2026, 12, 11, 8), true},
        {at(2026, 12, 10), true},
        {at(2026, 12, 4, 12, 0, 1), true},
        // Past 7 days: the oldest of each week (weeks begin on Mondays).
        {at(2026, 12, 4, 11), true},      // Fri of the week of Mon 11-30, the only one there
        {at(2026, 11, 27), false},        // Fri, a later one of the week of Mon 11-23
        {at(2026, 11, 24), false},        // Tue, same week
        {at(2026, 11, 23, 0, 0, 1), true},  // Mon, the oldest of that week
        {at(2026, 11, 22, 23, 59, 59), true},  // Sun: the week before
        {at(2026, 10, 31), true},         // Sat, the week of Mon 10-26, still within 5 weeks
        // Past 5 weeks: the oldest of each month, for 365 days.
        {at(2026, 10, 29), false},        // October's oldest is 10-02
        {at(2026, 10, 2), true},
        {at(2026, 3, 15), false},
        {at(2026, 3, 1), true},
        {at(2025, 11, 1), true},          // 375 days old: inside the monthly span
        {at(2025, 10, 29), false},        // 408 days old: beyond it
        {at(2024, 1, 1), false},
    };
    std::vector<store::BackupStamp> stamps;
    for (const Dated& row : table) stamps.push_back(store::BackupStamp{row.time, 1000});
    const std::vector<bool> keep = store::backupsToKeep(stamps, kNow);
    ASSERT_EQ(table.size(), keep.size());
    for (size_t i = 0; i < table.size(); ++i) {
        const SYSTEMTIME& t = table[i].time;
        EXPECT_EQ(table[i].kept, keep[i]) << t.wYear << "-" << t.wMonth << "-" << t.wDay << " " << t.wHour << ":"
                                          << t.wMinute << ":" << t.wSecond;
    }
}

TEST(BackupThinning, TheBudgetDropsTheOldestButNeverTheNewest) {
    struct Case {
        uint64_t budget;
        std::vector<uint64_t> sizesNewestFirst;
        std::vector<bool> kept;
    };
    const Case cases[] = {
        {300, {100, 100, 100, 100}, {true, true, true, false}},
        {250, {100, 100, 100}, {true, true, false}},
        {50, {100, 10}, {true, false}},
        {1000, {100, 100}, {true, true}},
    };
    for (const Case& c : cases) {
        std::vector<store::BackupStamp> stamps;
        for (size_t i = 0; i < c.sizesNewestFirst.size(); ++i) {
            stamps.push_back(store::BackupStamp{at(2026, 12, 10, 20 - static_cast<int>(i)), c.sizesNewestFirst[i]});
        }
        EXPECT_EQ(c.kept, store::backupsToKeep(stamps, kNow, c.budget)) << "budget " << c.budget;
    }
}

TEST(BackupFolder, OneFolderPerFullPathWhateverItsCase) {
    const QString root = L"C:\\root";
    const QString a = store::backupFolderOf(root, L"C:\\Notes\\cards.data");
    EXPECT_EQ(0, wcsncmp(a.c_str(), L"C:\\root\\cards.data-", 19)) << utf8Of(a);
    EXPECT_EQ(static_cast<int>(wcslen(L"C:\\root\\cards.data-") + 8), a.GetLength());
    EXPECT_EQ(0, a.CompareNoCase(store::backupFolderOf(root, L"c:\\NOTES\\Cards.DATA")));
    EXPECT_NE(0, a.CompareNoCase(store::backupFolderOf(root, L"C:\\Other\\cards.data")));
    EXPECT_EQ(L"2026-03-04 05-06-07.data", wide(store::backupFileName(at(2026, 3, 4, 5, 6, 7))));
}

std::wstring readAll(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    // Text is stored as UTF-8: widening byte for byte finds an ASCII word either way.
    return std::wstring(bytes.begin(), bytes.end());
}

void touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
}

class DatabaseBackup : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        root = tempPath(L"vorlen-backup-root-") +
               std::wstring(::testing::UnitTest::GetInstance()->current_test_info()->name(),
                            ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                strlen(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        RemoveFolderTree(root);
        createCards();
        const CardId top = store::addCard(database, 0, L"Zebracrossing");
        store::addCard(database, top, L"Second");
        store::addCard(database, 0, L"Third");
    }
    void TearDown() override {
        TestDatabaseFile::TearDown();
        RemoveFolderTree(root);
    }
    store::DatabaseBackups backups() const { return store::DatabaseBackups(root.c_str(), path); }
    CipherKey key() const { return databaseKey(database.getConnection()); }

    std::wstring root;
};

TEST_F(DatabaseBackup, APlainBackupHoldsTheCardsAndIsListedNewestFirst) {
    const QString first = backups().backUp(key(), at(2026, 12, 11, 9));
    store::addCard(database, 0, L"Fourth");
    const QString second = backups().backUp(key(), at(2026, 12, 11, 10));
    // The same second again: the next free one.
    const QString third = backups().backUp(key(), at(2026, 12, 11, 10));

    EXPECT_EQ(3, store::countBackupCards(first, CipherKey()));
    EXPECT_EQ(4, store::countBackupCards(second, CipherKey()));
    const std::vector<store::BackupFile> listed = backups().list();
    ASSERT_EQ(3u, listed.size());
    EXPECT_EQ(wide(third), wide(listed[0].path));
    EXPECT_EQ(1, listed[0].localTime.wSecond);
    EXPECT_EQ(wide(second), wide(listed[1].path));
    EXPECT_EQ(wide(first), wide(listed[2].path));
    EXPECT_GT(listed[2].bytes, 0u);
    EXPECT_EQ(0, wcsncmp(first.c_str(), root.c_str(), root.size()));
    EXPECT_TRUE(backups().madeOn(at(2026, 12, 11, 23)));
    EXPECT_FALSE(backups().madeOn(at(2026, 12, 12, 0)));
}

TEST_F(DatabaseBackup, AnEncipheredBackupOpensWithThePasswordOnly) {
    for (CipherFormat format : {CipherFormat::format2, CipherFormat::format1}) {
        database.changeKey(L"Secret one", format);
        const QString backup = backups().backUp(key(), at(2026, 12, 11, 9, 0, static_cast<int>(format)));
        EXPECT_EQ(3, store::countBackupCards(backup, CipherKey(L"Secret one", format)));
        EXPECT_EQ(-1, store::countBackupCards(backup, CipherKey()));
        EXPECT_EQ(-1, store::countBackupCards(backup, CipherKey(L"Secret two", format)));
        const std::wstring bytes = readAll(wide(backup));
        EXPECT_GT(bytes.size(), 0u);
        EXPECT_EQ(std::wstring::npos, bytes.find(L"SQLite format 3"));
        EXPECT_EQ(std::wstring::npos, bytes.find(L"Zebracrossing"));
        database.changeKey(QString());
    }
}

TEST_F(DatabaseBackup, ThinningRunsAfterEachBackup) {
    const QString folder = backups().folder();
    store::createFolders(folder);
    touch(wide(folder) + L"\\2026-11-23 10-00-00.data");
    touch(wide(folder) + L"\\2026-11-24 10-00-00.data");  // a later one of the same week
    touch(wide(folder) + L"\\2020-01-01 10-00-00.data");  // older than every span
    touch(wide(folder) + L"\\notes.txt");                 // not a backup: left alone
    backups().backUp(key(), kNow);
    const std::vector<store::BackupFile> listed = backups().list();
    ASSERT_EQ(2u, listed.size());
    EXPECT_EQ(23, listed[1].localTime.wDay);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((wide(folder) + L"\\notes.txt").c_str()));
}

TEST_F(DatabaseBackup, RestoreBringsBackTheCardsAndNeverReusesAnId) {
    database.changeKey(L"Secret one", CipherFormat::format2);
    const QString backup = backups().backUp(key(), kNow);
    store::deleteCard(database, 1);
    const CardId later = store::addCard(database, 0, L"Made after the backup");

    store::restoreBackup(database, backup, key());
    EXPECT_EQ(3, queryInt(database, "SELECT count(*) FROM tab"));
    EXPECT_EQ(L"Second", queryText(database, "SELECT title FROM tab WHERE parent = (SELECT id FROM tab WHERE title = "
                                             "'Zebracrossing')"));
    EXPECT_GT(store::addCard(database, 0, L"New"), later);

    // Another password's backup is refused and the cards stay.
    EXPECT_THROW(store::restoreBackup(database, backup, CipherKey(L"Wrong", CipherFormat::format2)), QError);
    EXPECT_EQ(4, queryInt(database, "SELECT count(*) FROM tab"));
}

TEST_F(DatabaseBackup, AFileThatIsNotThereMakesNoBackup) {
    database.close();
    DeleteFileW(path);
    EXPECT_THROW(backups().backUp(CipherKey(), kNow), QError);
    EXPECT_TRUE(backups().list().empty());
}

}  // namespace
