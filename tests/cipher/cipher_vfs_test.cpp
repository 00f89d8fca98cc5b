#include "store/cipher/cipher_vfs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "reference_cipher.h"
#include "store/cipher/database_key.h"
#include "test_support.h"

namespace {

class EncipheredDatabase : public testing::Test {
protected:
    void SetUp() override {
        Connection db(path, L"Secret12");
        addCards(db, 12, "first");
        original = cardDigest(db);
        ASSERT_NE(original, "<error>");
    }

    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
    std::string original;
};

TEST_F(EncipheredDatabase, NoPageOnDiskIsPlain) {
    const Bytes bytes = readFileBytes(path);
    ASSERT_GE(bytes.size(), 12u * 4096);
    EXPECT_EQ(bytes.size() % 4096, 0u);
    EXPECT_FALSE(contains(bytes, "SQLite format 3"));
    EXPECT_FALSE(contains(bytes, kPlainMarker));
    EXPECT_FALSE(fileExists(path + L"-journal"));
}

// What another implementation of the cipher would do with the file: decipher
// every page on its own and find an ordinary SQLite database.
TEST_F(EncipheredDatabase, DeciphersPageByPageIntoTheSameDatabase) {
    Bytes bytes = readFileBytes(path);
    reference::decipherFile(bytes, L"Secret12");
    const std::wstring plain = scratch.path(L"plain.data");
    writeFileBytes(plain, bytes);

    Connection db(plain, nullptr, "win32", SQLITE_OPEN_READWRITE);
    EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(db.number("PRAGMA page_size"), 4096);
    EXPECT_EQ(cardDigest(db), original);
}

TEST(EncipheredByAnotherImplementation, OpensWithItsPassword) {
    ScratchDirectory scratch;
    const std::wstring plain = scratch.path(L"plain.data");
    std::string expected;
    {
        Connection db(plain, nullptr, "win32");
        addCards(db, 6, "theirs");
        expected = cardDigest(db);
    }
    Bytes bytes = readFileBytes(plain);
    reference::encipherFile(bytes, L"p\u00e4ssw\u00f6rd");
    const std::wstring enciphered = scratch.path(L"theirs.data");
    writeFileBytes(enciphered, bytes);

    Connection db(enciphered, L"p\u00e4ssw\u00f6rd", nullptr, SQLITE_OPEN_READWRITE);
    EXPECT_EQ(cardDigest(db), expected);
    EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
}

TEST_F(EncipheredDatabase, WrongMissingOrEmptyKeyIsNotADatabaseAndChangesNothing) {
    const Bytes before = readFileBytes(path);
    for (const wchar_t* password : {L"secret12", L"Secret1", L"", static_cast<const wchar_t*>(nullptr)}) {
        Connection db(path, password, nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(db.exec("PRAGMA application_id = 0x42654462"), SQLITE_NOTADB);
        EXPECT_EQ(sqlite3_extended_errcode(db.get()), SQLITE_NOTADB);
        EXPECT_EQ(db.exec("INSERT INTO tab (title) VALUES ('x')"), SQLITE_NOTADB);
    }
    EXPECT_EQ(readFileBytes(path), before);
}

TEST_F(EncipheredDatabase, ReopensWithItsKeyAndWritesUnderIt) {
    {
        Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
        ASSERT_EQ(db.exec("PRAGMA application_id = 0x42654462"), SQLITE_OK) << db.error();
        EXPECT_EQ(cardDigest(db), original);
    }
    Bytes bytes = readFileBytes(path);
    reference::decipherFile(bytes, L"Secret12");
    // The mark sits in the deciphered header, big-endian at offset 68.
    EXPECT_EQ(bytes[68], 0x42);
    EXPECT_EQ(bytes[69], 0x65);
    EXPECT_EQ(bytes[70], 0x44);
    EXPECT_EQ(bytes[71], 0x62);
}

// Any part of a page, the 100-byte header read included, comes deciphered
// from its whole page.
TEST_F(EncipheredDatabase, PartialReadsDecipherTheirWholePage) {
    Bytes plain = readFileBytes(path);
    reference::decipherFile(plain, L"Secret12");

    Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    sqlite3_file* file = nullptr;
    ASSERT_EQ(sqlite3_file_control(db.get(), "main", SQLITE_FCNTL_FILE_POINTER, &file), SQLITE_OK);
    ASSERT_EQ(db.text("SELECT count(*) FROM tab"), "12");
    const struct {
        int amount;
        sqlite3_int64 offset;
    } reads[] = {{100, 0}, {16, 24}, {4096, 0}, {10, 4090}, {5000, 3000}, {4096, 8192}};
    for (const auto& r : reads) {
        Bytes buffer(size_t(r.amount));
        ASSERT_EQ(file->pMethods->xRead(file, buffer.data(), r.amount, r.offset), SQLITE_OK);
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), plain.begin() + r.offset))
            << r.amount << " bytes at " << r.offset;
    }
}

