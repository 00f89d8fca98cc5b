#include "store/cipher/rekey.h"

#include <cstring>
#include <memory>

#include "core/qbuffer.h"
#include "core/qerror.h"
#include "core/qfile.h"
#include "core/qstring.h"
#include "store/cipher/authenticated_page.h"
#include "store/cipher/damage_message.h"
#include "store/cipher/database_key.h"
#include "store/cipher/journal_format.h"
#include "store/cipher/page_codec.h"

using kiln::files::QFile;
using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;
using journal_format::writeBigEndian32;

namespace {

const wchar_t kRekeyError[] = L"Rekey error!";
const wchar_t kPageError[] = L"Rekeying page error!";
const wchar_t kCommitError[] = L"Error commit rekey!";
const wchar_t kPageSizeError[] =
    L"The database could not be rebuilt with pages of 4096 bytes; its password was not set.";

constexpr uint32_t kPage = PageCodec::kPageSize;
constexpr uint32_t kSector = 512;
constexpr uint32_t kRecord = 4 + kPage + 4;
// Files past 1 GB have the engine's lock bytes on this page: it holds no
// data, is never journalled, and the lock of our own connection covers it.
constexpr uint32_t kLockBytePage = 0x40000000u / kPage + 1;

const unsigned char kSqliteHeaderMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                              'o', 'r', 'm', 'a', 't', ' ', '3', 0};

[[noreturn]] void fail(const wchar_t* message) {
    throw QError(message, SQLITE_ERROR);
}

// The headline, then what was being done and the system's reason for the
// failure of the call just made (a full disk, a folder that takes no new
// file), so that the user learns what happened.
[[noreturn]] void failBecause(const wchar_t* headline, const QString& what) {
    const DWORD error = GetLastError();
    QString reason;
    if (error != ERROR_SUCCESS) {
        reason.FormatSystemError(error);
        reason.Trim();
    }
    throw QError(QString(headline) + L"\n" + what + (reason.IsEmpty() ? QString(L".") : L": " + reason),
                 SQLITE_ERROR);
}

// The headline, then what the engine was asked to do and its answer.
[[noreturn]] void failInEngine(sqlite3* db, const wchar_t* what) {
    throw QError(QString(kRekeyError) + L"\n" + what + L": " + QString(sqlite3_errmsg(db), -1, CP_UTF8) + L".",
                 SQLITE_ERROR);
}

QString pageText(const wchar_t* before, uint32_t number, const wchar_t* after) {
    QString text;
    text.Format(L"%ls%lu%ls", before, static_cast<unsigned long>(number), after);
    return text;
}

