#include "cli/backup_commands.h"

#include <windows.h>

#include "cli/open_database.h"
#include "core/qerror.h"
#include "store/backup/database_backup.h"
#include "store/cipher/database_key.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

store::DatabaseBackups backupsOf(const QString& path) {
    return store::DatabaseBackups(store::defaultBackupsRoot(), path);
}

SYSTEMTIME localNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// The key the database was opened with: backups stay enciphered under it.
CipherKey keyOf(const CardDatabase& database) {
    return databaseKey(database.getConnection());
}

QString makeBackup(CardDatabase& database, const QString& path) {
    return backupsOf(path).backUp(keyOf(database), localNow());
}

}  // namespace

const OptionSpec kRestoreOptions[1] = {{L"--backup-password-stdin", false}};

void backUpBeforeChange(const Invocation& invocation, CardDatabase& database, const QString& path) {
    if (invocation.options.noBackup) return;
    try {
        makeBackup(database, path);
    } catch (const QError& error) {
        throw QError(L"No backup of \"" + path + L"\" could be made (" + error.message +
                         L"); the file was left as it was. Give --no-backup to go on without one.",
                     error.code);
    }
}

void runBackup(const Invocation& invocation) {
    const QString path = invocation.arguments.positional(0);
    CardDatabase database;
    openCardFile(database, path, invocation.options);
    invocation.out.writeLine(makeBackup(database, path));
}

void runBackups(const Invocation& invocation) {
    const QString path = invocation.arguments.positional(0);
    CardDatabase database;
    openCardFile(database, path, invocation.options);
    const CipherKey key = keyOf(database);
    for (const store::BackupFile& backup : backupsOf(path).list()) {
        const sqlite3_int64 cards = store::countBackupCards(backup.path, key);
        const SYSTEMTIME& time = backup.localTime;
        QString line;
        // A backup made under an earlier password shows "?" for its cards.
        line.Format(L"%ls\t%04u-%02u-%02u %02u:%02u:%02u\t", backup.path.c_str(), time.wYear, time.wMonth,
                    time.wDay, time.wHour, time.wMinute, time.wSecond);
        QString count;
        if (cards < 0) count = L"?";
        else count.Format(L"%lld", static_cast<long long>(cards));
        invocation.out.writeLine(line + count);
    }
}

void runRestore(const Invocation& invocation) {
    const QString path = invocation.arguments.positional(0);
    const QString backup = invocation.arguments.positional(1);
    if (GetFileAttributesW(backup.c_str()) == INVALID_FILE_ATTRIBUTES) {
        throw QError(L"Cannot restore \"" + backup + L"\": the file does not exist.");
    }
    requireWritableFile(path);
    const bool ownPassword = invocation.arguments.option(L"--backup-password-stdin") != nullptr;
    QString backupPassword;
    if (ownPassword) invocation.in.readLine(backupPassword);
    CardDatabase database;
    openCardFile(database, path, invocation.options);
    // An empty line: the backup was made while the file had no password.
    const CipherKey backupKey = !ownPassword           ? keyOf(database)
                                : backupPassword.IsEmpty() ? CipherKey()
                                                           : CipherKey(backupPassword);
    // Tried before anything changes: a wrong password backs nothing up.
    if (store::countBackupCards(backup, backupKey) < 0) {
        throw QError(L"Cannot restore \"" + backup + L"\": it is not a card database, or its password is not " +
                     (ownPassword ? L"the one given." : L"this file's; give --backup-password-stdin and its password."));
    }
    // The state being replaced is itself kept, so a restore can be undone.
    backUpBeforeChange(invocation, database, path);
    store::restoreBackup(database, backup, backupKey);
}