TEST_F(EncipheredDatabase, JournalHoldsNoPlainPage) {
    Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    ASSERT_EQ(db.exec("BEGIN; UPDATE tab SET txt = 'REWRITTEN ' || txt;"), SQLITE_OK) << db.error();
    const Bytes journal = readFileBytes(path + L"-journal");
    ASSERT_GT(journal.size(), 12u * 4096);
    EXPECT_FALSE(contains(journal, kPlainMarker));
    EXPECT_FALSE(contains(journal, "SQLite format 3"));
    ASSERT_EQ(db.exec("COMMIT"), SQLITE_OK) << db.error();
    EXPECT_FALSE(contains(readFileBytes(path), "REWRITTEN"));
}

TEST_F(EncipheredDatabase, RollbackRestoresFromTheEncipheredJournal) {
    Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    // A small cache makes the engine spill changed pages into the file before
    // the end, so the rollback has to copy journalled pages back.
    ASSERT_EQ(db.exec("PRAGMA cache_size = 2; BEGIN; UPDATE tab SET txt = 'REWRITTEN ' || txt; "
                      "DELETE FROM tab WHERE id > 6;"),
              SQLITE_OK)
        << db.error();
    ASSERT_EQ(db.exec("ROLLBACK"), SQLITE_OK) << db.error();
    EXPECT_EQ(cardDigest(db), original);
    EXPECT_EQ(db.text("PRAGMA integrity_check"), "ok");
}

TEST_F(EncipheredDatabase, RefusesWhatWouldLeaveItPlainOrUnreadable) {
    Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    EXPECT_EQ(db.exec("PRAGMA journal_mode = WAL"), SQLITE_ERROR);
    EXPECT_NE(db.error().find("write-ahead"), std::string::npos);
    EXPECT_EQ(db.exec("PRAGMA page_size = 1024"), SQLITE_ERROR);
    EXPECT_EQ(db.exec("PRAGMA page_size = 4096"), SQLITE_OK);
    EXPECT_EQ(db.text("PRAGMA journal_mode"), "delete");
    // A rebuild keeps the file whole and enciphered.
    ASSERT_EQ(db.exec("VACUUM"), SQLITE_OK) << db.error();
    EXPECT_EQ(cardDigest(db), original);
    EXPECT_FALSE(contains(readFileBytes(path), kPlainMarker));
}

TEST_F(EncipheredDatabase, KeyCannotChangeInsideATransaction) {
    Connection db(path, L"Secret12", nullptr, SQLITE_OPEN_READWRITE);
    ASSERT_EQ(db.exec("BEGIN; SELECT count(*) FROM tab;"), SQLITE_OK);
    EXPECT_EQ(setDatabaseKey(db.get(), keyOf(L"other")), SQLITE_BUSY);
    ASSERT_EQ(db.exec("COMMIT"), SQLITE_OK);
    EXPECT_EQ(setDatabaseKey(db.get(), keyOf(L"other")), SQLITE_OK);
    EXPECT_EQ(db.exec("SELECT count(*) FROM tab"), SQLITE_NOTADB);
    EXPECT_EQ(setDatabaseKey(db.get(), keyOf(L"Secret12")), SQLITE_OK);
    EXPECT_EQ(cardDigest(db), original);
    EXPECT_TRUE(databaseKey(db.get()) == keyOf(L"Secret12"));
}