// One statement: prepared, stepped to its first row, finalized on every path.
class Query {
public:
    Query(sqlite3* db, const char* sql) { ok = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK; }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    ~Query() { sqlite3_finalize(statement); }

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

QString singleText(sqlite3* db, const char* sql) {
    Query query(db, sql);
    return query.run() ? query.text() : QString();
}

int singleInteger(sqlite3* db, const char* sql) {
    Query query(db, sql);
    return query.run() ? query.integer() : 0;
}

int requestedReserve(sqlite3* db) {
    int reserve = -1;
    return sqlite3_file_control(db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve) == SQLITE_OK ? reserve : -1;
}

// Replays any hot journal, turns a write-ahead log back into a rollback
// journal (an enciphered file cannot have one), proves the key right, and
// rebuilds a plain database made elsewhere with pages of another size with
// 4096-byte pages, the only size an enciphered file has; for format 2 it
// also rebuilds a file that does not keep the bytes each page is sealed in
// free. Every step is one of the engine's own transactions, under the old
// key. Returns the database's path.
QString settle(sqlite3* db, bool plainBefore, const CipherKey& newKey) {
    // A statement left unfinalized would keep a lock, or the old key, past the rekey.
    if (!sqlite3_get_autocommit(db) || sqlite3_next_stmt(db, nullptr) || sqlite3_db_readonly(db, "main") != 0) {
        fail(kRekeyError);
    }
    const char* path = sqlite3_db_filename(db, "main");
    if (!path || !*path) fail(kRekeyError);

    if (singleText(db, "PRAGMA journal_mode").CompareNoCase(L"wal") == 0 &&
        singleText(db, "PRAGMA journal_mode=DELETE").CompareNoCase(L"delete") != 0) {
        failInEngine(db, L"The database's write-ahead log could not be ended");
    }
    if (!execute(db, "SELECT count(*) FROM sqlite_master")) failInEngine(db, L"The database could not be read");
    if (singleInteger(db, "PRAGMA page_size") != static_cast<int>(kPage)) {
        // Only a plain database made elsewhere can have pages of another size.
        if (!plainBefore) fail(kRekeyError);
        if (!execute(db, "PRAGMA page_size=4096") || !execute(db, "VACUUM")) {
            failInEngine(db, L"The database could not be rebuilt with pages of 4096 bytes");
        }
        if (singleInteger(db, "PRAGMA page_size") != static_cast<int>(kPage)) fail(kPageSizeError);
    }
    const int reserve = static_cast<int>(authenticated_page::kReservedBytes);
    if (newKey.format() == CipherFormat::format2 && requestedReserve(db) != reserve) {
        // The engine only ever widens the free bytes of pages, so a file
        // that keeps more than format 2 needs cannot be made to fit.
        int wanted = reserve;
        if (requestedReserve(db) > reserve ||
            sqlite3_file_control(db, "main", SQLITE_FCNTL_RESERVE_BYTES, &wanted) != SQLITE_OK) {
            fail(kRekeyError);
        }
        if (!execute(db, "VACUUM")) failInEngine(db, L"The database could not be rebuilt for the new format");
        if (requestedReserve(db) != reserve) fail(kRekeyError);
    }
    return QString(path, -1, CP_UTF8);
}

// The engine's exclusive lock on the database, held through a transaction
// that writes nothing: while it is held no other connection reads or writes
// the file, so no commit can come between the pages read and the pages
// written.
class ExclusiveLock {
public:
    explicit ExclusiveLock(sqlite3* db) : db(db) {
        // Busy after the engine's own wait: another program is using the file.
        if (!execute(db, "BEGIN EXCLUSIVE")) failInEngine(db, L"The database could not be locked for the change");
    }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    ~ExclusiveLock() { release(); }

    void release() {
        if (db && !sqlite3_get_autocommit(db)) execute(db, "ROLLBACK");
        db = nullptr;
    }

private:
    sqlite3* db;
};

// The pages of one database file rewritten in place under a new key, with a
// rollback journal of the old pages beside it: the journal is written and
// flushed before the first page changes, and deleting it is the commit. Up
// to then, whoever opens the file under the old key has the engine play the
// journal back; the new key is refused while the journal is there.
class InPlaceRekey {
public:
    // newKey is bound to its new salt already.
    InPlaceRekey(FileOperations& files, const QString& path, const CipherKey& oldKey, const CipherKey& newKey,
                 const RekeyProgress& progress)
        : files(files), path(path), journalPath(path + L"-journal"), codec(std::make_unique<PageCodec>()),
          progress(progress) {
        codec->setReadKey(oldKey);
        codec->setWriteKey(newKey);
        plainBuffer.SetCapacity(kPage);
        recordBuffer.SetCapacity(kRecord);
    }

    // Whether pages of the database may have changed; the journal then has
    // to be played back to undo them.
    bool databaseChanged() const { return pagesWritten; }

    void run() {
        if (!files.open(database, path.c_str(), QFile::modeReadWrite | QFile::shareDenyNone)) {
            failBecause(kRekeyError, L"The database could not be opened");
        }
        const LONGLONG size = database.GetSize();
        pages = countedPages(size);
        if (pages == 0) return;
        writeJournal();
        rewritePages();
        // Bytes after the counted pages belong to no page: the engine never
        // reads them, and they are not carried over, in plain or under the
        // old key, into a file under the new one.
        const LONGLONG kept = LONGLONG(pages) * kPage;
        if (size > kept && !files.truncate(database, kept)) {
            failBecause(kCommitError, L"The bytes after the database's last page could not be cut off");
        }
        if (!files.flush(database)) failBecause(kCommitError, L"The database could not be written to the disk");
        database.Close();
        if (!files.remove(journalPath.c_str())) {
            failBecause(kCommitError, L"The journal beside the database could not be deleted");
        }
        journalWritten = false;
    }

