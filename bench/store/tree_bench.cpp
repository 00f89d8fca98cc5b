// How long placing the cards of the tree takes as a database grows: the time
// per card should stay flat from ten thousand to a million cards.
#include <cstdio>
#include <random>

#include "bench_clock.h"
#include "store/card_statements.h"
#include "store/card_tree.h"
#include "store/transaction.h"

using kiln::qstd::QArray;
using kiln::qstd::QObArray;

namespace {

// A table of the usual shape: every card made under an older card or at the
// top level, written into an in-memory database and read back the way the
// tree reads it.
void fillDatabase(CardDatabase& database, int count, unsigned seed) {
    std::mt19937 random(seed);
    Transaction transaction(database);
    CardStatement insert = database.prepare("INSERT INTO tab (id, title, parent, position, txt, rtf) "
                                            "VALUES (?, ?, ?, '', '', '')");
    for (int id = 1; id <= count; ++id) {
        const int parent = (id < 20 || random() % 10 == 0) ? 0 : 1 + static_cast<int>(random() % (id - 1));
        wchar_t title[32];
        swprintf(title, 32, L"Card %d", id);
        insert.bindId(1, id);
        insert.bindText(2, title);
        insert.bindId(3, parent);
        insert.step();
        sqlite3_reset(insert.getHandle());
    }
    insert.finalize();
    transaction.commit();
}

double placeSeconds(const QObArray<CardRow>& rows, unsigned& placed) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const double start = secondsNow();
        const QArray<PlacedCard> order = placeCards(rows);
        const double elapsed = secondsNow() - start;
        placed = order.GetCount();
        if (elapsed < best) best = elapsed;
    }
    return best;
}

// The placement the tree started with: every placed card scans all rows.
double scanningSeconds(const QObArray<CardRow>& rows) {
    const double start = secondsNow();
    QArray<unsigned> stack;
    for (unsigned i = rows.GetCount(); i-- > 0;) {
        if (rows[i]->parent == 0) stack.Add(i);
    }
    unsigned placed = 0;
    while (!stack.IsEmpty()) {
        const unsigned i = stack[stack.GetCount() - 1];
        stack.RemoveAt(stack.GetCount() - 1, 1);
        ++placed;
        for (unsigned j = rows.GetCount(); j-- > 0;) {
            if (rows[j]->parent == rows[i]->id) stack.Add(j);
        }
    }
    const double elapsed = secondsNow() - start;
    std::printf("  (placed %u)\n", placed);
    return elapsed;
}

}  // namespace

int main() {
    std::printf("%10s %14s %14s %14s %14s\n", "cards", "read s", "place s", "read ns/card", "place ns/card");
    const int counts[] = {10000, 100000, 1000000};
    for (int count : counts) {
        CardDatabase database;
        database.openUtf8(":memory:", true);
        database.execute16(kCreateTableSql);
        fillDatabase(database, count, 7u + static_cast<unsigned>(count));

        const double readStart = secondsNow();
        const QObArray<CardRow> rows = readCardRows(database);
        const double readSeconds = secondsNow() - readStart;
        unsigned placed = 0;
        const double place = placeSeconds(rows, placed);
        std::printf("%10d %14.4f %14.4f %14.1f %14.1f\n", count, readSeconds, place, readSeconds * 1e9 / count,
                    place * 1e9 / count);
        if (placed != static_cast<unsigned>(count)) std::printf("  only %u of %d cards placed!\n", placed, count);
        if (count == 10000) {
            const double scanning = scanningSeconds(rows);
            std::printf("%10s %14s %14.4f %14s %14.1f   <- scanning all rows for each card\n", "", "", scanning,
                        "", scanning * 1e9 / count);
        }
        std::fflush(stdout);
    }
    return 0;
}
