#include "store/background_search.h"

#include "core/qerror.h"
#include "core/qmultibytestr.h"
#include "store/cipher/database_key.h"

using kiln::qstd::QError;
using kiln::qstd::QMultiByteStr;
using kiln::qstd::QString;

namespace {

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

}  // namespace

BackgroundSearch::BackgroundSearch(ReadyCallback ready) : ready(std::move(ready)) {}

BackgroundSearch::~BackgroundSearch() {
    Stop();
}

unsigned BackgroundSearch::Request(const QString& path, const QString& password, const QString& text) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (worker.joinable() && (!sameText(workerPath, path) || !sameText(workerPassword, password))) {
            stopping = true;
            InterruptLocked();
        }
    }
    if (stopping) Stop();
    std::lock_guard<std::mutex> lock(mutex);
    if (!worker.joinable()) {
        workerPath = copyOf(path);
        workerPassword = copyOf(password);
        worker = std::thread(&BackgroundSearch::Run, this, copyOf(path), copyOf(password));
    }
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
    return true;
}

// Interrupting is harmless when nothing runs: the engine then ignores it.
void BackgroundSearch::InterruptLocked() {
    if (running && connection) sqlite3_interrupt(connection);
}

void BackgroundSearch::Run(QString path, QString password) {
    CardDatabase database;
    cacheNeedsFitting = true;
    QString openError;
    try {
        openForSearch(database, path, password);
    } catch (const QError& error) {
        openError = error.message;
    }
    std::unique_lock<std::mutex> lock(mutex);
    connection = database.getConnection();
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
    database.close();
}

void BackgroundSearch::Search(CardDatabase& database, unsigned request, const QString& text) {
    SearchOutcome found;
    found.request = request;
    found.text = text;
    bool interrupted = false;
    try {
        // Only a search that had to read the file can have found it grown;
        // a warm one leaves the cache as it was fitted.
        if (cacheNeedsFitting) fitPageCacheToDatabase(database, kSearchCacheBound);
        int misses = 0, highest = 0;
        sqlite3_db_status(database.getConnection(), SQLITE_DBSTATUS_CACHE_MISS, &misses, &highest, 1);
        found.results = searchCards(database, text);
        sqlite3_db_status(database.getConnection(), SQLITE_DBSTATUS_CACHE_MISS, &misses, &highest, 0);
        found.pagesRead = misses;
        cacheNeedsFitting = misses > 0;
    } catch (const QError& error) {
        interrupted = error.code == SQLITE_INTERRUPT;
        found.error = error.message;
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
        outcomeReady = true;
    }
    ready();
}