    // Closes what is open and, as long as the database is untouched, takes
    // the journal away again. Never throws.
    void abandon() {
        journal.Close();
        database.Close();
        if (journalWritten && !pagesWritten) files.remove(journalPath.c_str());
    }

private:
    // Copying the old pages into the journal is the first half of the work,
    // writing them under the new key the second.
    void reportPage(uint32_t number, bool secondHalf) {
        if (!progress) return;
        const unsigned permille = (secondHalf ? 500 : 0) + static_cast<unsigned>(uint64_t(number) * 500 / pages);
        if (permille == reported) return;
        reported = permille;
        if (!progress(permille)) throw QError(L"Rekey cancelled.", SQLITE_INTERRUPT);
    }

    void readPage(uint32_t number, unsigned char* page) {
        if (!database.Seek(LONGLONG(number - 1) * kPage, QFile::seekBegin) || !files.read(database, page, kPage)) {
            failBecause(kPageError, pageText(L"Page ", number, L" of the database could not be read"));
        }
    }

    // The pages of the database: as many as its header counts when the
    // engine would take the count (it was written by the same change as the
    // header, bytes 24 and 92 agree), else as many as the file holds whole.
    uint32_t countedPages(LONGLONG size) {
        if (size == 0) return 0;
        const LONGLONG whole = size / kPage;
        if (whole == 0) fail(kPageError);
        unsigned char* page = recordBuffer.GetData();
        readPage(1, page);
        const unsigned char* plain = plainOf(page, 1);
        const uint32_t counted = journal_format::readBigEndian32(plain + 28);
        if (std::memcmp(plain + 24, plain + 92, 4) == 0 && counted > 0 && counted <= whole) return counted;
        if (size % kPage != 0 || whole >= 0xFFFFFFFFLL) fail(kPageError);
        return static_cast<uint32_t>(whole);
    }

    // The plain form of a page as the file holds it; a page that fails its
    // check is never carried over into the new key.
    const unsigned char* plainOf(const unsigned char* stored, uint32_t number) {
        unsigned char* plain = plainBuffer.GetData();
        std::memcpy(plain, stored, kPage);
        switch (codec->decipherPage(plain, number)) {
        case PageCodec::Check::ok:
            return plain;
        case PageCodec::Check::wrongKey:
            fail(kRekeyError);
        case PageCodec::Check::damaged:
            break;
        }
        throw QError(damagedFileMessage(number), SQLITE_ERROR);
    }

    void writeJournal() {
        if (!files.open(journal, journalPath.c_str(), QFile::modeCreate | QFile::modeReadWrite | QFile::shareExclusive)) {
            failBecause(kRekeyError, L"The journal beside the database could not be created");
        }
        journalWritten = true;
        unsigned char header[kSector] = {};
        std::memcpy(header, journal_format::kMagic, sizeof(journal_format::kMagic));
        uint32_t seed = 0;
        sqlite3_randomness(sizeof(seed), &seed);
        writeBigEndian32(header + 12, seed);
        writeBigEndian32(header + 16, pages);
        writeBigEndian32(header + 20, kSector);
        writeBigEndian32(header + 24, kPage);
        std::memcpy(header + journal_format::kRekeyMarkOffset, journal_format::kRekeyMark,
                    sizeof(journal_format::kRekeyMark));
        // The record count stays 0 until every record is on the disk: a
        // journal cut short plays back nothing.
        if (!files.write(journal, header, kSector)) {
            failBecause(kPageError, L"The journal beside the database could not be written");
        }

        unsigned char* record = recordBuffer.GetData();
        uint32_t records = 0;
        for (uint32_t number = 1; number <= pages; ++number) {
            if (number == kLockBytePage) continue;
            reportPage(number, false);
            unsigned char* stored = record + 4;
            readPage(number, stored);
            const unsigned char* plain = plainOf(stored, number);
            // The key is proved again under the lock: a rekey that ran
            // meanwhile in another process would leave garbage here.
            if (number == 1 && (std::memcmp(plain, kSqliteHeaderMagic, sizeof(kSqliteHeaderMagic)) != 0 ||
                                plain[16] != (kPage >> 8) || plain[17] != (kPage & 0xFF))) {
                fail(kRekeyError);
            }
            writeBigEndian32(record, number);
            writeBigEndian32(record + 4 + kPage, journal_format::recordChecksum(seed, plain, kPage));
            if (!files.write(journal, record, kRecord)) {
                failBecause(kPageError, L"The journal beside the database could not be written");
            }
            ++records;
        }
        if (!files.flush(journal)) failBecause(kCommitError, L"The journal could not be written to the disk");
        unsigned char count[4];
        writeBigEndian32(count, records);
        if (!journal.Seek(journal_format::kRecordCountOffset, QFile::seekBegin) || !files.write(journal, count, 4) ||
            !files.flush(journal)) {
            failBecause(kCommitError, L"The journal could not be written to the disk");
        }
        journal.Close();
    }

