#include "store/cipher/rekey.h"

#include <cstring>
#include <memory>
#include <string>

#include "core/qbuffer.h"
#include "core/qerror.h"
#include "core/qfile.h"
#include "core/qmultibytestr.h"
#include "core/qstring.h"
#include "store/cipher/database_key.h"
#include "store/cipher/page_codec.h"

using kiln::files::QFile;
using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QMultiByteStr;
using kiln::qstd::QString;

namespace {

const wchar_t kRekeyError[] = L"Rekey error!";
const wchar_t kPageError[] = L"Rekeying page error!";
const wchar_t kCommitError[] = L"Error commit rekey!";
const wchar_t kPageSizeError[] =
    L"The database could not be rebuilt with pages of 4096 bytes; its password was not set.";

constexpr uint32_t kPage = PageCodec::kPageSize;
const unsigned char kJournalMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};

[[noreturn]] void fail(const wchar_t* message) {
    throw QError(message, SQLITE_ERROR);
}

// One statement: prepared, stepped to its first row, finalized on every path.
class Query {
public:
    Query(sqlite3* db, const char* sql) { ok = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK; }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    ~Query() { sqlite3_finalize(statement); }

    bool bindText(int index, const char* text) {
        return ok && sqlite3_bind_text(statement, index, text, -1, SQLITE_TRANSIENT) == SQLITE_OK;
    }
    // SQLITE_ROW or SQLITE_DONE on success.
    bool run() {
        if (!ok) return false;
        const int rc = sqlite3_step(statement);
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    }
    int integer() const { return sqlite3_column_int(statement, 0); }
    QString text() const {
        const unsigned char* value = sqlite3_column_text(statement, 0);
        return QString(value ? reinterpret_cast<const char*>(value) : "", -1, CP_UTF8);
    }

private:
    sqlite3_stmt* statement = nullptr;
    bool ok = false;
};

bool execute(sqlite3* db, const char* sql) {
    Query query(db, sql);
    return query.run();
}

// The first column of the first row; empty when the statement fails.
QString singleText(sqlite3* db, const char* sql) {
    Query query(db, sql);
    return query.run() ? query.text() : QString();
}

// What is needed to put the connection back after it was closed.
struct Reopening {
    QString path;
    std::string pathUtf8;
    std::string vfsName;
    int busyTimeout = 0;
};

// Replays any hot journal, turns a write-ahead log back into a rollback
// journal (an enciphered file cannot have one), and proves the key right.
// Returns the page size.
int settle(sqlite3* db, Reopening& reopening) {
    if (!sqlite3_get_autocommit(db) || sqlite3_db_readonly(db, "main") != 0) fail(kRekeyError);
    const char* path = sqlite3_db_filename(db, "main");
    sqlite3_vfs* vfs = nullptr;
    if (!path || !*path || sqlite3_file_control(db, "main", SQLITE_FCNTL_VFS_POINTER, &vfs) != SQLITE_OK || !vfs) {
        fail(kRekeyError);
    }
    reopening.pathUtf8 = path;
    reopening.path = QString(path, -1, CP_UTF8);
    reopening.vfsName = vfs->zName;

    if (singleText(db, "PRAGMA journal_mode").CompareNoCase(L"wal") == 0 &&
        singleText(db, "PRAGMA journal_mode=DELETE").CompareNoCase(L"delete") != 0) {
        fail(kRekeyError);
    }
    if (!execute(db, "SELECT count(*) FROM sqlite_master")) fail(kRekeyError);
    Query timeout(db, "PRAGMA busy_timeout");
    Query pageSize(db, "PRAGMA page_size");
    if (!timeout.run() || !pageSize.run()) fail(kRekeyError);
    reopening.busyTimeout = timeout.integer();
    return pageSize.integer();
}

// A rollback journal that still holds pages: some writer is in the middle of
// a transaction, or died in one; the file is not at rest.
bool hotJournalBeside(const QString& path) {
    QFile journal;
    if (!journal.Open((path + L"-journal").c_str(), QFile::modeRead | QFile::shareDenyNone)) return false;
    unsigned char magic[sizeof(kJournalMagic)];
    DWORD read = 0;
    return ReadFile(journal.GetHandle(), magic, sizeof(magic), &read, nullptr) && read == sizeof(magic) &&
           std::memcmp(magic, kJournalMagic, sizeof(magic)) == 0;
}

