// The search's kept text: the same results as a search of the file, kept
// current by what the window's connection writes without reading the whole
// file again, read again whole after another connection wrote, and given up
// for the file beyond its cap or when the search stops.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "store/background_search.h"
#include "store/card_import.h"
#include "store/card_operations.h"
#include "store/transaction.h"
#include "test_database.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

using Found = std::vector<std::pair<CardId, std::wstring>>;

Found found(const QObArray<SearchResult>& results) {
    Found all;
    for (unsigned i = 0; i < results.GetCount(); ++i) all.emplace_back(results[i]->id, wide(results[i]->title));
    return all;
}

class KeptTextSearchTest : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        createCards();
        ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    }
    void TearDown() override {
        search.reset();
        CloseHandle(ready);
        TestDatabaseFile::TearDown();
    }

    void startSearch(size_t cap = BackgroundSearch::kKeptTextCap, const QString& password = QString()) {
        search = std::make_unique<BackgroundSearch>([this] { SetEvent(ready); }, cap);
        database.watchWrites(search->GetWriteLog());
        search->WarmUp(path, password);
    }

    // Cards of 2 KB in a small tree: reading them all takes hundreds of pages.
    void fillCards(int cards) {
        Transaction transaction(database);
        for (int i = 1; i <= cards; ++i) {
            const std::wstring text = L"common card" + std::to_wstring(i) + L" " + std::wstring(2000, L'y');
            insertRow(0, (L"Title " + std::to_wstring(i)).c_str(), i > 10 ? (i % 10) + 1 : 0, text.c_str());
        }
        transaction.commit();
    }

    SearchOutcome searchFor(const QString& text, const QString& password = QString()) {
        search->Request(path, password, text);
        SearchOutcome outcome;
        for (int waited = 0; waited < 300; ++waited) {
            if (search->TakeLatest(outcome)) return outcome;
            WaitForSingleObject(ready, 100);
        }
        ADD_FAILURE() << "no outcome for " << std::string(text.GetLength() ? "text" : "empty text");
        return outcome;
    }

    // Every search of the table finds what a search of the file finds.
    void expectSameAsFile(const std::vector<std::wstring>& texts, const QString& password = QString()) {
        for (const std::wstring& text : texts) {
            SCOPED_TRACE(std::string(text.begin(), text.end()));
            const SearchOutcome outcome = searchFor(text.c_str(), password);
            EXPECT_TRUE(outcome.error.IsEmpty()) << std::string(wide(outcome.error).begin(), wide(outcome.error).end());
            EXPECT_EQ(found(outcome.results), found(searchCards(database, text.c_str())));
        }
    }

    HANDLE ready = nullptr;
    std::unique_ptr<BackgroundSearch> search;
};

struct Write {
    const char* name;
    std::function<void(CardDatabase&, const QString& path)> run;
    // Whether the search may catch up by reading only the cards written.
    bool byThisConnection;
};

TEST_F(KeptTextSearchTest, StaysEqualToTheFileAfterEveryKindOfWrite) {
    const std::vector<Write> writes = {
        {"save", [](CardDatabase& db, const QString&) { db.saveCardContent(L"fresh words", QBuffer(), 5); }, true},
        {"save of a NUL", [](CardDatabase& db, const QString&) {
             db.execute("UPDATE tab SET txt = 'fresh' || char(0) || 'hidden' WHERE id = 6");
         }, true},
        {"add", [](CardDatabase& db, const QString&) { store::addCard(db, 3, L"Fresh card"); }, true},
        {"add from a dropped file", [](CardDatabase& db, const QString&) {
             store::addCard(db, 0, L"dropped", L"fresh from a file", QBuffer());
         }, true},
        {"rename", [](CardDatabase& db, const QString&) { store::renameCard(db, 7, L"Fresh title"); }, true},
        {"move", [](CardDatabase& db, const QString&) { store::moveCard(db, 12, 4); }, true},
        {"delete a branch", [](CardDatabase& db, const QString&) { store::deleteCard(db, 2); }, true},
        {"import", [](CardDatabase& db, const QString& path) {
             CardDatabase source;
             const QString other = path + L"-source";
             store::createCardDatabase(source, other);
             store::addCard(source, 0, L"fresh import", L"fresh imported text", QBuffer());
             store::importCardDatabase(db, source, nullptr);
             source.close();
             DeleteFileW(other.c_str());
         }, true},
        {"a write of another connection", [](CardDatabase&, const QString& path) {
             CardDatabase other;
             other.openFile(path);
             other.saveCardContent(L"fresh from elsewhere", QBuffer(), 9);
             store::addCard(other, 0, L"Fresh elsewhere");
         }, false},
        {"emptying the table and adding in one transaction", [](CardDatabase& db, const QString&) {
             Transaction transaction(db);
             db.execute("DELETE FROM tab");
             db.execute("INSERT INTO tab VALUES (NULL, 'Fresh start', 0, '', 'fresh text', '')");
             transaction.commit();
         }, true},
        {"add", [](CardDatabase& db, const QString&) { store::addCard(db, 0, L"Fresh card", L"common", QBuffer()); }, true},
        {"delete all", [](CardDatabase& db, const QString&) { store::deleteAllCards(db); }, true},
        {"add after deleting all", [](CardDatabase& db, const QString&) { store::addCard(db, 0, L"Fresh again"); }, true},
    };
    fillCards(300);
    const sqlite3_int64 pages = queryInt(database, "PRAGMA page_count");
    startSearch();
    const SearchOutcome first = searchFor(L"common");
    EXPECT_TRUE(first.fromKeptText);
    EXPECT_EQ(first.results.GetCount(), 300u);
    for (const Write& write : writes) {
        SCOPED_TRACE(write.name);
        write.run(database, path);
        const SearchOutcome outcome = searchFor(L"fresh");
        EXPECT_TRUE(outcome.fromKeptText);
        if (write.byThisConnection) {
            EXPECT_LT(outcome.pagesRead, 40);
        } else {
            EXPECT_GT(outcome.pagesRead, pages / 2);
        }
        EXPECT_EQ(found(outcome.results), found(searchCards(database, L"fresh")));
        expectSameAsFile({L"", L"common", L"card1", L"title", L"hidden"});
    }
}

