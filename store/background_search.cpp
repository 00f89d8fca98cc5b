#include "store/background_search.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "core/qerror.h"
#include "core/qmultibytestr.h"
#include "store/cipher/database_key.h"
#include "store/transaction.h"
#include "store/worker_failure.h"

using kiln::qstd::QError;
using kiln::qstd::QMultiByteStr;
using kiln::qstd::QString;

namespace {

// Cards read in one read transaction while warming up: the window's saves
// wait for the read lock to be let go, for no longer than one batch takes,
// which is at most this many cards and about this many milliseconds. A
// batch reads a few cards in any case: each one takes and lets go of the
// file's lock, which costs round trips of its own.
constexpr int kCardsPerBatch = 512;
constexpr int kFewestCardsPerBatch = 32;
constexpr ULONGLONG kBatchMilliseconds = 10;
// Once the text is kept, the connection only looks up the few cards a save
// wrote; a small cache holds the pages on their way.
const char kKeptCacheSql[] = "PRAGMA cache_size = -2048";
// A plain file is read through a mapping while warming up: each page then
// costs no system call. Enciphered pages must pass the cipher and are
// never mapped.
constexpr sqlite3_int64 kMappedBound = sqlite3_int64(sizeof(void*) == 8 ? 2047 : 256) << 20;
// More cards than this written since the last search are read again by
// reading everything.
constexpr size_t kFewCards = 4096;

// A private copy, so that no string block is shared between the threads.
QString copyOf(const QString& text) {
    return QString(text.c_str(), text.GetLength());
}

// Two empty strings are the same text here, as no password is no password;
// the strings' own comparison holds distinct empty strings unequal.
bool sameText(const QString& first, const QString& second) {
    return first.GetLength() == second.GetLength() && (first.IsEmpty() || first == second);
}

void openForSearch(CardDatabase& database, const QString& path, const QString& password) {
    const QMultiByteStr utf8(path.c_str(), CP_UTF8);
    database.openUtf8(utf8.c_str(), false);
    // Keyed without the mark the window's connection writes: this
    // connection only ever reads.
    if (!password.IsEmpty()) {
        const int rc = setDatabaseKey(database.getConnection(), CipherKey(password));
        if (rc != SQLITE_OK) throw QError(QString(sqlite3_errstr(rc), -1, CP_UTF8), rc);
    }
}

sqlite3_int64 queryInt(CardDatabase& database, const char* sql) {
    CardStatement statement = database.prepare(sql);
    statement.step();
    return statement.getInt64(0);
}

// The file's change counter, inside a read transaction: it moves once for
// every transaction any connection commits. Read from the file below the
// engine, through the cipher for an enciphered file.
uint32_t readChangeCounter(CardDatabase& database) {
    // Takes the read lock, which the transaction then holds.
    queryInt(database, "PRAGMA schema_version");
    sqlite3_file* file = nullptr;
    sqlite3_file_control(database.getConnection(), "main", SQLITE_FCNTL_FILE_POINTER, &file);
    unsigned char bytes[4] = {};
    const int rc = file && file->pMethods ? file->pMethods->xRead(file, bytes, 4, 24) : SQLITE_IOERR_READ;
    if (rc != SQLITE_OK) throw QError(QString(sqlite3_errstr(rc), -1, CP_UTF8), rc);
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

KeptCardTexts::Value valueOf(sqlite3_stmt* row, int column) {
    const unsigned char* text = sqlite3_column_text(row, column);
    return KeptCardTexts::Value{text, static_cast<size_t>(sqlite3_column_bytes(row, column))};
}

int cacheMisses(CardDatabase& database) {
    int misses = 0, highest = 0;
    sqlite3_db_status(database.getConnection(), SQLITE_DBSTATUS_CACHE_MISS, &misses, &highest, 0);
    return misses;
}

// Reading at low priority leaves the cores to the window while a file opens.
class LowPriority {
public:
    LowPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }
    ~LowPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL); }
    LowPriority(const LowPriority&) = delete;
    LowPriority& operator=(const LowPriority&) = delete;
};

}  // namespace

BackgroundSearch::BackgroundSearch(ReadyCallback ready, size_t keptTextCap)
    : ready(std::move(ready)), keptTextCap(keptTextCap) {}

BackgroundSearch::~BackgroundSearch() {
    Stop();
}

bool BackgroundSearch::StartLocked(const QString& path, const QString& password) {
    if (worker.joinable()) return sameText(workerPath, path) && sameText(workerPassword, password);
    workerPath = copyOf(path);
    workerPassword = copyOf(password);
    worker = std::thread(&BackgroundSearch::Run, this, copyOf(path), copyOf(password));
    return true;
}

void BackgroundSearch::EndWorkerFor(const QString& path, const QString& password) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!worker.joinable() || (sameText(workerPath, path) && sameText(workerPassword, password))) return;
    }
    Stop();
}

void BackgroundSearch::WarmUp(const QString& path, const QString& password) {
    EndWorkerFor(path, password);
    std::lock_guard<std::mutex> lock(mutex);
    StartLocked(path, password);
}

