#include "store/backup/database_backup.h"

#include <windows.h>

#include "core/qerror.h"
#include "core/qmultibytestr.h"
#include "store/backup/backup_thinning.h"
#include "store/card_statements.h"
#include "store/cipher/database_key.h"
#include "store/database_error.h"
#include "store/transaction.h"

using kiln::qstd::QError;
using kiln::qstd::QMultiByteStr;
using kiln::qstd::QString;

namespace store {

namespace {

// SQLite's lock bytes sit at 1 GB; on Windows they are locked byte ranges
// that another handle may not read, and the engine never stores data in the
// page that holds them.
constexpr uint64_t kLockPageOffset = 0x40000000;
constexpr DWORD kCopyChunk = 1 << 20;

class Connection {
public:
    Connection(const QString& path, int flags, const CipherKey& key) {
        const QMultiByteStr utf8(path.c_str(), CP_UTF8);
        if (sqlite3_open_v2(utf8.c_str(), &handle, flags, nullptr) != SQLITE_OK) throw databaseError(handle);
        sqlite3_busy_timeout(handle, CardDatabase::kBusyTimeoutMs);
        if (!key.isEmpty()) {
            const int rc = setDatabaseKey(handle, key);
            if (rc != SQLITE_OK) throw QError(QString(sqlite3_errstr(rc), -1, CP_UTF8), rc);
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { sqlite3_close_v2(handle); }

    sqlite3* get() const { return handle; }
    void execute(const char* sql) {
        if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw databaseError(handle);
    }
    QString text(const char* sql) {
        CardStatement statement;
        statement.prepare(handle, sql);
        return statement.step() == SQLITE_ROW ? statement.getText(0) : QString();
    }
    sqlite3_int64 number(const char* sql) {
        CardStatement statement;
        statement.prepare(handle, sql);
        return statement.step() == SQLITE_ROW ? statement.getInt64(0) : 0;
    }

private:
    sqlite3* handle = nullptr;
};

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {
        if (handle == INVALID_HANDLE_VALUE) throw QError::FromLastError();
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { CloseHandle(handle); }
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

void writeAll(HANDLE file, const unsigned char* bytes, DWORD length) {
    DWORD written = 0;
    if (!WriteFile(file, bytes, length, &written, nullptr) || written != length) throw QError::FromLastError();
}

void copyBytes(const QString& from, const QString& to, DWORD pageSize) {
    FileHandle source(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    FileHandle target(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!GetFileSizeEx(source.get(), &size)) throw QError::FromLastError();
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    std::vector<unsigned char> buffer(std::max<DWORD>(kCopyChunk, pageSize));
    uint64_t offset = 0;
    while (offset < total) {
        if (offset == kLockPageOffset) {
            const DWORD skip = static_cast<DWORD>(std::min<uint64_t>(pageSize, total - offset));
            std::fill(buffer.begin(), buffer.begin() + skip, 0);
            writeAll(target.get(), buffer.data(), skip);
            LARGE_INTEGER next;
            next.QuadPart = static_cast<LONGLONG>(offset + skip);
            if (!SetFilePointerEx(source.get(), next, nullptr, FILE_BEGIN)) throw QError::FromLastError();
            offset += skip;
            continue;
        }
        uint64_t chunk = std::min<uint64_t>(kCopyChunk, total - offset);
        if (offset < kLockPageOffset && offset + chunk > kLockPageOffset) chunk = kLockPageOffset - offset;
        DWORD read = 0;
        if (!ReadFile(source.get(), buffer.data(), static_cast<DWORD>(chunk), &read, nullptr)) {
            throw QError::FromLastError();
        }
        if (read != chunk) throw QError(L"The file became shorter while it was copied.");
        writeAll(target.get(), buffer.data(), read);
        offset += read;
    }
    if (!FlushFileBuffers(target.get())) throw QError::FromLastError();
}

// A plain file in write-ahead logging keeps its last commits beside it: the
// engine's own backup copies what a reader sees.
void copyThroughEngine(Connection& source, const QString& to) {
    Connection target(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, CipherKey());
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source.get(), "main");
    if (!backup) throw databaseError(target.get());
    sqlite3_backup_step(backup, -1);
    if (sqlite3_backup_finish(backup) != SQLITE_OK) throw databaseError(target.get());
}

void addSeconds(SYSTEMTIME& time, int seconds) {
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ull;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    FileTimeToSystemTime(&file, &time);
}

bool sameDay(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay;
}

}  // namespace

void copyDatabaseFile(const QString& databasePath, const CipherKey& key, const QString& target) {
    Connection source(databasePath, SQLITE_OPEN_READWRITE, key);
    // Reading page 1 takes the shared lock (playing back what an interrupted
    // writer left first) and tests the key.
    source.execute("BEGIN");
    source.number("SELECT count(*) FROM sqlite_master");
    const QString partial = target + L".partial";
    try {
        if (source.text("PRAGMA journal_mode").CompareNoCase(L"wal") == 0) {
            copyThroughEngine(source, partial);
        } else {
            copyBytes(databasePath, partial, static_cast<DWORD>(source.number("PRAGMA page_size")));
        }
        if (!MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) throw QError::FromLastError();
    } catch (...) {
        DeleteFileW(partial.c_str());
        throw;
    }
    source.execute("COMMIT");
}

sqlite3_int64 countBackupCards(const QString& backupPath, const CipherKey& key) {
    try {
        Connection backup(backupPath, SQLITE_OPEN_READONLY, key);
        return backup.number(kCountCardsSql);
    } catch (const QError&) {
        return -1;
    }
}

void restoreBackup(CardDatabase& database, const QString& backupPath, const CipherKey& backupKey) {
    Connection backup(backupPath, SQLITE_OPEN_READONLY, backupKey);
    CardStatement rows;
    try {
        rows.prepare(backup.get(), kCardTableCheckSql);
    } catch (const QError& error) {
        if ((error.code & 0xFF) != SQLITE_NOTADB) throw;
        throw QError(L"The backup is not a card database, or its password is not this file's.", error.code);
    }
    Transaction transaction(database);
    database.execute16(kDeleteAllSql);
    CardStatement insert = database.prepare(
        "INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (?, ?, ?, ?, ?, ?)");
    while (rows.step() == SQLITE_ROW) {
        for (int column = 0; column < 6; ++column) {
            sqlite3_bind_value(insert.getHandle(), column + 1, sqlite3_column_value(rows.getHandle(), column));
        }
        insert.step();
        sqlite3_reset(insert.getHandle());
    }
    transaction.commit();
}

DatabaseBackups::DatabaseBackups(const QString& backupsRoot, const QString& databasePath)
    : database(databasePath), backupFolder(backupFolderOf(backupsRoot, databasePath)) {}

QString DatabaseBackups::backUp(const CipherKey& key, const SYSTEMTIME& localNow) const {
    createFolders(backupFolder);
    // Two backups within one second: the later takes the next free second.
    SYSTEMTIME stamp = localNow;
    stamp.wMilliseconds = 0;
    QString target = backupFolder + L"\\" + backupFileName(stamp);
    for (int tries = 0; GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES && tries < 3600; ++tries) {
        addSeconds(stamp, 1);
        target = backupFolder + L"\\" + backupFileName(stamp);
    }
    copyDatabaseFile(database, key, target);

    const std::vector<BackupFile> backups = list();
    std::vector<BackupStamp> stamps;
    for (const BackupFile& file : backups) stamps.push_back(BackupStamp{file.localTime, file.bytes});
    const std::vector<bool> keep = backupsToKeep(stamps, stamp);
    for (size_t i = 0; i < backups.size(); ++i) {
        if (!keep[i]) DeleteFileW(backups[i].path.c_str());
    }
    return target;
}

bool DatabaseBackups::madeOn(const SYSTEMTIME& localNow) const {
    for (const BackupFile& file : list()) {
        if (sameDay(file.localTime, localNow)) return true;
    }
    return false;
}

std::vector<BackupFile> DatabaseBackups::list() const {
    return listBackups(backupFolder);
}

}  // namespace store
