// The hierarchy of cards: which rows the tree shows, in which order and how
// deep, including the rows it must leave out.
#include <random>
#include <string>
#include <vector>

#include "store/card_operations.h"
#include "store/card_tree.h"
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
