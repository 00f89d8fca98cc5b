#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "store/card_database.h"
#include "store/cipher/authenticated_page.h"
#include "store/cipher/database_key.h"
#include "test_support.h"

namespace {

using authenticated_page::Check;
using authenticated_page::PageKeys;
using authenticated_page::PageSealer;
using authenticated_page::kPageSize;

// Plain pages as the engine hands them over: page 1 with the header this
// format requires, others with content only, the 64 reserved bytes zero.
Bytes plainPage(uint32_t pageNumber) {
    Bytes page(kPageSize, 0);
    for (uint32_t i = 0; i < authenticated_page::kContentEnd; ++i) page[i] = uint8_t(i * 7 + pageNumber * 13);
    if (pageNumber == 1) {
        std::memcpy(page.data(), "SQLite format 3", 16);
        page[16] = 0x10;
        page[17] = 0x00;
        page[20] = authenticated_page::kReservedBytes;
    }
    return page;
}

class OneSealer : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const unsigned char password[] = {'p', 0, 'w', 0};
        const unsigned char salt[authenticated_page::kSaltBytes] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
        keys = PageKeys::derive(password, sizeof(password), salt);
    }
    static void TearDownTestSuite() { keys.reset(); }

    Bytes sealed(PageSealer& sealer, uint32_t pageNumber) {
        Bytes out(kPageSize);
        EXPECT_TRUE(sealer.seal(plainPage(pageNumber).data(), pageNumber, out.data()));
        return out;
    }

    static std::shared_ptr<const PageKeys> keys;
};

std::shared_ptr<const PageKeys> OneSealer::keys;

// The platform's key objects are kept from page to page, and Wine's go on
// with the previous chain when given the same IV again: every order of reads
// a connection makes must still give each page back whole.
TEST_F(OneSealer, OpensPagesInAnyOrderOnTheSameKeyObjects) {
    ASSERT_TRUE(keys);
    PageSealer writer(keys);
    ASSERT_TRUE(writer.isReady());
    const uint32_t numbers[] = {1, 2, 3};
    std::vector<Bytes> stored;
    for (uint32_t number : numbers) stored.push_back(sealed(writer, number));

    const struct {
        const char* name;
        std::vector<size_t> order;
    } cases[] = {
        {"two pages in a row", {1, 2}},
        {"the same page twice in a row", {1, 1}},
        {"page 1 twice, then others and back", {0, 0, 2, 1, 0}},
        {"a long run alternating", {1, 2, 1, 2, 2, 1, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PageSealer reader(keys);
        for (size_t index : c.order) {
            Bytes page = stored[index];
            ASSERT_EQ(reader.open(page.data(), numbers[index]), Check::ok);
            EXPECT_TRUE(page == plainPage(numbers[index])) << "page " << numbers[index] << " read back otherwise";
        }
    }
}

// Writing goes through the same objects as reading: a page sealed twice
// looks different each time, and both copies open, on the sealer that wrote
// them (between its own writes) and on another.
TEST_F(OneSealer, SealsThePagesItReadsAndEachWriteDiffers) {
    ASSERT_TRUE(keys);
    PageSealer sealer(keys);
    PageSealer other(keys);
    const Bytes first = sealed(sealer, 2);
    Bytes reread = first;
    ASSERT_EQ(sealer.open(reread.data(), 2), Check::ok);
    const Bytes second = sealed(sealer, 2);
    EXPECT_TRUE(first != second);
    EXPECT_NE(Bytes(first.begin() + authenticated_page::kIvOffset, first.begin() + authenticated_page::kMacOffset),
              Bytes(second.begin() + authenticated_page::kIvOffset, second.begin() + authenticated_page::kMacOffset));
    for (PageSealer* reader : {&sealer, &other}) {
        for (const Bytes& copy : {first, second, second}) {
            Bytes page = copy;
            ASSERT_EQ(reader->open(page.data(), 2), Check::ok);
            EXPECT_TRUE(page == plainPage(2)) << "a copy read back otherwise";
        }
    }
    // Sealed under one page number, checked as another: the MAC tells.
    Bytes moved = first;
    EXPECT_EQ(other.open(moved.data(), 3), Check::damaged);
}

std::string cardText(int card) {
    std::string text(5000, ' ');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char('a' + (i * 31 + size_t(card) * 17 + i / 97) % 26);
    return text;
}

// Every card read through db is the one written, byte for byte.
void expectEveryCard(sqlite3* db, int cards, std::string& failure) {
    sqlite3_stmt* select = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT id, txt FROM tab ORDER BY id", -1, &select, nullptr) != SQLITE_OK) {
        failure = sqlite3_errmsg(db);
        return;
    }
    int seen = 0;
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        const int id = sqlite3_column_int(select, 0);
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
        if (id != seen + 1 || !text || cardText(id) != text) {
            failure = "card " + std::to_string(id) + " differs";
            break;
        }
        ++seen;
    }
    if (failure.empty() && rc != SQLITE_DONE) failure = sqlite3_errmsg(db);
    if (failure.empty() && seen != cards) failure = "read " + std::to_string(seen) + " cards";
    sqlite3_finalize(select);
}

