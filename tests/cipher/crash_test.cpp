// Processes ended at chosen points, as a kill or a crash would end them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "child_process.h"
#include "companion_runner.h"
#include "core/qerror.h"
#include "crash_scenarios.h"
#include "fault_injection.h"
#include "reference_cipher.h"
#include "store/card_database.h"
#include "store/cipher/encrypted_file.h"
#include "test_support.h"
#include "updated_cards_fixture.h"

namespace {

class Crash : public UpdatedCardsTest {
protected:
    void prepare(const wchar_t* password, CipherFormat format = CipherFormat::format1) {
        UpdatedCardsTest::prepare(password, "crash", format);
    }

    bool tearPageOne(CipherFormat format);

    // Page 1 written halfway: its first half new, its second as before (a
    // format 2 page changes whole whenever it is written, its IV being new).
    bool pageOneTorn(const Bytes& file) const {
        return file.size() >= 4096 && !std::equal(file.begin(), file.begin() + 2048, pristine.begin()) &&
               std::equal(file.begin() + 2048, file.begin() + 4096, pristine.begin() + 2048);
    }
};

// A rekey ended at each of its file operations in turn: the file opens
// under exactly one of the two keys, with every card.
TEST_F(Crash, RekeyEndedAnywhereLeavesOneWholeFile) {
    struct Kind {
        const wchar_t* from;
        CipherFormat fromFormat;
        const wchar_t* to;
        const wchar_t* toFormat;
    };
    const CipherFormat one = CipherFormat::format1;
    const CipherFormat two = CipherFormat::format2;
    const Kind kinds[] = {
        {L"", one, L"Secret12", L"1"},        {L"Secret12", one, L"other", L"1"}, {L"Secret12", one, L"", L"1"},
        {L"", one, L"Secret12", L"2"},        {L"Secret12", one, L"other", L"2"}, {L"Secret12", two, L"other", L"2"},
        {L"Secret12", two, L"other", L"1"},   {L"Secret12", two, L"", L"1"},
    };
    for (const Kind& kind : kinds) {
        const wchar_t* from = *kind.from ? kind.from : nullptr;
        const wchar_t* to = *kind.to ? kind.to : nullptr;
        SCOPED_TRACE(std::string(from ? formatName(kind.fromFormat) : "plain") + " to " +
                     (to ? (kind.toFormat == std::wstring(L"2") ? "format 2" : "format 1") : "plain"));
        prepare(from, kind.fromFormat);
        bool completed = false;
        for (int nth = 1; !completed && nth < 200; ++nth) {
            SCOPED_TRACE("operation " + std::to_string(nth));
            restorePristine();
            const DWORD exitCode =
                runChild({L"rekey", path, kind.from, kind.to, std::to_wstring(nth), kind.toFormat});
            ASSERT_TRUE(exitCode == kEndedAtFaultExitCode || exitCode == 0) << exitCode;
            completed = exitCode == 0;

            Connection underNew(path, to, nullptr, SQLITE_OPEN_READWRITE);
            Connection underOld(path, from, nullptr, SQLITE_OPEN_READWRITE);
            const bool newOpens = underNew.exec("SELECT count(*) FROM tab") == SQLITE_OK;
            const bool oldOpens = underOld.exec("SELECT count(*) FROM tab") == SQLITE_OK;
            ASSERT_NE(newOpens, oldOpens);
            EXPECT_EQ(newOpens, completed);
            Connection& opened = newOpens ? underNew : underOld;
            EXPECT_EQ(cardDigest(opened), before);
            EXPECT_EQ(opened.text("PRAGMA integrity_check"), "ok");
        }
        EXPECT_TRUE(completed);
    }
}

// A password removal ended at each of its file operations in turn. Until it
// commits, page 1 of the file may already be plain while the rest is not:
// the file must still count as enciphered wherever the program decides how
// to open it, and the first open under the old password, by the window or
// by the companion, plays the journal back and finds every card. Without
// the password nothing opens and nothing changes.
TEST_F(Crash, PasswordRemovalEndedAnywhereIsUndoneOnTheNextOpen) {
    for (CipherFormat format : {CipherFormat::format1, CipherFormat::format2}) {
        SCOPED_TRACE(formatName(format));
        prepare(L"Secret12", format);
        restorePristine();
        const std::string tree = runCompanion({L"--password-stdin", L"tree", path}, "Secret12\n").out;
        ASSERT_NE(tree, "");
        bool completed = false;
        for (int nth = 1; !completed && nth < 200; ++nth) {
            SCOPED_TRACE("operation " + std::to_string(nth));
            restorePristine();
            const DWORD exitCode = runChild({L"rekey", path, L"Secret12", L"", std::to_wstring(nth), L"1"});
            ASSERT_TRUE(exitCode == kEndedAtFaultExitCode || exitCode == 0) << exitCode;
            completed = exitCode == 0;
            if (completed) {
                EXPECT_EQ(fileCipherFormat(path.c_str()), CipherFormat::plain);
                EXPECT_EQ(runCompanion({L"tree", path}).out, tree);
                continue;
            }
            EXPECT_EQ(fileCipherFormat(path.c_str()), format);

            const Bytes file = readFileBytes(path);
            const CompanionRun unkeyed = runCompanion({L"tree", path});
            EXPECT_EQ(unkeyed.exitCode, 1u);
            EXPECT_EQ(readFileBytes(path), file);

            if (nth % 2) {
                // The window's way: the file's kind decides that a password is
                // asked for, then the connection is keyed with it.
                CardDatabase database;
                try {
                    database.openFile(path.c_str());
                    EXPECT_TRUE(database.applyKey(L"Secret12"));
                } catch (const kiln::qstd::QError& error) {
                    ADD_FAILURE() << utf8(error.message.c_str());
                }
            } else {
                // The companion's way, running the removal again.
                const CompanionRun removed = runCompanion({L"password", L"remove", path}, "Secret12\n");
                EXPECT_EQ(removed.exitCode, 0u) << removed.err;
                EXPECT_EQ(fileCipherFormat(path.c_str()), CipherFormat::plain);
                EXPECT_EQ(runCompanion({L"tree", path}).out, tree);
                Connection db(path, nullptr, nullptr, SQLITE_OPEN_READWRITE);
                EXPECT_EQ(cardDigest(db), before);
                continue;
            }
            EXPECT_FALSE(fileExists(path + L"-journal"));
            EXPECT_EQ(fileCipherFormat(path.c_str()), format);
            EXPECT_FALSE(contains(readFileBytes(path), kPlainMarker));
            Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
            EXPECT_EQ(cardDigest(db), before);
            EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
        }
        EXPECT_TRUE(completed);
    }
}

// A transaction on an enciphered database ended before each of its writes,
// or halfway through one: reopened with the password, the database is whole
// and holds the cards from before or from after, and no page reached the
// disk plain.
TEST_F(Crash, TransactionEndedAnywhereRecoversUnderTheKey) {
    for (CipherFormat format : {CipherFormat::format1, CipherFormat::format2}) {
        SCOPED_TRACE(formatName(format));
        prepare(L"Secret12", format);
        for (const wchar_t* how : {L"end", L"torn"}) {
            bool completed = false;
            for (int nth = 1; !completed && nth < 400; ++nth) {
                SCOPED_TRACE(std::string(how == std::wstring(L"end") ? "before" : "halfway through") + " write " +
                             std::to_string(nth));
                restorePristine();
                const DWORD exitCode = runChild({L"update", path, L"Secret12", std::to_wstring(nth), how});
                ASSERT_TRUE(exitCode == kEndedAtFaultExitCode || exitCode == 0) << exitCode;
                completed = exitCode == 0;

                EXPECT_FALSE(contains(readFileBytes(path), kNewMarker));
                EXPECT_FALSE(contains(readFileBytes(path + L"-journal"), kPlainMarker));

                Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
                const std::string digest = cardDigest(db);
                EXPECT_TRUE(digest == before || digest == after) << digest.substr(0, 80);
                EXPECT_EQ(digest == after, completed);
                EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
            }
            EXPECT_TRUE(completed);
        }
    }
}

// Ends the update halfway through the first write of page 1 itself: the file
// alone no longer opens, only its journal tells what page 1 was.
bool Crash::tearPageOne(CipherFormat format) {
    for (int nth = 1; nth < 400; ++nth) {
        restorePristine();
        if (runChild({L"update", path, L"Secret12", std::to_wstring(nth), L"torn"}) != kEndedAtFaultExitCode) {
            return false;
        }
        if (readFileBytes(path + L"-journal").empty()) continue;
        Bytes file = readFileBytes(path);
        if (format == CipherFormat::format2) {
            if (pageOneTorn(file)) return true;
            continue;
        }
        reference::decipherFile(file, L"Secret12");
        if (std::string(file.begin(), file.begin() + 15) != "SQLite format 3") return true;
    }
    return false;
}

// A crash leaves a journal to replay: a wrong password must neither replay
// it nor touch either file; the right one then recovers the cards.
TEST_F(Crash, HotJournalIsReplayedOnlyUnderTheRightKey) {
    for (CipherFormat format : {CipherFormat::format1, CipherFormat::format2}) {
        SCOPED_TRACE(formatName(format));
        prepare(L"Secret12", format);
        ASSERT_TRUE(tearPageOne(format)) << "the transaction finished before page 1 was written";
        const Bytes databaseBefore = readFileBytes(path);
        const Bytes journalBefore = readFileBytes(path + L"-journal");
        for (const wchar_t* wrong : {L"secret12", L"", static_cast<const wchar_t*>(nullptr)}) {
            Connection db(path, wrong, nullptr, SQLITE_OPEN_READWRITE);
            EXPECT_EQ(db.exec("SELECT count(*) FROM tab"), SQLITE_NOTADB);
        }
        EXPECT_EQ(readFileBytes(path), databaseBefore);
        EXPECT_EQ(readFileBytes(path + L"-journal"), journalBefore);

        Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(cardDigest(db), before);
        EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
    }
}

}  // namespace
