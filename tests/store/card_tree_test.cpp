// The hierarchy of cards: which rows the tree shows, in which order and how
// deep, including the rows it must leave out.
#include <random>
#include <string>
#include <vector>

#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/card_tree.h"
#include "store/transaction.h"
#include "test_database.h"

using kiln::qstd::QArray;
using kiln::qstd::QObArray;

namespace {

struct Row {
    int id;
    int parent;
};

QObArray<CardRow> makeRows(const std::vector<Row>& rows) {
    QObArray<CardRow> result;
    for (const Row& row : rows) {
        result.Add(new CardRow{row.id, std::to_wstring(row.id).c_str(), row.parent});
    }
    return result;
}

// "id@depth" for every placed row, in placement order.
std::string describe(const QObArray<CardRow>& rows, const QArray<PlacedCard>& placed) {
    std::string text;
    for (unsigned i = 0; i < placed.GetCount(); ++i) {
        if (!text.empty()) text += ' ';
        text += std::to_string(rows[placed[i].row]->id) + "@" + std::to_string(placed[i].depth);
    }
    return text;
}

std::string place(const std::vector<Row>& rows) {
    const QObArray<CardRow> array = makeRows(rows);
    return describe(array, placeCards(array));
}

// The placement as the tree was first filled: a stack of row indices, and for
// every placed row a scan of all rows for its children, pushed from the last
// row down. Slow, but the order it gives is the order the tree must show.
std::string placeByScanning(const std::vector<Row>& rows) {
    std::vector<int> depth(rows.size(), 0);
    std::vector<size_t> stack;
    for (size_t i = rows.size(); i-- > 0;) {
        if (rows[i].parent == 0) stack.push_back(i);
    }
    std::string text;
    while (!stack.empty()) {
        const size_t i = stack.back();
        stack.pop_back();
        if (!text.empty()) text += ' ';
        text += std::to_string(rows[i].id) + "@" + std::to_string(depth[i]);
        for (size_t j = rows.size(); j-- > 0;) {
            if (rows[j].parent == rows[i].id) {
                depth[j] = depth[i] + 1;
                stack.push_back(j);
            }
        }
    }
    return text;
}

TEST(CardPlacement, PlacesDepthFirstWithChildrenInRowOrder) {
    const struct {
        const char* what;
        std::vector<Row> rows;
        const char* placed;
    } cases[] = {
        {"empty table", {}, ""},
        {"nested", {{1, 0}, {3, 0}, {2, 1}, {4, 2}}, "1@0 2@1 4@2 3@0"},
        {"siblings keep the row order, not the id order", {{9, 0}, {3, 0}, {5, 0}, {7, 3}, {6, 3}},
         "9@0 3@0 7@1 6@1 5@0"},
        {"orphan and own parent left out", {{1, 0}, {6, 6}, {5, 99}, {2, 1}}, "1@0 2@1"},
        {"a cycle and what hangs below it left out", {{1, 0}, {7, 8}, {8, 7}, {9, 7}}, "1@0"},
        {"children of an orphan left out", {{1, 0}, {5, 99}, {10, 5}}, "1@0"},
        {"a card with id 0 sits at the top and parents nothing", {{0, 0}, {1, 0}, {2, 1}}, "0@0 1@0 2@1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.placed, place(c.rows)) << c.what;
    }
}

TEST(CardPlacement, MatchesTheScanningOrderOnRandomTables) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 200; ++round) {
        const int count = 1 + static_cast<int>(random() % 60);
        std::vector<Row> rows;
        for (int id = 1; id <= count; ++id) {
            // Mostly real parents, some top-level cards, some orphans and
            // some parents that close cycles.
            const int kind = static_cast<int>(random() % 10);
            const int parent = kind < 2 ? 0 : kind < 3 ? count + 1 + static_cast<int>(random() % 5)
                                                      : 1 + static_cast<int>(random() % count);
            rows.push_back(Row{id, parent});
        }
        // The query returns rows sorted by parent, equal parents in any order.
        std::shuffle(rows.begin(), rows.end(), random);
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.parent < b.parent; });
        ASSERT_EQ(placeByScanning(rows), place(rows)) << "round " << round;
    }
}

using CardTreeFile = TestDatabaseFile;

TEST_F(CardTreeFile, LoadsTitlesIdsAndDepthsFromTheTable) {
    createCards();
    insertRow(1, L"Projects", 0);
    insertRow(2, L"Vorlen", 1);
    insertRow(3, nullptr, 0);
    insertRow(4, L"Notes — ä", 2);
    insertRow(5, L"lost", 99);

    const CardTree tree = loadCardTree(database);

    ASSERT_EQ(4u, tree.getCount());
    const struct {
        int id;
        const wchar_t* title;
        int parent;
        int depth;
    } expected[] = {{1, L"Projects", 0, 0}, {2, L"Vorlen", 1, 1}, {4, L"Notes — ä", 2, 2}, {3, L"", 0, 0}};
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i].id, tree.getCard(i).id) << i;
        EXPECT_EQ(std::wstring(expected[i].title), wide(tree.getCard(i).title)) << i;
        EXPECT_EQ(expected[i].parent, tree.getCard(i).parent) << i;
        EXPECT_EQ(expected[i].depth, tree.getDepth(i)) << i;
    }
}

TEST_F(CardTreeFile, AnEmptyTableGivesAnEmptyTree) {
    createCards();
    EXPECT_EQ(0u, loadCardTree(database).getCount());
}

}  // namespace

