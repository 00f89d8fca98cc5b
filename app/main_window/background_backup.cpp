#include "app/main_window/background_backup.h"

#include <windows.h>

#include "store/backup/database_backup.h"

using kiln::qstd::QString;

BackgroundBackup::~BackgroundBackup() {
    Wait();
}

void BackgroundBackup::StartDaily(const QString& backupsRoot, const QString& databasePath, const CipherKey& key) {
    Wait();
    worker = std::thread([root = backupsRoot, path = databasePath, key] {
        // Opening changes nothing: a failure here loses nothing, and every
        // operation that would changes much makes its own backup first and
        // asks when that fails.
        try {
            const store::DatabaseBackups backups(root, path);
            SYSTEMTIME now;
            GetLocalTime(&now);
            if (!backups.madeOn(now)) backups.backUp(key, now);
        } catch (...) {
            // An exception leaving the thread would end the process.
        }
    });
}

void BackgroundBackup::Wait() {
    if (worker.joinable()) worker.join();
}
