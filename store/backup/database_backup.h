#pragma once

#include <sqlite3.h>

#include <vector>

#include "core/qstring.h"
#include "store/backup/backup_folder.h"
#include "store/card_database.h"
#include "store/cipher/cipher_key.h"

// Backups of one card database file: consistent copies taken between two
// commits, enciphered exactly as the file is, kept and thinned in a folder
// of their own (backup_folder.h, backup_thinning.h).
namespace store {

class DatabaseBackups {
public:
    DatabaseBackups(const kiln::qstd::QString& backupsRoot, const kiln::qstd::QString& databasePath);

    const kiln::qstd::QString& folder() const { return backupFolder; }
    const kiln::qstd::QString& databasePath() const { return database; }

    // Copies the file now, under key (empty for a plain file), then thins the
    // folder; returns the new backup's path. Throws when no backup was made.
    // Opens a connection of its own, so any thread may call it.
    kiln::qstd::QString backUp(const CipherKey& key, const SYSTEMTIME& localNow) const;
    // Whether a backup was made on the calendar day of localNow.
    bool madeOn(const SYSTEMTIME& localNow) const;
    // Newest first.
    std::vector<BackupFile> list() const;

private:
    kiln::qstd::QString database;
    kiln::qstd::QString backupFolder;
};

// The file's pages are copied byte for byte under a read transaction of a
// connection of its own: no writer can commit meanwhile, and enciphered pages
// stay as they are on disk, under the same key and salt. The copy goes to
// target only once whole.
void copyDatabaseFile(const kiln::qstd::QString& databasePath, const CipherKey& key,
                      const kiln::qstd::QString& target);

// The cards in a backup; -1 when key does not open it.
sqlite3_int64 countBackupCards(const kiln::qstd::QString& backupPath, const CipherKey& key);

// The database's cards become the backup's, ids included, in one transaction
// of database's own connection, so other connections see an ordinary commit.
// The file keeps its password, and its id counter never goes back: a card
// id given out before is not given out again.
void restoreBackup(CardDatabase& database, const kiln::qstd::QString& backupPath, const CipherKey& backupKey);

}  // namespace store