// The tree read one level at a time, depth first, as a window opening every
// branch would see it; "id@depth" like describe().
std::string placeByLevels(CardDatabase& database, CardId parent = 0, int depth = 0) {
    std::string text;
    const QObArray<CardNode> level = readChildCards(database, parent);
    for (unsigned i = 0; i < level.GetCount(); ++i) {
        if (!text.empty()) text += ' ';
        text += std::to_string(level[i]->id) + "@" + std::to_string(depth);
        // Reading below card 0 would read the top level again.
        const std::string below = level[i]->id == 0 ? "" : placeByLevels(database, level[i]->id, depth + 1);
        // A card says it has children exactly when its level below is not empty.
        EXPECT_EQ(level[i]->hasChildren, !below.empty()) << "card " << level[i]->id;
        if (!below.empty()) text += ' ' + below;
    }
    return text;
}

TEST_F(CardTreeFile, ReadingLevelByLevelGivesTheWholeTreesOrder) {
    std::mt19937 random(20261211);
    for (int round = 0; round < 6; ++round) {
        createCards();
        ASSERT_TRUE(ensureTreeIndex(database));
        Transaction transaction(database);
        const int count = 1 + static_cast<int>(random() % 80);
        // Ids out of insertion order, so that the engine's order of siblings
        // is not simply the order they were written in.
        std::vector<int> ids;
        for (int id = round % 2; id < count + round % 2; ++id) ids.push_back(id);
        std::shuffle(ids.begin(), ids.end(), random);
        for (int id : ids) {
            const int kind = static_cast<int>(random() % 10);
            const int parent = kind < 2 ? 0 : kind < 3 ? count + 1 + static_cast<int>(random() % 5)
                                                      : static_cast<int>(random() % (count + 1));
            // Bound explicitly, so that a card can have the id 0.
            CardStatement insert = database.prepare("INSERT INTO tab (id, title, parent) VALUES (?, 't', ?)");
            insert.bindId(1, id);
            insert.bindId(2, parent);
            insert.step();
        }
        transaction.commit();
        const CardTree whole = loadCardTree(database);
        std::string expected;
        for (unsigned i = 0; i < whole.getCount(); ++i) {
            if (!expected.empty()) expected += ' ';
            expected += std::to_string(whole.getCard(i).id) + "@" + std::to_string(whole.getDepth(i));
        }
        ASSERT_EQ(expected, placeByLevels(database)) << "round " << round;
        database.close();
    }
}

TEST_F(CardTreeFile, APathLeadsFromTheTopLevelToTheCardOnlyForCardsTheTreeShows) {
    createCards();
    insertRow(1, L"top", 0);
    insertRow(2, L"child", 1);
    insertRow(3, L"grandchild", 2);
    insertRow(5, L"orphan", 99);
    insertRow(6, L"below the orphan", 5);
    insertRow(7, L"cycle", 8);
    insertRow(8, L"cycle", 7);
    insertRow(9, L"own parent", 9);
    const struct {
        CardId id;
        bool shown;
        std::vector<CardId> path;
    } cases[] = {
        {1, true, {1}}, {3, true, {1, 2, 3}}, {5, false, {}}, {6, false, {}},
        {7, false, {}}, {9, false, {}},       {42, false, {}},
    };
    for (const auto& c : cases) {
        QArray<CardId> path;
        ASSERT_EQ(c.shown, readCardPath(database, c.id, path)) << c.id;
        if (!c.shown) continue;
        ASSERT_EQ(c.path.size(), path.GetCount()) << c.id;
        for (unsigned i = 0; i < path.GetCount(); ++i) EXPECT_EQ(c.path[i], path[i]) << c.id;
    }
}

TEST_F(CardTreeFile, TheTreeIndexIsMadeOnceAndAFileThatCannotBeWrittenGoesWithoutIt) {
    createCards();
    insertRow(1, L"top", 0);
    const char* const countIndexes = "select count(*) from sqlite_master where type = 'index'";
    EXPECT_EQ(0, queryInt(database, countIndexes));
    ASSERT_TRUE(ensureTreeIndex(database));
    ASSERT_TRUE(ensureTreeIndex(database));
    EXPECT_EQ(1, queryInt(database, countIndexes));
    // The level reads walk the index, never the table.
    for (const char* sql : {"explain query plan select id, title, id <> 0 and exists (select 1 from tab as "
                            "below where below.parent = tab.id) from tab where parent = 0 order by parent",
                            "explain query plan select id, title, parent from tab order by parent"}) {
        CardStatement plan = database.prepare(sql);
        std::wstring details;
        while (plan.step() == SQLITE_ROW) details += wide(plan.getText(3)) + L"; ";
        EXPECT_EQ(std::wstring::npos, details.find(L"SCAN tab;")) << sql;
        EXPECT_NE(std::wstring::npos, details.find(L"COVERING INDEX tab_parent_id_title")) << sql;
        EXPECT_EQ(std::wstring::npos, details.find(L"TEMP B-TREE")) << sql;
    }
    database.close();

    // A connection that may not write, as on a file the user cannot change.
    createCards();
    insertRow(1, L"top", 0);
    database.execute("PRAGMA query_only = 1");
    EXPECT_FALSE(ensureTreeIndex(database));
    EXPECT_EQ(1u, readChildCards(database, 0).GetCount());
}

TEST_F(CardTreeFile, AFileWithoutTheCardTableIsNoTreeToIndex) {
    database.createFile(path);
    EXPECT_THROW(ensureTreeIndex(database), kiln::qstd::QError);
}
