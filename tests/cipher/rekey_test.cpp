#include "store/cipher/rekey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/qerror.h"
#include "fault_injection.h"
#include "store/cipher/database_key.h"
#include "store/cipher/encrypted_file.h"
#include "test_support.h"

namespace {

using kiln::qstd::QError;

struct RekeyKind {
    const char* name;
    const wchar_t* from;  // null: plain
    CipherFormat fromFormat;
    const wchar_t* to;  // null: plain
    CipherFormat toFormat;
};

constexpr CipherFormat kOne = CipherFormat::format1;
constexpr CipherFormat kTwo = CipherFormat::format2;

const RekeyKind kKinds[] = {
    {"set", nullptr, kOne, L"Secret12", kOne},
    {"change", L"Secret12", kOne, L"other password", kOne},
    {"change to a shorter one", L"a much longer password than the next", kOne, L"s", kOne},
    {"remove", L"Secret12", kOne, nullptr, kOne},
    {"set in format 2", nullptr, kOne, L"Secret12", kTwo},
    {"format 1 to format 2", L"Secret12", kOne, L"other password", kTwo},
    {"change in format 2", L"a much longer password than the next", kTwo, L"s", kTwo},
    {"format 2 to format 1", L"Secret12", kTwo, L"other password", kOne},
    {"remove from format 2", L"Secret12", kTwo, nullptr, kOne},
};

CipherFormat formatOf(const wchar_t* password, CipherFormat format) {
    return password ? format : CipherFormat::plain;
}

std::wstring orEmpty(const wchar_t* password) {
    return password ? password : L"";
}

void rekeyOrReport(sqlite3*& db, const CipherKey& key) {
    try {
        rekeyDatabase(db, key);
    } catch (const QError& error) {
        const std::wstring message = error.message.c_str();
        ADD_FAILURE() << "rekey failed: " << std::string(message.begin(), message.end()) << " (" << error.code << ")";
    }
}

// The same file as before under the same key. Pages played back from a
// journal into a format 2 file are sealed again under fresh IVs, so there
// only its size, its mark, key check and salt can be compared byte for byte
// (its cards are compared by the caller).
bool sameFile(const Bytes& now, const Bytes& before, CipherFormat format) {
    if (format != CipherFormat::format2) return now == before;
    return now.size() == before.size() && std::equal(now.begin(), now.begin() + 16, before.begin()) &&
           std::equal(now.begin() + 4080, now.begin() + 4096, before.begin() + 4080);
}

// The system's text for an error, as messages end with it.
std::wstring systemText(DWORD error) {
    kiln::qstd::QString text;
    text.FormatSystemError(error);
    text.Trim();
    return text.c_str();
}

bool beginsPlain(const Bytes& bytes) {
    return bytes.size() >= 16 && std::memcmp(bytes.data(), "SQLite format 3", 16) == 0;
}

class Rekey : public testing::Test {
protected:
    void makeDatabase(const wchar_t* password, int cards = 10, CipherFormat format = kOne) {
        Connection db(path, password, nullptr, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, format);
        ASSERT_EQ(db.exec("PRAGMA application_id = 0x42654462"), SQLITE_OK) << db.error();
        addCards(db, cards, "rekey");
        original = cardDigest(db);
    }

