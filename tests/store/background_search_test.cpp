// Searching on a thread of its own: the same results as a search on the
// caller's connection, only the newest request answered, and the file let go
// of when the search is stopped.
#include <windows.h>

#include <string>
#include <vector>

#include "store/background_search.h"
#include "store/transaction.h"
#include "test_database.h"

using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

class BackgroundSearchTest : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        createCards();
        ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    void TearDown() override {
        search.Stop();
        CloseHandle(ready);
        TestDatabaseFile::TearDown();
    }

    // Enough text that a scan takes a while: a newer request arrives while
    // the older one still runs.
    void fillMany(int cards) {
        const std::wstring text(4000, L'x');
        Transaction transaction(database);
        for (int i = 0; i < cards; ++i) insertRow(0, L"filler", 0, text.c_str());
        transaction.commit();
    }

    // Waits for the next outcome that can be taken; false after 20 s.
    bool waitForOutcome(SearchOutcome& outcome) {
        for (int waited = 0; waited < 200; ++waited) {
            if (search.TakeLatest(outcome)) return true;
            WaitForSingleObject(ready, 100);
        }
        return false;
    }

    static std::vector<CardId> ids(const QObArray<SearchResult>& results) {
        std::vector<CardId> found;
        for (unsigned i = 0; i < results.GetCount(); ++i) found.push_back(results[i]->id);
        return found;
    }

    HANDLE ready = nullptr;
    BackgroundSearch search{[this] { SetEvent(ready); }};
};

TEST_F(BackgroundSearchTest, FindsWhatASearchOnTheCallersConnectionFinds) {
    insertRow(1, L"first", 0, L"xABCy");
    insertRow(2, L"Abcdef", 0, L"nothing");
    insertRow(3, L"xabc", 0, L"nothing");
    insertRow(4, L"", 0, L"an abc without title");
    for (const wchar_t* text : {L"abc", L"%", L"nothing", L"zzz"}) {
        SCOPED_TRACE(text);
        const unsigned request = search.Request(path, L"", text);
        SearchOutcome outcome;
        ASSERT_TRUE(waitForOutcome(outcome));
        EXPECT_EQ(outcome.request, request);
        EXPECT_EQ(wide(outcome.text), text);
        EXPECT_TRUE(outcome.error.IsEmpty());
        EXPECT_EQ(ids(outcome.results), ids(searchCards(database, text)));
    }
}

// The connection and its cache live on from one request to the next, also
// for a file without a password, so a second search reads nothing again.
TEST_F(BackgroundSearchTest, ASecondSearchOfTheSameFileReadsNoPageAgain) {
    fillMany(300);
    for (const QString& password : {QString(), QString(L"")}) {
        search.Request(path, password, L"first");
        SearchOutcome first;
        ASSERT_TRUE(waitForOutcome(first));
        search.Request(path, QString(), L"second");
        SearchOutcome second;
        ASSERT_TRUE(waitForOutcome(second));
        EXPECT_TRUE(second.error.IsEmpty());
        EXPECT_GT(first.pagesRead, 300);
        EXPECT_EQ(second.pagesRead, 0);
        search.Stop();
    }
}

TEST_F(BackgroundSearchTest, OnlyTheNewestRequestIsAnswered) {
    fillMany(3000);
    insertRow(0, L"needle", 0, L"");
    search.Request(path, L"", L"x");
    search.Request(path, L"", L"y");
    const unsigned newest = search.Request(path, L"", L"needle");
    SearchOutcome outcome;
    ASSERT_TRUE(waitForOutcome(outcome));
    EXPECT_EQ(outcome.request, newest);
    EXPECT_EQ(wide(outcome.text), L"needle");
    EXPECT_EQ(outcome.results.GetCount(), 1u);
    // Nothing of the older requests follows.
    Sleep(300);
    EXPECT_FALSE(search.TakeLatest(outcome));
}

TEST_F(BackgroundSearchTest, AnOutcomeIsStaleOnceANewerRequestIsMade) {
    insertRow(1, L"first", 0, L"abc");
    search.Request(path, L"", L"abc");
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
    // Finished, but not taken before the next key.
    search.Request(path, L"", L"zzz");
    SearchOutcome outcome;
    ASSERT_TRUE(waitForOutcome(outcome));
    EXPECT_EQ(wide(outcome.text), L"zzz");
    EXPECT_EQ(outcome.results.GetCount(), 0u);
}

TEST_F(BackgroundSearchTest, ACancelledSearchIsNeverHandedOut) {
    fillMany(3000);
    search.Request(path, L"", L"x");
    search.Cancel();
    Sleep(500);
    SearchOutcome outcome;
    EXPECT_FALSE(search.TakeLatest(outcome));
}

TEST_F(BackgroundSearchTest, StoppingWhileSearchingLetsGoOfTheFile) {
    fillMany(3000);
    database.close();
    search.Request(path, L"", L"x");
    search.Stop();
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
}

TEST_F(BackgroundSearchTest, SearchesAnEncipheredFileWithItsPassword) {
    insertRow(1, L"secret", 0, L"hidden words");
    ASSERT_TRUE(database.changeKey(L"Secret12"));
    search.Request(path, L"Secret12", L"hidden");
    SearchOutcome outcome;
    ASSERT_TRUE(waitForOutcome(outcome));
    EXPECT_TRUE(outcome.error.IsEmpty()) << wide(outcome.error);
    EXPECT_EQ(ids(outcome.results), std::vector<CardId>{1});

    // Another password is another connection, which cannot read the file.
    search.Request(path, L"wrong", L"hidden");
    ASSERT_TRUE(waitForOutcome(outcome));
    EXPECT_FALSE(outcome.error.IsEmpty());
    EXPECT_EQ(outcome.results.GetCount(), 0u);
}

TEST_F(BackgroundSearchTest, ThePageCacheHoldsTheWholeFileUpToTheBound) {
    fillMany(200);
    const sqlite3_int64 pages = queryInt(database, "PRAGMA page_count");
    const sqlite3_int64 pageSize = queryInt(database, "PRAGMA page_size");
    fitPageCacheToDatabase(database, kSearchCacheBound);
    EXPECT_EQ(queryInt(database, "PRAGMA cache_size"), pages + kSpareCachePages);
    fitPageCacheToDatabase(database, 64 * pageSize);
    EXPECT_EQ(queryInt(database, "PRAGMA cache_size"), 64);
}

}  // namespace
