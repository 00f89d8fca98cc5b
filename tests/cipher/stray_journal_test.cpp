// A journal beside a database that is not its own (left by another file of
// the same name, or damaged) is ignored as the storage engine ignores it.
#include <gtest/gtest.h>

#include <string>

#include "companion_runner.h"
#include "test_support.h"

namespace {

void putBigEndian(Bytes& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (24 - 8 * i));
}

// A journal in the engine's format whose one record, an image of page 1,
// fails its checksum under every key; its header gives the database's size
// in pages before the transaction it claims to undo.
Bytes strayJournal(uint32_t pages) {
    Bytes journal(512 + 4 + 4096 + 4, 0xAB);
    const uint8_t magic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
    std::copy(magic, magic + 8, journal.begin());
    putBigEndian(journal, 8, 1);       // records
    putBigEndian(journal, 12, 77);     // checksum seed
    putBigEndian(journal, 16, pages);
    putBigEndian(journal, 20, 512);    // sector size
    putBigEndian(journal, 24, 4096);   // page size
    std::fill(journal.begin() + 28, journal.begin() + 512, 0);
    putBigEndian(journal, 512, 1);     // page number
    putBigEndian(journal, 512 + 4 + 4096, 0);
    return journal;
}

TEST(StrayJournal, IsIgnoredUnderTheFilesOwnKeyAndTheWrongKeyIsStillRefused) {
    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"stale.data");
    for (const wchar_t* password : {static_cast<const wchar_t*>(nullptr), L"Secret12"}) {
        SCOPED_TRACE(password ? "enciphered" : "plain");
        DeleteFileW(path.c_str());
        std::string cards;
        {
            Connection db(path, password);
            addCards(db, 4, "stray");
            cards = cardDigest(db);
        }
        const Bytes before = readFileBytes(path);
        const uint32_t pages = uint32_t(before.size() / 4096);
        // The engine would cut the file to a shorter size: refused under any key.
        writeFileBytes(path + L"-journal", strayJournal(pages - 1));
        {
            Connection db(path, password, nullptr, SQLITE_OPEN_READWRITE);
            EXPECT_EQ(SQLITE_NOTADB, db.exec("SELECT count(*) FROM tab"));
        }
        EXPECT_EQ(before, readFileBytes(path));

        writeFileBytes(path + L"-journal", strayJournal(pages));
        {
            Connection wrong(path, L"wrong", nullptr, SQLITE_OPEN_READWRITE);
            EXPECT_EQ(SQLITE_NOTADB, wrong.exec("SELECT count(*) FROM tab"));
        }
        EXPECT_EQ(before, readFileBytes(path));
        EXPECT_TRUE(fileExists(path + L"-journal"));

        Connection db(path, password, nullptr, SQLITE_OPEN_READWRITE);
        EXPECT_EQ(cards, cardDigest(db));
        EXPECT_EQ("ok", db.text("PRAGMA integrity_check"));
        EXPECT_EQ(SQLITE_OK, db.exec("INSERT INTO tab (title) VALUES ('after')")) << db.error();
        EXPECT_FALSE(fileExists(path + L"-journal"));
    }
}

// Creating a database where only a journal is left.
TEST(StrayJournal, DoesNotStopCreatingADatabase) {
    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"stale.data");
    writeFileBytes(path + L"-journal", strayJournal(3));
    const CompanionRun created = runCompanion({L"create", path}, "");
    EXPECT_EQ(0u, created.exitCode) << created.err;
    const CompanionRun added = runCompanion({L"add", path, L"--title", L"first"}, "");
    EXPECT_EQ("1\n", added.out) << added.err;
}

}  // namespace