unsigned BackgroundSearch::Request(const QString& path, const QString& password, const QString& text) {
    EndWorkerFor(path, password);
    std::lock_guard<std::mutex> lock(mutex);
    StartLocked(path, password);
    requestedText = copyOf(text);
    ++requested;
    outcomeReady = false;
    InterruptLocked();
    wake.notify_one();
    return requested;
}

void BackgroundSearch::Cancel() {
    std::lock_guard<std::mutex> lock(mutex);
    started = ++requested;
    outcomeReady = false;
    InterruptLocked();
}

void BackgroundSearch::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!worker.joinable()) return;
        stopping = true;
        InterruptLocked();
        if (filling && connection) sqlite3_interrupt(connection);
        wake.notify_one();
    }
    worker.join();
    std::lock_guard<std::mutex> lock(mutex);
    stopping = false;
    started = requested;
    outcomeReady = false;
    workerPath.Empty();
    workerPassword.Empty();
}

bool BackgroundSearch::TakeLatest(SearchOutcome& taken) {
    std::lock_guard<std::mutex> lock(mutex);
    if (!outcomeReady || outcome.request != requested) return false;
    outcomeReady = false;
    taken.request = outcome.request;
    taken.text = outcome.text;
    taken.results = std::move(outcome.results);
    taken.error = outcome.error;
    taken.pagesRead = outcome.pagesRead;
    taken.fromKeptText = outcome.fromKeptText;
    return true;
}

// Interrupting is harmless when nothing runs: the engine then ignores it.
// A warm-up is never interrupted by a request: the search waits for it,
// as reading the cards is the fastest way to answer it.
void BackgroundSearch::InterruptLocked() {
    if (running && connection) sqlite3_interrupt(connection);
}

bool BackgroundSearch::IsStopping() {
    std::lock_guard<std::mutex> lock(mutex);
    return stopping;
}

void BackgroundSearch::Run(QString path, QString password) {
    CardDatabase database;
    cacheNeedsFitting = true;
    keptTextOn = keptTextCap > 0;
    plainFile = password.IsEmpty();
    keptTextReady = false;
    warmUpPages = 0;
    QString openError;
    try {
        openForSearch(database, path, password);
    } catch (...) {
        openError = DescribeCurrentException();
    }
    std::unique_lock<std::mutex> lock(mutex);
    connection = database.getConnection();
    if (openError.IsEmpty() && keptTextOn && !stopping) {
        filling = true;
        lock.unlock();
        try {
            const int misses = cacheMisses(database);
            ReadAllCards(database, plainFile);
            warmUpPages = cacheMisses(database) - misses;
        } catch (const std::bad_alloc&) {
            // The text does not fit in this process after all: the searches
            // read the file instead, as beyond the cap.
            keptText.Clear();
            keptTextReady = false;
            keptTextOn = false;
        } catch (...) {
            // Stopped, or the file could not be read: the first search reads
            // it again and says what failed.
            keptText.Clear();
            keptTextReady = false;
        }
        lock.lock();
        filling = false;
    }
    for (;;) {
        wake.wait(lock, [this] { return stopping || started != requested; });
        if (stopping) break;
        const unsigned request = requested;
        const QString text = copyOf(requestedText);
        started = request;
        running = openError.IsEmpty();
        lock.unlock();
        if (openError.IsEmpty()) {
            Search(database, request, text);
            lock.lock();
            running = false;
            continue;
        }
        lock.lock();
        running = false;
        outcome.request = request;
        outcome.text = text;
        outcome.results.RemoveAll();
        outcome.error = copyOf(openError);
        outcomeReady = true;
        lock.unlock();
        ready();
        lock.lock();
    }
    connection = nullptr;
    lock.unlock();
    keptText.Clear();
    database.close();
}

void BackgroundSearch::Search(CardDatabase& database, unsigned request, const QString& text) {
    SearchOutcome found;
    found.request = request;
    found.text = text;
    bool interrupted = false;
    try {
        const int misses = cacheMisses(database);
        const LiteralPattern pattern(text);
        if (keptTextOn && BringUpToDate(database, plainFile)) {
            found.results = keptText.Search(pattern);
            found.fromKeptText = true;
        } else if (IsStopping()) {
            return;
        } else {
            // Only a search that had to read the file can have found it grown;
            // a warm one leaves the cache as it was fitted.
            if (cacheNeedsFitting) fitPageCacheToDatabase(database, kSearchCacheBound);
            const int before = cacheMisses(database);
            found.results = searchCards(database, text);
            cacheNeedsFitting = cacheMisses(database) > before;
        }
        found.pagesRead = cacheMisses(database) - misses + warmUpPages;
        warmUpPages = 0;
    } catch (const QError& error) {
        interrupted = error.code == SQLITE_INTERRUPT;
        found.error = error.message;
    } catch (...) {
        found.error = DescribeCurrentException();
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping || request != requested) return;
        if (interrupted) {
            // Interrupted for a request that was already handled before this
            // search began: the newest text is still this one, so search again.
            started = 0;
            return;
        }
        outcome.request = found.request;
        outcome.text = found.text;
        outcome.results = std::move(found.results);
        outcome.error = found.error;
        outcome.pagesRead = found.pagesRead;
        outcome.fromKeptText = found.fromKeptText;
        outcomeReady = true;
    }
    ready();
}