TEST(PlainDatabase, WorksThroughTheLayerAndRefusesAKey) {
    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"plain.data");
    std::string expected;
    {
        Connection db(path);
        addCards(db, 3, "plain");
        expected = cardDigest(db);
        EXPECT_TRUE(databaseKey(db.get()).isEmpty());
    }
    const Bytes bytes = readFileBytes(path);
    EXPECT_EQ(std::memcmp(bytes.data(), "SQLite format 3", 15), 0);
    EXPECT_TRUE(contains(bytes, kPlainMarker));

    Connection keyed(path, L"anything", nullptr, SQLITE_OPEN_READWRITE);
    EXPECT_EQ(keyed.exec("SELECT count(*) FROM tab"), SQLITE_NOTADB);
    EXPECT_EQ(readFileBytes(path), bytes);
    Connection plain(path, nullptr, nullptr, SQLITE_OPEN_READWRITE);
    EXPECT_EQ(cardDigest(plain), expected);
}

TEST(PlainDatabase, KeyingNeedsTheLayer) {
    ScratchDirectory scratch;
    Connection db(scratch.path(L"x.data"), nullptr, "win32");
    EXPECT_EQ(setDatabaseKey(db.get(), keyOf(L"pw")), SQLITE_MISUSE);
}

// Temporary files and journals of no known database would hold pages that
// nothing could encipher: the layer refuses to open them at all.
TEST(CipherVfs, RefusesFilesItCouldNotEncipher) {
    sqlite3_vfs* vfs = sqlite3_vfs_find(kCipherVfsName);
    ASSERT_NE(vfs, nullptr);
    EXPECT_EQ(sqlite3_vfs_find(nullptr), vfs);
    ScratchDirectory scratch;
    // Laid out as SQLite lays out a database's names: zeros, the database's
    // name, then its journal's; the database is not open.
    const std::string database = utf8(scratch.path(L"orphan.data"));
    std::string names(4, '\0');
    names += database + '\0' + database + "-journal" + std::string(4, '\0');
    const char* journal = names.c_str() + 4 + database.size() + 1;
    const struct {
        const char* name;
        int kind;
    } cases[] = {
        {nullptr, SQLITE_OPEN_TEMP_JOURNAL | SQLITE_OPEN_DELETEONCLOSE},
        {nullptr, SQLITE_OPEN_SUBJOURNAL | SQLITE_OPEN_DELETEONCLOSE},
        {nullptr, SQLITE_OPEN_TEMP_DB | SQLITE_OPEN_DELETEONCLOSE},
        {nullptr, SQLITE_OPEN_TRANSIENT_DB | SQLITE_OPEN_DELETEONCLOSE},
        {journal, SQLITE_OPEN_MAIN_JOURNAL},
    };
    for (const auto& c : cases) {
        std::vector<char> storage(size_t(vfs->szOsFile), 0);
        sqlite3_file* file = reinterpret_cast<sqlite3_file*>(storage.data());
        int outFlags = 0;
        EXPECT_EQ(vfs->xOpen(vfs, c.name, file, c.kind | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &outFlags),
                  SQLITE_CANTOPEN)
            << c.kind;
        EXPECT_EQ(file->pMethods, nullptr);
    }
    EXPECT_FALSE(fileExists(scratch.path(L"orphan.data-journal")));
}

TEST(NewEncipheredDatabase, StartsEmptyUnderItsKey) {
    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"new.data");
    {
        Connection db(path, L"k");
        ASSERT_EQ(db.exec("PRAGMA application_id = 0x4B524442"), SQLITE_OK) << db.error();
        ASSERT_EQ(db.exec(kCardSchema), SQLITE_OK) << db.error();
    }
    Bytes bytes = readFileBytes(path);
    ASSERT_EQ(bytes.size(), 3u * 4096);  // the header, tab and sqlite_sequence
    reference::decipherFile(bytes, L"k");
    EXPECT_EQ(std::memcmp(bytes.data(), "SQLite format 3", 16), 0);
    Connection db(path, L"k", nullptr, SQLITE_OPEN_READWRITE);
    EXPECT_EQ(db.number("SELECT count(*) FROM tab"), 0);
}

}  // namespace
