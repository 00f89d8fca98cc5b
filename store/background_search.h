#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "core/qobarray.h"
#include "core/qstring.h"
#include "store/card_search.h"

// What one finished search came to.
struct SearchOutcome {
    // The request it answers (see BackgroundSearch::Request).
    unsigned request = 0;
    kiln::qstd::QString text;
    kiln::qstd::QObArray<SearchResult> results;
    // The engine's message when the search failed (no results then).
    kiln::qstd::QString error;
    // Pages read from the file rather than found in the connection's cache.
    int pagesRead = 0;
};

// Searches a card database on a thread and a connection of its own, so that
// a scan of a large file never holds up the thread that asks. Only the
// newest request matters: asking again interrupts a search still running for
// an older text, and an outcome is handed out only while no newer request
// has been made. The connection keeps the file's pages in its page cache
// between searches, so searching as one types reads (and deciphers) each
// page once, not once per keystroke.
class BackgroundSearch {
public:
    // Called on the searching thread whenever an outcome is ready; it should
    // only wake the asking thread, which then calls TakeLatest.
    using ReadyCallback = std::function<void()>;

    explicit BackgroundSearch(ReadyCallback ready);
    BackgroundSearch(const BackgroundSearch&) = delete;
    BackgroundSearch& operator=(const BackgroundSearch&) = delete;
    ~BackgroundSearch();

    // Asks for the cards matching text in the database at path, keyed with
    // password unless it is empty; another path or password than the running
    // search's first ends that search and its connection. Returns the
    // request's number.
    unsigned Request(const kiln::qstd::QString& path, const kiln::qstd::QString& password,
                     const kiln::qstd::QString& text);
    // Every request made so far becomes stale; a running search is interrupted.
    void Cancel();
    // Ends the thread and closes its connection, waiting for both: afterwards
    // the file is free to be replaced or rekeyed.
    void Stop();
    // Whether a searching thread, and with it a connection holding its page
    // cache, is alive (until Stop).
    bool IsRunning() const { return worker.joinable(); }
    // The outcome of the newest request, once; false while it is not ready.
    bool TakeLatest(SearchOutcome& outcome);

private:
    void Run(kiln::qstd::QString path, kiln::qstd::QString password);
    void Search(CardDatabase& database, unsigned request, const kiln::qstd::QString& text);
    void InterruptLocked();

    ReadyCallback ready;
    std::mutex mutex;
    std::condition_variable wake;
    std::thread worker;
    kiln::qstd::QString workerPath;
    kiln::qstd::QString workerPassword;
    sqlite3* connection = nullptr;
    // Touched only by the worker thread.
    bool cacheNeedsFitting = true;
    bool stopping = false;
    bool running = false;
    unsigned requested = 0;
    unsigned started = 0;
    kiln::qstd::QString requestedText;
    bool outcomeReady = false;
    SearchOutcome outcome;
};
