// Cards the tree cannot show are found, and brought back under one new card.
#include <string>

#include "store/card_operations.h"
#include "store/card_tree.h"
#include "store/lost_cards.h"
#include "test_database.h"

using kiln::qstd::QObArray;

namespace {

class LostCards : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        createCards();
        // Shown: 1 with child 2. Lost: 3 below a missing card, with child 4;
        // a cycle 5-6 with 7 below it; 8 its own parent; another cycle 9-10.
        insertRow(1, L"shown", 0);
        insertRow(2, L"shown child", 1);
        insertRow(3, L"orphan", 40);
        insertRow(4, L"below orphan", 3);
        insertRow(5, L"cycle a", 6);
        insertRow(6, L"cycle b", 5);
        insertRow(7, L"below cycle", 6);
        insertRow(8, L"self", 8);
        insertRow(9, L"second cycle a", 10);
        insertRow(10, L"second cycle b", 9);
    }

    std::string lostIds() {
        const QObArray<CardRow> lost = store::findLostCards(database);
        std::string ids;
        for (unsigned i = 0; i < lost.GetCount(); ++i) ids += (ids.empty() ? "" : " ") + std::to_string(lost[i]->id);
        return ids;
    }
};

TEST_F(LostCards, ListsEveryCardTheTreeLeavesOut) {
    EXPECT_EQ("3 4 5 6 7 8 9 10", lostIds());
}

TEST_F(LostCards, RescueBringsEveryCardBackAndKeepsWhatHangsBelow) {
    const CardId recovered = store::rescueLostCards(database);
    EXPECT_EQ(11, recovered);
    EXPECT_EQ("", lostIds());
    EXPECT_EQ(loadCardTree(database).getCount(), static_cast<unsigned>(queryInt(database, "SELECT count(*) FROM tab")));
    EXPECT_EQ(L"Recovered cards", queryText(database, "SELECT title FROM tab WHERE id = 11"));
    EXPECT_EQ(0, queryInt(database, "SELECT parent FROM tab WHERE id = 11"));
    // One card of each cycle and the orphan move; the others keep their parents.
    EXPECT_EQ(L"3:11 4:3 5:6 6:11 7:6 8:11 9:10 10:11",
              queryText(database, "SELECT group_concat(id || ':' || parent, ' ') FROM "
                                  "(SELECT * FROM tab WHERE id BETWEEN 3 AND 10 ORDER BY id)"));
    // Nothing lost: nothing changes.
    EXPECT_EQ(0, store::rescueLostCards(database));
    EXPECT_EQ(11, queryInt(database, "SELECT count(*) FROM tab"));
}

}  // namespace
