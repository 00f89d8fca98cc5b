// The card changes a user makes: add, rename, move, delete with the subtree,
// delete all, and loading a card's content back.
#include <functional>
#include <string>
#include <vector>

#include "core/qerror.h"
#include "store/card_operations.h"
#include "test_database.h"

using kiln::qstd::QArray;
using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

class CardOperations : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        createCards();
    }

    // "id:parent" of every row, by id.
    std::string shape() {
        std::string result;
        CardStatement rows = database.prepare("SELECT id, parent FROM tab ORDER BY id");
        while (rows.step() == SQLITE_ROW) {
            if (!result.empty()) result += ' ';
            result += std::to_string(rows.getInt64(0)) + ":" + std::to_string(rows.getInt64(1));
        }
        return result;
    }

    // T(1) with first child A(2) holding G(4), then B(3); U(5) beside T.
    void buildFamily() {
        insertRow(1, L"T", 0);
        insertRow(2, L"A", 1);
        insertRow(3, L"B", 1);
        insertRow(4, L"G", 2);
        insertRow(5, L"U", 0);
    }
};

std::vector<CardId> ids(const QArray<CardId>& array) {
    return std::vector<CardId>(array.GetData(), array.GetData() + array.GetCount());
}

void expectError(const wchar_t* message, const std::function<void()>& run) {
    try {
        run();
        ADD_FAILURE() << "no error raised";
    } catch (const QError& error) {
        EXPECT_EQ(std::wstring(message), wide(error.message));
        EXPECT_EQ(0, error.code);
    }
}

TEST_F(CardOperations, AddsEmptyCardsAtTheTopOrUnderAParent) {
    const int top = store::addCard(database, 0);
    const int child = store::addCard(database, top);

    EXPECT_EQ(1, top);
    EXPECT_EQ(2, child);
    EXPECT_EQ("1:0 2:1", shape());
    // Title, position, text and content all start as the empty text.
    EXPECT_EQ(2, queryInt(database, "SELECT count(*) FROM tab WHERE title = '' AND position = '' "
                                    "AND txt = '' AND rtf = '' AND typeof(rtf) = 'text'"));
}

TEST_F(CardOperations, AddingUnderAMissingCardAddsNothing) {
    expectError(L"There is no card with the id 42.", [&] { store::addCard(database, 42); });
    EXPECT_EQ(0, queryInt(database, "SELECT count(*) FROM tab"));
}

TEST_F(CardOperations, RenameStoresTheTitleTrimmed) {
    const int id = store::addCard(database, 0);
    const struct {
        const wchar_t* typed;
        const wchar_t* stored;
    } cases[] = {
        {L"  Notes  ", L"Notes"},
        {L"   ", L""},
        {L"\t Two  words \r\n", L"Two  words"},
        {L"Привет, 世界", L"Привет, 世界"},
        {L"", L""},
    };
    for (const auto& c : cases) {
        const QString stored = store::renameCard(database, id, c.typed);
        EXPECT_EQ(std::wstring(c.stored), wide(stored));
        EXPECT_EQ(std::wstring(c.stored), queryText(database, "SELECT title FROM tab"));
        EXPECT_EQ(L"text", queryText(database, "SELECT typeof(title) FROM tab"));
    }
}

TEST_F(CardOperations, RenamingAMissingCardIsAnError) {
    expectError(L"There is no card with the id 3.", [&] { store::renameCard(database, 3, L"x"); });
}

TEST_F(CardOperations, MoveChangesOnlyTheMovedCardsParent) {
    buildFamily();
    store::moveCard(database, 2, 5);
    EXPECT_EQ("1:0 2:5 3:1 4:2 5:0", shape());
    store::moveCard(database, 2, 0);
    EXPECT_EQ("1:0 2:0 3:1 4:2 5:0", shape());
}