    void rewritePages() {
        unsigned char* page = recordBuffer.GetData();
        for (uint32_t number = 1; number <= pages; ++number) {
            if (number == kLockBytePage) continue;
            reportPage(number, true);
            readPage(number, page);
            unsigned char* plain = plainBuffer.GetData();
            std::memcpy(plain, plainOf(page, number), kPage);
            // A new change counter makes every connection that cached pages
            // read them again.
            // The count then holds, so it must be the count of this file.
            if (number == 1) {
                const uint32_t changes = journal_format::readBigEndian32(plain + 24) + 1;
                writeBigEndian32(plain + 24, changes);
                writeBigEndian32(plain + 28, pages);
                writeBigEndian32(plain + 92, changes);
            }
            pagesWritten = true;
            const unsigned char* stored = codec->pageToWrite(plain, number);
            if (!stored || !database.Seek(LONGLONG(number - 1) * kPage, QFile::seekBegin) ||
                !files.write(database, stored, kPage)) {
                failBecause(kPageError, pageText(L"Page ", number, L" of the database could not be written"));
            }
        }
    }

    FileOperations& files;
    const QString path;
    const QString journalPath;
    const std::unique_ptr<PageCodec> codec;
    const RekeyProgress& progress;
    unsigned reported = ~0u;
    QBuffer plainBuffer;
    QBuffer recordBuffer;
    QFile database;
    QFile journal;
    uint32_t pages = 0;
    bool journalWritten = false;
    bool pagesWritten = false;
};

}  // namespace

void rekeyDatabase(sqlite3*& db, const CipherKey& newKey, FileOperations& files, const RekeyProgress& progress) {
    if (!db) fail(kRekeyError);
    if (databaseKey(db).isEmpty() && newKey.isEmpty()) return;

    const QString path = settle(db, databaseKey(db).isEmpty(), newKey);
    ExclusiveLock lock(db);
    // Taken under the lock, bound to the format and salt the file has now.
    const CipherKey oldKey = databaseKey(db);
    CipherKey boundNewKey = newKey;
    if (!boundNewKey.bindToNewSalt()) fail(kRekeyError);
    InPlaceRekey rekey(files, path, oldKey, boundNewKey, progress);
    try {
        rekey.run();
    } catch (const QError&) {
        rekey.abandon();
        lock.release();
        // The engine plays the journal back on the next read, under the old
        // key; should that fail too, the journal stays for whoever opens next.
        if (rekey.databaseChanged()) execute(db, "SELECT count(*) FROM sqlite_master");
        throw;
    }
    // The file is under the new key from here on: the connection follows it.
    lock.release();
    const int rc = setDatabaseKey(db, boundNewKey);
    if (rc != SQLITE_OK) {
        throw QError(L"The password was changed, but this connection could not take the new one: open the "
                     L"database again.",
                     rc);
    }
}