class FormatTwoCards : public testing::Test {
protected:
    void SetUp() override {
        Connection db(path, L"pw", nullptr, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, CipherFormat::format2);
        ASSERT_EQ(db.exec(kCardSchema), SQLITE_OK) << db.error();
        ASSERT_EQ(db.exec("BEGIN"), SQLITE_OK);
        for (int i = 1; i <= kCards; ++i) {
            const std::string sql = "INSERT INTO tab (title, parent, position, txt) VALUES ('card', 0, '', '" +
                                    cardText(i) + "')";
            ASSERT_EQ(db.exec(sql), SQLITE_OK) << db.error();
        }
        ASSERT_EQ(db.exec("COMMIT"), SQLITE_OK) << db.error();
        ASSERT_EQ(databaseKey(db.get()).format(), CipherFormat::format2);
    }

    // About 5 MB: more than the engine's default cache of 2 MB holds.
    static constexpr int kCards = 1000;
    ScratchDirectory scratch;
    const std::wstring path = scratch.path(L"cards.data");
};

// The window and the background search read one file on two threads, each
// through its own connection; the two connections share the derived keys.
TEST_F(FormatTwoCards, TwoConnectionsReadEveryCardAtOnce) {
    Connection window(path, L"pw");
    Connection search(path, L"pw");
    ASSERT_EQ(databaseKey(window.get()).pageKeys(), databaseKey(search.get()).pageKeys());
    std::string failures[2];
    std::vector<std::thread> readers;
    sqlite3* connections[2] = {window.get(), search.get()};
    for (int t = 0; t < 2; ++t) {
        readers.emplace_back([&, t] {
            sqlite3* db = connections[t];
            // A small cache, so that every pass reads and deciphers every page again.
            if (sqlite3_exec(db, "PRAGMA cache_size = 16", nullptr, nullptr, nullptr) != SQLITE_OK) {
                failures[t] = sqlite3_errmsg(db);
            }
            for (int pass = 0; pass < 4 && failures[t].empty(); ++pass) expectEveryCard(db, kCards, failures[t]);
        });
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(failures[0], "");
    EXPECT_EQ(failures[1], "");
}

// A file opened with its password keeps every page it has read: reading it
// again takes no page from the disk, so none is deciphered again.
TEST_F(FormatTwoCards, ReadingAgainReadsNoPageTwice) {
    CardDatabase database;
    database.openFile(kiln::qstd::QString(path.c_str()));
    ASSERT_TRUE(database.applyKey(L"pw"));
    sqlite3* db = database.getConnection();
    auto pagesRead = [db] {
        int current = 0;
        int highest = 0;
        sqlite3_db_status(db, SQLITE_DBSTATUS_CACHE_MISS, &current, &highest, 0);
        return current;
    };
    std::string failure;
    expectEveryCard(db, kCards, failure);
    ASSERT_EQ(failure, "");
    const int firstRead = pagesRead();
    EXPECT_GT(firstRead, kCards);
    expectEveryCard(db, kCards, failure);
    ASSERT_EQ(failure, "");
    EXPECT_EQ(pagesRead(), firstRead);
}

}  // namespace