TEST_F(CardOperations, MoveIntoItselfOrItsSubtreeIsRefused) {
    buildFamily();
    const struct {
        int id;
        int newParent;
    } refused[] = {{1, 1}, {1, 2}, {1, 4}, {2, 4}, {4, 4}};
    for (const auto& c : refused) {
        EXPECT_FALSE(store::isMoveAllowed(database, c.id, c.newParent)) << c.id << " under " << c.newParent;
        expectError(L"You can't put parent node into it's childs!",
                    [&] { store::moveCard(database, c.id, c.newParent); });
    }
    EXPECT_EQ("1:0 2:1 3:1 4:2 5:0", shape());
    EXPECT_TRUE(store::isMoveAllowed(database, 4, 1));
    EXPECT_TRUE(store::isMoveAllowed(database, 3, 2));
}

// A card put under a card the tree does not show would vanish with it.
TEST_F(CardOperations, MoveUnderACardTheTreeDoesNotShowIsRefused) {
    insertRow(1, L"card", 0);
    insertRow(6, L"self", 6);
    insertRow(7, L"loop a", 8);
    insertRow(8, L"loop b", 7);
    insertRow(9, L"orphan", 40);
    insertRow(10, L"below the orphan", 9);
    const std::string before = shape();
    for (CardId hidden : {6, 7, 10}) {
        SCOPED_TRACE(hidden);
        EXPECT_FALSE(store::isShownInTree(database, hidden));
        expectError((L"The card " + std::to_wstring(hidden) +
                     L" cannot take other cards: the tree does not show it, because it lies below a missing card "
                     L"or in a cycle of cards.")
                        .c_str(),
                    [&] { store::moveCard(database, 1, hidden); });
    }
    EXPECT_EQ(before, shape());
    // Inside the cycle every card is its own ancestor.
    EXPECT_FALSE(store::isMoveAllowed(database, 7, 8));
    EXPECT_TRUE(store::isShownInTree(database, 1));
    EXPECT_TRUE(store::isShownInTree(database, 0));
    // A hidden card may be brought back under a shown one.
    store::moveCard(database, 9, 1);
    EXPECT_TRUE(store::isShownInTree(database, 10));
}

TEST_F(CardOperations, MoveNamingAMissingCardChangesNothing) {
    buildFamily();
    expectError(L"There is no card with the id 9.", [&] { store::moveCard(database, 9, 1); });
    expectError(L"There is no card with the id 9.", [&] { store::moveCard(database, 2, 9); });
    EXPECT_EQ("1:0 2:1 3:1 4:2 5:0", shape());
}

TEST_F(CardOperations, DeleteRemovesTheSubtreeLeavesFirstInTreeOrder) {
    buildFamily();
    database.execute("CREATE TEMP TABLE deleted (id integer)");
    database.execute("CREATE TEMP TRIGGER note AFTER DELETE ON tab BEGIN INSERT INTO deleted VALUES (old.id); END");

    const QArray<CardId> order = store::deleteCard(database, 1);

    EXPECT_EQ((std::vector<CardId>{4, 2, 3, 1}), ids(order));
    EXPECT_EQ(L"4 2 3 1", queryText(database, "SELECT group_concat(id, ' ') FROM deleted"));
    EXPECT_EQ("5:0", shape());
}

TEST_F(CardOperations, DeleteOfALeafOrOfCardsInACycleEnds) {
    buildFamily();
    insertRow(6, L"self", 6);
    insertRow(7, L"loop a", 8);
    insertRow(8, L"loop b", 7);

    EXPECT_EQ((std::vector<CardId>{3}), ids(store::deleteCard(database, 3)));
    EXPECT_EQ((std::vector<CardId>{6}), ids(store::deleteCard(database, 6)));
    EXPECT_EQ((std::vector<CardId>{8, 7}), ids(store::deleteCard(database, 7)));
    EXPECT_EQ("1:0 2:1 4:2 5:0", shape());
}

