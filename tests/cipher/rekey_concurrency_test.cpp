// A rekey beside other processes: no commit of theirs may be lost, and the
// caller learns which key the file is under whatever happens after the commit.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>

#include "child_process.h"
#include "core/qerror.h"
#include "core/qfile.h"
#include "store/cipher/database_key.h"
#include "store/cipher/rekey.h"
#include "test_support.h"

namespace {

using kiln::files::QFile;
using kiln::qstd::QError;

std::set<int> acknowledgedCards(const std::wstring& path) {
    std::set<int> cards;
    std::FILE* file = _wfopen(path.c_str(), L"r");
    if (!file) return cards;
    int card = 0;
    while (std::fscanf(file, "%d", &card) == 1) cards.insert(card);
    std::fclose(file);
    return cards;
}

// A second process adds cards, each on a connection of its own, pausing a
// moment between them so that a rekey gets the file, and trying again at
// once while the rekey holds it, so that its next add lands the moment the
// rekey lets go. The password goes back and forth between two keys at
// moments that vary from round to round. A rekey that copies the pages and
// then puts the copy in place of the file loses the adds committed between
// the two; every acknowledged card must survive.
TEST(RekeyBesideAWriter, EveryAcknowledgedCardIsInTheFileUnderTheFinalKeyOnly) {
    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
    const std::wstring acknowledgements = scratch.path(L"acknowledged.txt");
    const wchar_t* passwords[2] = {L"Secret12", L"other password"};
    {
        // Enough pages that copying them takes a while.
        Connection db(path, passwords[0]);
        addCards(db, 100, "concurrent");
    }

    std::atomic<bool> writing{true};
    DWORD writerExit = 0;
    std::thread writer([&] {
        writerExit = runChild({L"writer", path, passwords[0], passwords[1], L"300", acknowledgements});
        writing = false;
    });

    int current = 0;
    int rekeys = 0;
    int rekeysBesideTheWriter = 0;
    int refusals = 0;
    Connection db(path, passwords[current], nullptr, SQLITE_OPEN_READWRITE);
    sqlite3_busy_timeout(db.get(), 60000);
    for (unsigned round = 0; writing || rekeys < 6; ++round) {
        try {
            rekeyDatabase(db.handle(), keyOf(passwords[1 - current]));
            current = 1 - current;
            ++rekeys;
            if (writing) ++rekeysBesideTheWriter;
        } catch (const QError&) {
            ++refusals;
        }
        // Rekeys back to back would starve the writer of the lock.
        Sleep(10 + (round * 37) % 90);
    }
    writer.join();
    ASSERT_EQ(0u, writerExit);
    // Rekeys that all came after the writer finished would prove nothing.
    EXPECT_GE(rekeysBesideTheWriter, 3);
    EXPECT_TRUE(databaseKey(db.get()) == keyOf(passwords[current]));

    const std::set<int> acknowledged = acknowledgedCards(acknowledgements);
    EXPECT_GT(acknowledged.size(), 0u);
    Connection settled(path, passwords[current], nullptr, SQLITE_OPEN_READWRITE);
    ASSERT_EQ("ok", settled.text("PRAGMA integrity_check"));
    std::set<int> stored;
    sqlite3_stmt* titles = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(settled.get(), "SELECT substr(title, 8) FROM tab WHERE title LIKE 'writer %'",
                                            -1, &titles, nullptr));
    while (sqlite3_step(titles) == SQLITE_ROW) stored.insert(sqlite3_column_int(titles, 0));
    sqlite3_finalize(titles);
    size_t lost = 0;
    for (int card : acknowledged) lost += stored.count(card) == 0;
    EXPECT_EQ(0u, lost) << lost << " of " << acknowledged.size() << " acknowledged cards were lost";

    Connection other(path, passwords[1 - current], nullptr, SQLITE_OPEN_READWRITE);
    EXPECT_EQ(SQLITE_NOTADB, other.exec("SELECT count(*) FROM tab"));
    std::printf("%d rekeys (%d beside the writer), %d refused, %zu cards acknowledged, %zu lost\n", rekeys,
                rekeysBesideTheWriter, refusals, acknowledged.size(), lost);
}

// A virus scanner or an indexer that opens the file for itself the moment a
// step of the rekey has put the file in its new form.
class FileGrabbedAfterEachStep : public FileOperations {
public:
    explicit FileGrabbedAfterEachStep(const std::wstring& database) : database(database) {}

    bool replace(const wchar_t* from, const wchar_t* to) override {
        const bool replaced = FileOperations::replace(from, to);
        if (replaced) grab();
        return replaced;
    }
    bool remove(const wchar_t* path) override {
        const bool removed = FileOperations::remove(path);
        if (removed) grab();
        return removed;
    }
    void letGo() { held.Close(); }

private:
    void grab() {
        if (held.IsClosed()) held.Open(database.c_str(), QFile::modeRead | QFile::shareExclusive);
    }

    std::wstring database;
    QFile held;
};

TEST(RekeyTruth, AThrowMeansTheFileKeptItsOldKeyAndSuccessMeansTheNewOne) {
    struct Kind {
        const wchar_t* from;
        const wchar_t* to;
    };
    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
    for (const Kind& kind : {Kind{nullptr, L"Secret12"}, Kind{L"Secret12", L"other"}, Kind{L"Secret12", nullptr}}) {
        DeleteFileW(path.c_str());
        std::string original;
        {
            Connection made(path, kind.from);
            addCards(made, 5, "truth");
            original = cardDigest(made);
        }
        Connection db(path, kind.from, nullptr, SQLITE_OPEN_READWRITE);
        FileGrabbedAfterEachStep files(path);
        bool threw = false;
        try {
            rekeyDatabase(db.handle(), keyOf(kind.to ? kind.to : L""), files);
        } catch (const QError&) {
            threw = true;
        }
        files.letGo();
        const wchar_t* under = threw ? kind.from : kind.to;
        const wchar_t* notUnder = threw ? kind.to : kind.from;
        SCOPED_TRACE(threw ? "the rekey threw" : "the rekey succeeded");
        Connection right(path, under, nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(original, cardDigest(right));
        Connection wrong(path, notUnder, nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(SQLITE_NOTADB, wrong.exec("SELECT count(*) FROM tab"));
        if (db.get()) {
            EXPECT_TRUE(databaseKey(db.get()) == keyOf(under ? under : L""));
        }
    }
}

}  // namespace
