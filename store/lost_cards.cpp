#include "store/lost_cards.h"

#include <algorithm>
#include <vector>

#include "core/qarray.h"
#include "store/card_operations.h"
#include "store/id_map.h"
#include "store/transaction.h"

using kiln::qstd::QArray;
using kiln::qstd::QObArray;

namespace store {

namespace {

QArray<bool> shownRows(const QObArray<CardRow>& rows) {
    QArray<bool> shown;
    shown.SetCapacity(rows.GetCount());
    for (unsigned i = 0; i < rows.GetCount(); ++i) shown.Add(false);
    const QArray<PlacedCard> placed = placeCards(rows);
    for (unsigned i = 0; i < placed.GetCount(); ++i) shown[placed[i].row] = true;
    return shown;
}

// The rows that bring every lost row back once they are put somewhere
// visible. Each lost row's parent is lost too, or missing, so following the
// parents from a lost row ends at a missing parent or goes round a cycle.
QArray<unsigned> lostRoots(const QObArray<CardRow>& rows, const QArray<bool>& shown) {
    IdMap rowOf(rows.GetCount());
    for (unsigned i = 0; i < rows.GetCount(); ++i) rowOf.set(rows[i]->id, static_cast<int>(i));

    // The walk that first reached each row; 0 for none yet.
    QArray<unsigned> walkOf;
    walkOf.SetCapacity(rows.GetCount());
    for (unsigned i = 0; i < rows.GetCount(); ++i) walkOf.Add(0);

    QArray<unsigned> roots;
    unsigned walk = 0;
    for (unsigned start = 0; start < rows.GetCount(); ++start) {
        if (shown[start] || walkOf[start] != 0) continue;
        ++walk;
        for (unsigned row = start;;) {
            walkOf[row] = walk;
            const int parent = rowOf.find(rows[row]->parent);
            if (parent < 0) {
                roots.Add(row);
                break;
            }
            const unsigned next = static_cast<unsigned>(parent);
            if (walkOf[next] == walk) {
                roots.Add(next);  // this walk closed a cycle
                break;
            }
            // An earlier walk already found the way out from here.
            if (walkOf[next] != 0 || shown[next]) break;
            row = next;
        }
    }
    return roots;
}

}  // namespace

QObArray<CardRow> findLostCards(CardDatabase& database) {
    const QObArray<CardRow> rows = readCardRows(database);
    const QArray<bool> shown = shownRows(rows);
    std::vector<unsigned> lostRows;
    for (unsigned i = 0; i < rows.GetCount(); ++i) {
        if (!shown[i]) lostRows.push_back(i);
    }
    std::sort(lostRows.begin(), lostRows.end(), [&](unsigned a, unsigned b) { return rows[a]->id < rows[b]->id; });
    QObArray<CardRow> lost;
    for (unsigned row : lostRows) lost.Add(new CardRow{rows[row]->id, rows[row]->title, rows[row]->parent});
    return lost;
}

CardId rescueLostCards(CardDatabase& database) {
    Transaction transaction(database);
    const QObArray<CardRow> rows = readCardRows(database);
    const QArray<unsigned> roots = lostRoots(rows, shownRows(rows));
    if (roots.IsEmpty()) return 0;
    const CardId recovered = addCard(database, 0);
    renameCard(database, recovered, kRecoveredCardsTitle);
    for (unsigned i = 0; i < roots.GetCount(); ++i) database.prepareMove(recovered, rows[roots[i]]->id).step();
    transaction.commit();
    return recovered;
}

}  // namespace store