// Writes every page of source, deciphered under readKey, to target,
// enciphered under writeKey, and flushes target to the disk.
void rewritePages(FileOperations& files, const QString& source, const QString& target, const CipherKey& readKey,
                  const CipherKey& writeKey) {
    QFile in;
    // Nobody may write the database while its pages are copied.
    if (!files.open(in, source.c_str(), QFile::modeRead | QFile::shareDenyWrite)) fail(kRekeyError);
    if (hotJournalBeside(source)) fail(kRekeyError);
    const LONGLONG size = in.GetSize();
    if (size % kPage != 0) fail(kPageError);

    QFile out;
    if (!files.open(out, target.c_str(), QFile::modeCreate | QFile::modeReadWrite | QFile::shareExclusive)) {
        fail(kRekeyError);
    }
    // Its page buffer is too large for the stack.
    const auto codec = std::make_unique<PageCodec>();
    codec->setReadKey(readKey);
    codec->setWriteKey(writeKey);
    QBuffer pageBuffer;
    pageBuffer.SetCapacity(kPage);
    unsigned char* page = pageBuffer.GetData();
    for (LONGLONG offset = 0; offset < size; offset += kPage) {
        if (!files.read(in, page, kPage)) fail(kPageError);
        codec->decipherPage(page);
        if (!files.write(out, codec->pageToWrite(page), kPage)) fail(kPageError);
    }
    if (!files.flush(out)) fail(kCommitError);
}

int openConnection(const Reopening& reopening, const CipherKey& key, sqlite3*& db) {
    int rc = sqlite3_open_v2(reopening.pathUtf8.c_str(), &db, SQLITE_OPEN_READWRITE, reopening.vfsName.c_str());
    if (rc == SQLITE_OK) rc = setDatabaseKey(db, key);
    if (db) sqlite3_busy_timeout(db, reopening.busyTimeout);
    return rc;
}

// The new file must open as a database under its key before it replaces anything.
bool opensUnder(const Reopening& reopening, const QString& path, const CipherKey& key) {
    const QMultiByteStr utf8(path.c_str(), CP_UTF8);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(utf8.c_str(), &db, SQLITE_OPEN_READONLY, reopening.vfsName.c_str());
    if (rc == SQLITE_OK) rc = setDatabaseKey(db, key);
    const bool readable = rc == SQLITE_OK && execute(db, "SELECT count(*) FROM sqlite_master");
    sqlite3_close(db);
    return readable;
}

bool hasStandardPages(const QString& path) {
    QFile file;
    unsigned char header[18];
    DWORD read = 0;
    return file.Open(path.c_str(), QFile::modeRead) &&
           ReadFile(file.GetHandle(), header, sizeof(header), &read, nullptr) && read == sizeof(header) &&
           header[16] == (kPage >> 8) && header[17] == (kPage & 0xFF);
}

// Rebuilds a plain database made elsewhere with pages of another size into
// path, plain, with 4096-byte pages.
void rebuildWithStandardPages(sqlite3* db, FileOperations& files, const QString& path) {
    files.remove(path.c_str());
    const QMultiByteStr utf8(path.c_str(), CP_UTF8);
    Query vacuum(db, "VACUUM INTO ?");
    if (!execute(db, "PRAGMA page_size=4096") || !vacuum.bindText(1, utf8.c_str()) || !vacuum.run()) {
        files.remove(path.c_str());
        fail(kRekeyError);
    }
    if (!hasStandardPages(path)) {
        files.remove(path.c_str());
        fail(kPageSizeError);
    }
}

}  // namespace

void rekeyDatabase(sqlite3*& db, const CipherKey& newKey, FileOperations& files) {
    if (!db) fail(kRekeyError);
    const CipherKey oldKey = databaseKey(db);
    if (oldKey.isEmpty() && newKey.isEmpty()) return;

    Reopening reopening;
    const int pageSize = settle(db, reopening);
    const QString replacement = reopening.path + L"-rekey";
    const QString rebuilt = reopening.path + L"-rekey-pages";

    // Only a plain database made elsewhere can have pages of another size.
    const bool rebuild = pageSize != static_cast<int>(kPage);
    if (rebuild) {
        if (!oldKey.isEmpty()) fail(kRekeyError);
        rebuildWithStandardPages(db, files, rebuilt);
    }
    const QString& source = rebuild ? rebuilt : reopening.path;

    if (sqlite3_close(db) != SQLITE_OK) {
        if (rebuild) files.remove(rebuilt.c_str());
        fail(kRekeyError);
    }
    db = nullptr;

    try {
        rewritePages(files, source, replacement, oldKey, newKey);
        if (!opensUnder(reopening, replacement, newKey)) fail(kCommitError);
        if (!files.replace(replacement.c_str(), reopening.path.c_str())) fail(kCommitError);
    } catch (const QError&) {
        files.remove(replacement.c_str());
        if (rebuild) files.remove(rebuilt.c_str());
        openConnection(reopening, oldKey, db);
        throw;
    }
    if (rebuild) files.remove(rebuilt.c_str());
    if (openConnection(reopening, newKey, db) != SQLITE_OK) {
        throw QError(QString(db ? sqlite3_errmsg(db) : "out of memory", -1, CP_UTF8),
                     db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM);
    }
}
