// Backups of the open database: one a day when it is opened, one before
// each operation that removes or rewrites much, and the Backups command
// that lists them and restores one.

#include <windows.h>

#include <vector>

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/backup/database_backup.h"
#include "store/cipher/database_key.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

SYSTEMTIME localNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

QString sizeText(uint64_t bytes) {
    QString text;
    if (bytes < 1024 * 1024) text.Format(L"%llu KB", static_cast<unsigned long long>((bytes + 1023) / 1024));
    else text.Format(L"%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

}  // namespace

store::DatabaseBackups MainWindow::Backups() const {
    return store::DatabaseBackups(store::defaultBackupsRoot(), databasePath);
}

void MainWindow::BackUpOnOpen() {
    openBackup.StartDaily(store::defaultBackupsRoot(), databasePath, databaseKey(database.getConnection()));
}

bool MainWindow::BackUpBefore(const QString& operation) {
    if (!IsDatabaseOpen()) return true;
    // The daily backup may be copying the same file still.
    openBackup.Wait();
    const store::DatabaseBackups backups = Backups();
    const CipherKey key = databaseKey(database.getConnection());
    try {
        prompts.RunWithProgress(handle, L"Backup", [&](ProgressReport&) { backups.backUp(key, localNow()); });
        return true;
    } catch (const QError& error) {
        return prompts.AskYesNo(handle, L"Backup failed",
                                L"No backup of the file could be made before " + operation + L":\n\n" +
                                    error.message + L"\n\nGo on without a backup?",
                                MB_ICONWARNING);
    }
}

void MainWindow::CommandBackups(const Command&) {
    if (!RequireOpenDatabase()) return;
    const store::DatabaseBackups backups = Backups();
    const CipherKey key = databaseKey(database.getConnection());
    std::vector<store::BackupFile> files;
    std::vector<BackupChoice> choices;
    try {
        // Counting opens every backup: not on the window's thread.
        prompts.RunWithProgress(handle, L"Backups", [&](ProgressReport& report) {
            files = backups.list();
            for (size_t i = 0; i < files.size(); ++i) {
                if (!report.Report(static_cast<unsigned>(i * 1000 / files.size()), L"Reading the backups..."))
                    return;
                const SYSTEMTIME& time = files[i].localTime;
                BackupChoice choice;
                choice.date.Format(L"%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
                                   time.wHour, time.wMinute, time.wSecond);
                const sqlite3_int64 cards = store::countBackupCards(files[i].path, key);
                // Made under another password: its cards are not known until then.
                if (cards < 0) choice.cards = L"?";
                else choice.cards.Format(L"%lld", static_cast<long long>(cards));
                choice.size = sizeText(files[i].bytes);
                choices.push_back(choice);
            }
        });
    } catch (const QError& error) {
        ShowMessage(error.message);
        return;
    }
    if (choices.size() != files.size()) return;
    size_t chosen = 0;
    if (!prompts.ChooseBackup(handle, choices, chosen) || chosen >= files.size()) return;
    if (RequireWritableDatabase()) RestoreBackup(files[chosen].path);
}

bool MainWindow::RestoreBackup(const QString& backupPath) {
    // A failed save is offered its own choices; the restore goes on either way.
    SaveCurrentCard();
    if (!BackUpBefore(L"the restore")) return false;
    CipherKey key = databaseKey(database.getConnection());
    for (;;) {
        try {
            store::restoreBackup(database, backupPath, key);
            break;
        } catch (const QError& error) {
            if ((error.code & 0xFF) != SQLITE_NOTADB) {
                ShowMessage(error.message);
                return false;
            }
            // A backup made under an earlier password opens with that one.
            QString password;
            if (!prompts.AskPassword(handle, password)) return false;
            key = CipherKey(password);
        }
    }
    // Every card may have changed: no tab keeps a page of the old contents.
    CloseTabsOfDeletedCards(nullptr);
    SearchAgain();
    cardTree.DeleteAll();
    FillCardTree();
    SelectFirstCard();
    SetStatusText(L"Backup restored from " + backupPath);
    return true;
}
