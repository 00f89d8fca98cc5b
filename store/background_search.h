#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/qobarray.h"
#include "core/qstring.h"
#include "store/card_search.h"
#include "store/card_write_log.h"
#include "store/kept_card_texts.h"

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
    // Whether the kept text answered, rather than a read of the file.
    bool fromKeptText = false;
};

// Searches a card database on a thread and a connection of its own, so that
// a scan of a large file never holds up the thread that asks. Only the
// newest request matters: asking again interrupts a search still running for
// an older text, and an outcome is handed out only while no newer request
// has been made.
//
// The thread keeps every card's title and text in memory, read once when
// the file opens, so a search reads nothing of the file. A save moves the
// file's change counter, which throws the connection's page cache away and
// made the next search read the whole file again; instead, the cards the
// window's connection wrote (its write log) are read again, and only a
// change the log cannot explain, made by another connection, has everything
// read again. Beyond the cap of kept text, the search reads the file, and
// the connection's page cache keeps its pages between searches.
class BackgroundSearch {
public:
    // Called on the searching thread whenever an outcome is ready; it should
    // only wake the asking thread, which then calls TakeLatest.
    using ReadyCallback = std::function<void()>;

    // The most bytes of titles and texts kept. A 32-bit process has 2 GB of
    // address space: a file larger than this is searched in the file.
    static constexpr size_t kKeptTextCap = sizeof(void*) == 8 ? size_t(3) << 30 : size_t(256) << 20;

    explicit BackgroundSearch(ReadyCallback ready, size_t keptTextCap = kKeptTextCap);
    BackgroundSearch(const BackgroundSearch&) = delete;
    BackgroundSearch& operator=(const BackgroundSearch&) = delete;
    ~BackgroundSearch();

    // Asks for the cards matching text in the database at path, keyed with
    // password unless it is empty; another path or password than the running
    // search's first ends that search and its connection. Returns the
    // request's number.
    unsigned Request(const kiln::qstd::QString& path, const kiln::qstd::QString& password,
                     const kiln::qstd::QString& text);
    // Starts the thread for the database at path, which reads the cards'
    // text before any search is asked for; a search asked for meanwhile is
    // answered once the text is read.
    void WarmUp(const kiln::qstd::QString& path, const kiln::qstd::QString& password);
    // The log for the connection that writes the file; see CardDatabase::watchWrites.
    std::shared_ptr<CardWriteLog> GetWriteLog() const { return writeLog; }
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
    // Starts the thread unless it runs for this file and password; false
    // when the running one has to be stopped first.
    bool StartLocked(const kiln::qstd::QString& path, const kiln::qstd::QString& password);
    void EndWorkerFor(const kiln::qstd::QString& path, const kiln::qstd::QString& password);
    void Run(kiln::qstd::QString path, kiln::qstd::QString password);
    void Search(CardDatabase& database, unsigned request, const kiln::qstd::QString& text);
    void InterruptLocked();
    bool IsStopping();

    // Kept text; these run on the searching thread only. Both return false
    // when the search was stopped, or the text outgrew the cap (keptText
    // is then off).
    bool ReadAllCards(CardDatabase& database, bool plainFile);
    bool BringUpToDate(CardDatabase& database, bool plainFile);
    // Reads again what the log says changed, up to the card filled up to;
    // false when the log does not explain the change counter's move.
    bool CatchUp(CardDatabase& database, uint32_t counter, CardId filledUpTo);
    bool ReadCardAgain(CardStatement& row, CardId id);

    ReadyCallback ready;
    std::mutex mutex;
    std::condition_variable wake;
    std::thread worker;
    kiln::qstd::QString workerPath;
    kiln::qstd::QString workerPassword;
    sqlite3* connection = nullptr;
    const std::shared_ptr<CardWriteLog> writeLog = std::make_shared<CardWriteLog>();
    const size_t keptTextCap;
    // Touched only by the worker thread.
    bool cacheNeedsFitting = true;
    bool keptTextOn = true;
    bool plainFile = true;
    bool keptTextReady = false;
    KeptCardTexts keptText;
    // The change counter and the log's commits the kept text is as of.
    uint32_t syncedCounter = 0;
    uint32_t syncedCommits = 0;
    // Pages read by the warm-up, told with the first outcome after it.
    int warmUpPages = 0;
    // Set under the mutex: the thread reads all cards, and Stop interrupts it.
    bool filling = false;
    bool stopping = false;
    bool running = false;
    unsigned requested = 0;
    unsigned started = 0;
    kiln::qstd::QString requestedText;
    bool outcomeReady = false;
    SearchOutcome outcome;
};