// A save whose commit another connection's read lock holds back is not
// counted as the window's until it reaches the file; the counts then agree.
TEST_F(KeptTextSearchTest, ASaveInATransactionIsSeenOnceCommitted) {
    fillCards(50);
    startSearch();
    expectSameAsFile({L"fresh"});
    {
        Transaction transaction(database);
        database.saveCardContent(L"fresh inside", QBuffer(), 3);
        store::renameCard(database, 4, L"Fresh name");
        transaction.commit();
    }
    {
        Transaction transaction(database);
        database.saveCardContent(L"fresh but rolled back", QBuffer(), 8);
    }
    const SearchOutcome outcome = searchFor(L"fresh");
    EXPECT_LT(outcome.pagesRead, 40);
    EXPECT_EQ(found(outcome.results), (Found{{3, L"Title 3"}, {4, L"Fresh name"}}));
}

TEST_F(KeptTextSearchTest, FindsWhatTheFileSearchFindsWithAndWithoutKeptText) {
    const char* rows[] = {
        "INSERT INTO tab VALUES (1, 'ABC title', 0, '', 'some xAbCy text', '')",
        "INSERT INTO tab VALUES (2, 'abc', 0, '', NULL, '')",
        "INSERT INTO tab VALUES (3, NULL, 0, '', 'a_c and 100% and back\\slash', '')",
        "INSERT INTO tab VALUES (4, '', 0, '', '', '')",
        "INSERT INTO tab VALUES (5, 'nul', 0, '', 'before' || char(0) || 'after abc', '')",
        "INSERT INTO tab VALUES (6, CAST(x'41ff42c0' AS TEXT), 0, '', CAST(x'e282ac20616263' AS TEXT), '')",
        "INSERT INTO tab VALUES (7, 'Éclair ünïcode', 0, '', 'crème brûlée 𝄞', '')",
        "INSERT INTO tab VALUES (9, 'abcabc', 0, '', 'ABC', '')",
    };
    for (const char* row : rows) database.execute(row);
    const std::vector<std::wstring> texts = {L"abc", L"ABC", L"%",  L"_",  L"a_c",   L"100%", L"\\",     L"",
                                             L"x",   L"after", L"before", L"é", L"Éclair", L"𝄞",  L"title", L"A"};
    for (const size_t cap : {BackgroundSearch::kKeptTextCap, size_t(0)}) {
        SCOPED_TRACE(cap);
        startSearch(cap);
        const SearchOutcome outcome = searchFor(L"abc");
        EXPECT_EQ(outcome.fromKeptText, cap != 0);
        expectSameAsFile(texts);
    }
}

TEST_F(KeptTextSearchTest, BeyondItsCapTheSearchReadsTheFile) {
    fillCards(100);
    // Room for about half the cards: the warm-up gives up.
    startSearch(100 * 1024);
    SearchOutcome outcome = searchFor(L"card7");
    EXPECT_FALSE(outcome.fromKeptText);
    expectSameAsFile({L"card7", L"common", L""});

    // Room for all of them, until a save makes one card too large.
    startSearch(400 * 1024);
    outcome = searchFor(L"card7");
    EXPECT_TRUE(outcome.fromKeptText);
    database.saveCardContent(std::wstring(300 * 1024, L'z').c_str(), QBuffer(), 7);
    outcome = searchFor(L"zzz");
    EXPECT_FALSE(outcome.fromKeptText);
    expectSameAsFile({L"zzz", L"card7", L"common"});
}

TEST_F(KeptTextSearchTest, ClosingDuringTheWarmUpLetsGoOfTheFile) {
    fillCards(3000);
    database.close();
    for (const DWORD after : {0u, 30u, 200u}) {
        SCOPED_TRACE(after);
        startSearch();
        Sleep(after);
        search->Stop();
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
        CloseHandle(file);
    }
    search.reset();
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
}

// The window rekeys while the search still reads the cards under the old
// key; the next search, under the new one, finds what the file holds.
TEST_F(KeptTextSearchTest, APasswordChangeDuringTheWarmUp) {
    fillCards(2000);
    ASSERT_TRUE(database.changeKey(L"First123"));
    startSearch(BackgroundSearch::kKeptTextCap, L"First123");
    Sleep(50);
    ASSERT_TRUE(database.changeKey(L"Second45"));
    database.saveCardContent(L"fresh under the new key", QBuffer(), 11);
    const SearchOutcome outcome = searchFor(L"fresh", L"Second45");
    EXPECT_TRUE(outcome.error.IsEmpty());
    EXPECT_TRUE(outcome.fromKeptText);
    expectSameAsFile({L"fresh", L"card1999", L"common"}, L"Second45");
}

}  // namespace