TEST_F(CardOperations, FailedDeleteRollsBackAndLeavesEveryCard) {
    buildFamily();
    // The engine refuses the third delete of the four, after two went through.
    database.execute("CREATE TEMP TRIGGER refuse BEFORE DELETE ON tab WHEN old.id = 3 "
                     "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");

    try {
        store::deleteCard(database, 1);
        FAIL() << "the delete succeeded";
    } catch (const QError& error) {
        EXPECT_EQ(L"refused by the test", wide(error.message));
        EXPECT_EQ(SQLITE_CONSTRAINT_TRIGGER, error.code);
    }
    EXPECT_TRUE(sqlite3_get_autocommit(database.getConnection())) << "transaction left open";
    EXPECT_EQ("1:0 2:1 3:1 4:2 5:0", shape());

    database.close();
    database.openFile(path);
    EXPECT_EQ("1:0 2:1 3:1 4:2 5:0", shape());
}

TEST_F(CardOperations, DeletingAMissingCardIsAnError) {
    buildFamily();
    expectError(L"There is no card with the id 9.", [&] { store::deleteCard(database, 9); });
    EXPECT_TRUE(sqlite3_get_autocommit(database.getConnection()));
}

TEST_F(CardOperations, DeleteAllEmptiesTheTableAndTheNextCardGetsIdOne) {
    buildFamily();
    store::deleteAllCards(database);
    EXPECT_EQ(0, queryInt(database, "SELECT count(*) FROM tab"));
    EXPECT_EQ(1, store::addCard(database, 0));
}

TEST_F(CardOperations, LoadsTheStoredContentAndText) {
    const int id = store::addCard(database, 0);
    EXPECT_EQ(0u, store::loadCardContent(database, id).GetCount());

    const std::string stored = "{\\rtf1\\ansi x\\par}";
    QBuffer rtf;
    rtf.Append(stored.data(), static_cast<unsigned>(stored.size()));
    database.saveCardContent(L"x — ä", rtf, id);

    const QBuffer loaded = store::loadCardContent(database, id);
    EXPECT_EQ(stored, std::string(reinterpret_cast<const char*>(loaded.GetData()), loaded.GetCount()));
    EXPECT_EQ(L"x — ä", wide(store::loadCardText(database, id)));
    expectError(L"There is no card with the id 99.", [&] { store::loadCardContent(database, 99); });
    expectError(L"There is no card with the id 99.", [&] { store::loadCardText(database, 99); });
}

TEST_F(CardOperations, ACardMadeWithItsContentIsWrittenWholeOrNotAtAll) {
    const std::string stored = "{\\rtf1\\ansi from a file\\par}";
    QBuffer rtf;
    rtf.Append(stored.data(), static_cast<unsigned>(stored.size()));
    const CardId id = store::addCard(database, 0, L"notes.txt", L"from a file", rtf);
    EXPECT_EQ(1, queryInt(database, "SELECT count(*) FROM tab WHERE title = 'notes.txt' AND parent = 0"));
    EXPECT_EQ(L"from a file", wide(store::loadCardText(database, id)));
    const QBuffer loaded = store::loadCardContent(database, id);
    EXPECT_EQ(stored, std::string(reinterpret_cast<const char*>(loaded.GetData()), loaded.GetCount()));

    // The content is refused after the row went in: no empty card stays.
    database.execute("CREATE TEMP TRIGGER refuse BEFORE UPDATE OF txt ON tab "
                     "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    EXPECT_THROW(store::addCard(database, 0, L"second.txt", L"text", rtf), QError);
    EXPECT_TRUE(sqlite3_get_autocommit(database.getConnection())) << "transaction left open";
    EXPECT_EQ(1, queryInt(database, "SELECT count(*) FROM tab"));
}

TEST_F(CardOperations, CheckCardTableRejectsOtherDatabases) {
    EXPECT_NO_THROW(store::checkCardTable(database));
    database.execute("DROP TABLE tab");
    try {
        store::checkCardTable(database);
        FAIL() << "a database without cards passed";
    } catch (const QError& error) {
        EXPECT_EQ(L"no such table: tab", wide(error.message));
    }
}

}  // namespace
