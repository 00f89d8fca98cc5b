// Card ids are the file's 64-bit integers: no operation cuts them to 32 bits,
// and the window's 32-bit item values take only the ids they can name.
#include <string>

#include "core/qerror.h"
#include "store/card_id.h"
#include "store/card_operations.h"
#include "store/card_search.h"
#include "store/card_tree.h"
#include "test_database.h"

using kiln::qstd::QError;
using kiln::qstd::QObArray;

namespace {

constexpr CardId k2To32 = 0x100000000LL;

class CardIds : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        createCards();
    }

    std::wstring rows() { return queryText(database, "SELECT group_concat(id || ':' || parent || ':' || title, ' ') FROM (SELECT * FROM tab ORDER BY id)"); }
};

// Ids 2^32 apart were once the same card to every operation.
TEST_F(CardIds, EveryOperationReachesExactlyTheCardNamed) {
    insertRow(5, L"five", 0);
    insertRow(6, L"six", 0);
    insertRow(k2To32 + 5, L"big", 0);
    insertRow(k2To32 + 6, L"below big", k2To32 + 5);

    const CardTree tree = loadCardTree(database);
    ASSERT_EQ(4u, tree.getCount());
    EXPECT_EQ(k2To32 + 5, tree.getCard(2).id);
    EXPECT_EQ(k2To32 + 6, tree.getCard(3).id);
    EXPECT_EQ(1, tree.getDepth(3));

    const QObArray<SearchResult> found = searchCards(database, L"below");
    ASSERT_EQ(1u, found.GetCount());
    EXPECT_EQ(k2To32 + 6, found[0]->id);

    store::renameCard(database, k2To32 + 6, L"renamed");
    store::moveCard(database, k2To32 + 6, 6);
    EXPECT_EQ((std::vector<CardId>{5}), [&] {
        const kiln::qstd::QArray<CardId> order = store::deleteCard(database, 5);
        return std::vector<CardId>(order.GetData(), order.GetData() + order.GetCount());
    }());
    EXPECT_EQ(L"6:0:six 4294967301:0:big 4294967302:6:renamed", rows());
    EXPECT_THROW(store::requireCard(database, k2To32 + 7), QError);
}

TEST_F(CardIds, CardsAddedPastTheLargest32BitIdKeepTheirIds) {
    insertRow(0x7FFFFFFF, L"last", 0);
    const CardId next = store::addCard(database, 0);
    EXPECT_EQ(0x80000000LL, next);
    const CardId child = store::addCard(database, next);
    store::renameCard(database, child, L"child");
    EXPECT_EQ(L"2147483647:0:last 2147483648:0: 2147483649:2147483648:child", rows());
}

TEST(CardItemValue, IdsTheWindowCanNameGoBothWaysTheRestAreRefused) {
    for (CardId id : {CardId(0), CardId(1), CardId(0x7FFFFFFF), CardId(0x80000000LL), CardId(0xFFFFFFFFLL)}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(fitsItemValue(id));
        EXPECT_EQ(id, cardIdFromItemValue(cardIdToItemValue(id)));
    }
    const struct {
        CardId id;
        const wchar_t* text;
    } refused[] = {
        {k2To32, L"4294967296"},
        {k2To32 + 5, L"4294967301"},
        {-1, L"-1"},
        {0x7FFFFFFFFFFFFFFFLL, L"9223372036854775807"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.id);
        EXPECT_FALSE(fitsItemValue(c.id));
        try {
            cardIdToItemValue(c.id);
            ADD_FAILURE() << "no error";
        } catch (const QError& error) {
            EXPECT_EQ(std::wstring(L"The card id ") + c.text +
                          L" cannot be shown: this program shows cards with ids from 0 to 4294967295.",
                      wide(error.message));
        }
    }
}

}  // namespace