    // Exactly one of the two passwords opens the file, with every card, in
    // the format given.
    void expectOpensOnlyWith(const wchar_t* expected, const wchar_t* other, CipherFormat format = kOne) {
        EXPECT_EQ(fileCipherFormat(path.c_str()), formatOf(expected, format));
        Connection right(path, expected, nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(cardDigest(right), original);
        EXPECT_EQ(right.text("PRAGMA integrity_check"), "ok");
        if (orEmpty(other) != orEmpty(expected)) {
            Connection wrong(path, other, nullptr, SQLITE_OPEN_READWRITE);
            EXPECT_EQ(wrong.exec("SELECT count(*) FROM tab"), SQLITE_NOTADB);
        }
        EXPECT_EQ(beginsPlain(readFileBytes(path)), expected == nullptr);
        EXPECT_FALSE(fileExists(path + L"-rekey"));
        EXPECT_FALSE(fileExists(path + L"-rekey-pages"));
    }

    void widenPages(const wchar_t* password) {
        Connection db(path, password, nullptr, SQLITE_OPEN_READWRITE);
        int reserve = 64;
        ASSERT_EQ(sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve), SQLITE_OK);
        ASSERT_EQ(db.exec("VACUUM"), SQLITE_OK) << db.error();
    }

    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
    std::string original;
};

TEST_F(Rekey, EveryKindLeavesTheCardsUnderTheNewKey) {
    for (const RekeyKind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        DeleteFileW(path.c_str());
        makeDatabase(kind.from, 10, kind.fromFormat);
        ASSERT_EQ(fileCipherFormat(path.c_str()), formatOf(kind.from, kind.fromFormat));
        {
            Connection db(path, kind.from, nullptr, SQLITE_OPEN_READWRITE);
            rekeyOrReport(db.handle(), keyOf(orEmpty(kind.to), kind.toFormat));
            // The connection goes on, under the new key.
            EXPECT_EQ(cardDigest(db), original);
            EXPECT_TRUE(databaseKey(db.get()) == keyOf(orEmpty(kind.to), kind.toFormat));
            ASSERT_EQ(db.exec("INSERT INTO tab (title) VALUES ('after')"), SQLITE_OK) << db.error();
            ASSERT_EQ(db.exec("DELETE FROM tab WHERE title = 'after'"), SQLITE_OK) << db.error();
        }
        expectOpensOnlyWith(kind.to, kind.from, kind.toFormat);
        if (kind.to) {
            EXPECT_FALSE(contains(readFileBytes(path), kPlainMarker));
        }
        // The mark is kept, whatever the password does.
        Connection db(path, kind.to, nullptr, SQLITE_OPEN_READONLY);
        EXPECT_EQ(db.number("PRAGMA application_id"), 0x42654462);
    }
}

// A page that fails its check is never carried over into another key: the
// rekey stops with the damage named, and the file stays as it was.
TEST_F(Rekey, ADamagedPageIsNeverRekeyed) {
    makeDatabase(L"Secret12", 10, kTwo);
    Bytes damaged = readFileBytes(path);
    damaged[3 * 4096 + 123] ^= 0x04;
    writeFileBytes(path, damaged);
    for (const CipherFormat to : {CipherFormat::plain, kOne, kTwo}) {
        SCOPED_TRACE(formatName(to));
        Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
        try {
            rekeyDatabase(db.handle(), to == CipherFormat::plain ? CipherKey() : keyOf(L"new", to));
            ADD_FAILURE() << "rekeyed a damaged file";
        } catch (const QError& error) {
            EXPECT_STREQ(error.message.c_str(), L"The file is damaged: page 4 failed its check.");
        }
        EXPECT_EQ(readFileBytes(path), damaged);
        EXPECT_FALSE(fileExists(path + L"-journal"));
    }
}

TEST_F(Rekey, PlainStaysPlainUntouched) {
    makeDatabase(nullptr);
    const Bytes before = readFileBytes(path);
    Connection db(path, nullptr, nullptr, SQLITE_OPEN_READWRITE);
    rekeyOrReport(db.handle(), CipherKey());
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(cardDigest(db), original);
}

// Files made elsewhere: other page sizes are rebuilt with 4096-byte pages,
// a write-ahead log is turned back into a rollback journal.
TEST_F(Rekey, SettingAPasswordOnAForeignPlainDatabase) {
    struct Case {
        const char* setup;
        const char* name;
    };
    const Case cases[] = {
        {"PRAGMA page_size = 1024", "1024-byte pages"},
        {"PRAGMA page_size = 65536", "65536-byte pages"},
        {"PRAGMA journal_mode = WAL", "write-ahead log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(path.c_str());
        {
            Connection made(path, nullptr, "win32");
            ASSERT_EQ(made.exec(c.setup), SQLITE_OK) << made.error();
            addCards(made, 7, "foreign");
            original = cardDigest(made);
        }
        {
            Connection db(path, nullptr, nullptr, SQLITE_OPEN_READWRITE);
            rekeyOrReport(db.handle(), keyOf(L"pw"));
            EXPECT_EQ(cardDigest(db), original);
        }
        expectOpensOnlyWith(L"pw", nullptr);
        Connection db(path, L"pw", nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(db.number("PRAGMA page_size"), 4096);
        EXPECT_EQ(db.text("PRAGMA journal_mode"), "delete");
        EXPECT_EQ(readFileBytes(path).size() % 4096, 0u);
    }
}

TEST_F(Rekey, RefusesWhileTheConnectionIsBusyAndStaysUsable) {
    makeDatabase(L"Secret12");
    const Bytes before = readFileBytes(path);
    Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    {
        sqlite3_stmt* pending = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db.get(), "SELECT id FROM tab", -1, &pending, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(pending), SQLITE_ROW);
        try {
            rekeyDatabase(db.handle(), keyOf(L"new"));
            ADD_FAILURE() << "rekey with an unfinished statement";
        } catch (const QError& error) {
            EXPECT_STREQ(error.message.c_str(), L"Rekey error!");
            EXPECT_EQ(error.code, 1);
        }
        sqlite3_finalize(pending);
    }
    ASSERT_EQ(db.exec("BEGIN"), SQLITE_OK);
    EXPECT_THROW(rekeyDatabase(db.handle(), keyOf(L"new")), QError);
    ASSERT_EQ(db.exec("COMMIT"), SQLITE_OK);

    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(cardDigest(db), original);
    EXPECT_TRUE(databaseKey(db.get()) == keyOf(L"Secret12"));
}

// Another connection that has the file open, still keyed with the old
// password, can neither read the rekeyed file nor write into it.
TEST_F(Rekey, AnotherConnectionUnderTheOldKeyIsLockedOut) {
    makeDatabase(L"Secret12");
    Connection other(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    ASSERT_EQ(other.text("SELECT count(*) FROM tab"), "10");
    {
        Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
        rekeyOrReport(db.handle(), keyOf(L"new"));
    }
    EXPECT_EQ(other.exec("SELECT count(*) FROM tab"), SQLITE_NOTADB);
    EXPECT_EQ(other.exec("INSERT INTO tab (title) VALUES ('stale key')"), SQLITE_NOTADB);
    expectOpensOnlyWith(L"new", L"Secret12");
}

TEST_F(Rekey, WrongKeyIsRefused) {
    makeDatabase(L"Secret12");
    const Bytes before = readFileBytes(path);
    Connection db(path, L"wrong", nullptr, SQLITE_OPEN_READWRITE);
    EXPECT_THROW(rekeyDatabase(db.handle(), keyOf(L"new")), QError);
    EXPECT_EQ(readFileBytes(path), before);
}

// Every file operation of every kind of rekey, failed in turn: the old file
// stays as it was, the connection goes on under the old key, nothing is left
// beside the file. (A full disk takes the same paths as any failure; it is
// tried on the kinds of format 1 only, each key of format 2 costing time.)
TEST_F(Rekey, AFailureAnywhereLeavesTheOldFile) {
    for (const RekeyKind& kind : kKinds) {
        const bool format2 = kind.fromFormat == kTwo || kind.toFormat == kTwo;
        for (Fault fault : {Fault::IoError, Fault::DiskFull}) {
            if (format2 && fault == Fault::DiskFull) continue;
            DeleteFileW(path.c_str());
            makeDatabase(kind.from, 6, kind.fromFormat);
            // Pages are first rebuilt to keep format 2's bytes free, in a
            // transaction of the engine's own; the rewrite of the file in
            // place is what is failed here, so that is done beforehand.
            if (kind.to && kind.toFormat == kTwo) widenPages(kind.from);
            const Bytes before = readFileBytes(path);
            int operations = 0;
            for (int nth = 1;; ++nth) {
                SCOPED_TRACE(std::string(kind.name) + ", operation " + std::to_string(nth));
                Connection db(path, kind.from, nullptr, SQLITE_OPEN_READWRITE);
                ScriptedFileOperations files(nth, fault);
                try {
                    rekeyDatabase(db.handle(), keyOf(orEmpty(kind.to), kind.toFormat), files);
                } catch (const QError& error) {
                    // The headline, then which operation failed and the system's reason.
                    const std::wstring message = error.message.c_str();
                    const std::wstring headline = message.substr(0, message.find(L'\n'));
                    EXPECT_TRUE(headline == L"Rekey error!" || headline == L"Rekeying page error!" ||
                                headline == L"Error commit rekey!")
                        << utf8(message);
                    const std::wstring reason =
                        systemText(fault == Fault::DiskFull ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
                    EXPECT_NE(message.find(L"\n"), std::wstring::npos) << utf8(message);
                    EXPECT_EQ(message.substr(message.size() - reason.size()), reason) << utf8(message);
                    EXPECT_EQ(error.code, 1);
                    EXPECT_EQ(cardDigest(db), original);
                    EXPECT_TRUE(databaseKey(db.get()) == keyOf(orEmpty(kind.from), kind.fromFormat));
                    EXPECT_TRUE(sameFile(readFileBytes(path), before, formatOf(kind.from, kind.fromFormat)));
                    EXPECT_FALSE(fileExists(path + L"-rekey"));
                    continue;
                }
                operations = files.seen();
                break;
            }
            // The loop failed each operation once before the one run that passed.
            EXPECT_GE(operations, 2 * 6 + 3);
            expectOpensOnlyWith(kind.to, kind.from, kind.toFormat);
        }
    }
}

// Deleting the journal is the commit: failing it alone must leave the old
// file, played back from the journal.
TEST_F(Rekey, AFailedCommitKeepsTheOldFile) {
    makeDatabase(L"Secret12");
    const Bytes before = readFileBytes(path);
    Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    ScriptedFileOperations files(1, Fault::IoError, ScriptedFileOperations::Kind::Remove);
    try {
        rekeyDatabase(db.handle(), CipherKey(), files);
        ADD_FAILURE() << "no failure";
    } catch (const QError& error) {
        EXPECT_EQ(std::wstring(error.message.c_str()),
                  L"Error commit rekey!\nThe journal beside the database could not be deleted: " +
                      systemText(ERROR_WRITE_FAULT));
    }
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(cardDigest(db), original);
}

}  // namespace