// Batch by batch in the order of ids, each batch in a read transaction of
// its own; what was written between batches is caught up with as a search
// would, and a change the log cannot explain starts the reading over.
bool BackgroundSearch::ReadAllCards(CardDatabase& database, bool plainFile) {
    LowPriority lowPriority;
    keptText.Clear();
    keptTextReady = false;
    database.execute(kKeptCacheSql);
    const sqlite3_int64 fileSize = queryInt(database, "PRAGMA page_count") * queryInt(database, "PRAGMA page_size");
    if (plainFile) {
        char sql[64];
        std::snprintf(sql, sizeof sql, "PRAGMA mmap_size = %lld",
                      static_cast<long long>(std::min(fileSize, kMappedBound)));
        database.execute(sql);
    }
    // The text is at most the file's size: one block, never grown.
    keptText.Reserve(static_cast<size_t>(std::min<sqlite3_int64>(fileSize, static_cast<sqlite3_int64>(keptTextCap))));
    CardStatement batch = database.prepare("SELECT id, title, txt FROM tab WHERE id > ? ORDER BY id LIMIT ?");
    CardId after = INT64_MIN;
    bool first = true;
    for (;;) {
        if (IsStopping()) {
            keptText.Clear();
            return false;
        }
        Transaction read(database);
        const uint32_t counter = readChangeCounter(database);
        if (first) {
            syncedCounter = counter;
            syncedCommits = writeLog->Restart();
            first = false;
        } else if (!CatchUp(database, counter, after)) {
            keptText.Clear();
            after = INT64_MIN;
            syncedCounter = counter;
            syncedCommits = writeLog->Restart();
        }
        if (!keptTextOn) break;
        sqlite3_stmt* row = batch.getHandle();
        sqlite3_reset(row);
        batch.bindId(1, after);
        batch.bindInt64(2, kCardsPerBatch);
        int rows = 0;
        const ULONGLONG batchStart = GetTickCount64();
        bool more = true;
        while (keptTextOn && (more = batch.step() == SQLITE_ROW)) {
            after = batch.getId(0);
            keptText.Put(after, valueOf(row, 1), valueOf(row, 2));
            ++rows;
            if (keptText.GetByteSize() > keptTextCap) {
                keptText.Clear();
                keptTextOn = false;
            }
            if (rows >= kFewestCardsPerBatch && GetTickCount64() - batchStart >= kBatchMilliseconds) break;
        }
        sqlite3_reset(row);
        read.commit();
        if (!keptTextOn || (!more && rows < kCardsPerBatch)) break;
    }
    // The mapping is given back: it held the file's address space only for
    // the reading.
    if (plainFile) database.execute("PRAGMA mmap_size = 0");
    if (!keptTextOn) return false;
    keptTextReady = true;
    return true;
}

bool BackgroundSearch::BringUpToDate(CardDatabase& database, bool plainFile) {
    if (!keptTextReady) return ReadAllCards(database, plainFile);
    // A commit of the window's connection counted but not yet in the file
    // makes the counts differ for a moment; it is waited for a little before
    // everything is read again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt > 0) Sleep(static_cast<DWORD>(attempt * 5));
        Transaction read(database);
        const uint32_t counter = readChangeCounter(database);
        const bool caughtUp = CatchUp(database, counter, INT64_MAX);
        read.commit();
        if (!keptTextOn) return false;
        if (caughtUp) return true;
    }
    return ReadAllCards(database, plainFile);
}

bool BackgroundSearch::CatchUp(CardDatabase& database, uint32_t counter, CardId filledUpTo) {
    if (counter == syncedCounter) return true;
    CardWriteLog::Taken taken;
    if (!writeLog->TakeIfCommitsAre(syncedCommits + (counter - syncedCounter), taken)) return false;
    std::vector<CardId>& cards = taken.cards;
    std::sort(cards.begin(), cards.end());
    cards.erase(std::unique(cards.begin(), cards.end()), cards.end());
    if (cards.size() > kFewCards) return false;
    CardStatement row = database.prepare("SELECT title, txt FROM tab WHERE id = ?");
    for (const CardId id : cards) {
        // Cards beyond those read so far are read with their batch.
        if (id > filledUpTo) break;
        if (!ReadCardAgain(row, id)) return true;
    }
    syncedCounter = counter;
    syncedCommits = taken.commits;
    return true;
}

// False when the text has outgrown the cap and is no longer kept.
bool BackgroundSearch::ReadCardAgain(CardStatement& row, CardId id) {
    sqlite3_reset(row.getHandle());
    row.bindId(1, id);
    if (row.step() == SQLITE_ROW) {
        keptText.Put(id, valueOf(row.getHandle(), 0), valueOf(row.getHandle(), 1));
    } else {
        keptText.Remove(id);
    }
    sqlite3_reset(row.getHandle());
    if (keptText.GetByteSize() <= keptTextCap) return true;
    keptText.Clear();
    keptTextOn = false;
    keptTextReady = false;
    return false;
}
