#include "store/card_tree.h"

#include <utility>

#include "core/qerror.h"
#include "store/card_statements.h"

using kiln::qstd::QArray;
using kiln::qstd::QObArray;

QObArray<CardRow> readCardRows(CardDatabase& database) {
    QObArray<CardRow> rows;
    CardStatement statement = database.prepare(kTreeRowsSql);
    while (statement.step() == SQLITE_ROW) {
        rows.Add(new CardRow{statement.getId(0), statement.getText(1), statement.getId(2)});
    }
    return rows;
}

CardHierarchy::CardHierarchy(const QObArray<CardRow>& rows) : firstChildOf(rows.GetCount()) {
    const unsigned count = rows.GetCount();
    links.SetCapacity(count);
    for (unsigned i = 0; i < count; ++i) links.Add(Link{rows[i]->id, -1, -1, false});
    // Walking the rows backwards and putting each in front of its siblings
    // leaves every list of children in the order of the rows.
    for (unsigned i = count; i-- > 0;) {
        const CardId parent = rows[i]->parent;
        links[i].nextSibling = firstChildOf.find(parent);
        firstChildOf.set(parent, static_cast<int>(i));
    }
    // Looked up here in one pass over the rows, where the lookups do not
    // wait on each other, rather than one by one while walking the tree.
    for (unsigned i = 0; i < count; ++i) {
        if (links[i].id != 0) links[i].firstChild = firstChildOf.find(links[i].id);
    }
}

QArray<PlacedCard> placeCards(const QObArray<CardRow>& rows) {
    CardHierarchy hierarchy(rows);
    QArray<PlacedCard> placed;
    placed.SetCapacity(rows.GetCount());

    // One cursor per level: the row of that level being visited, or -1 once
    // the level's list of children is used up.
    QArray<int> cursors;
    cursors.Add(hierarchy.firstChild(0));
    while (!cursors.IsEmpty()) {
        const unsigned level = cursors.GetCount() - 1;
        const int row = cursors[level];
        if (row < 0) {
            cursors.RemoveAt(level, 1);
            if (level > 0) cursors[level - 1] = hierarchy.nextSibling(cursors[level - 1]);
            continue;
        }
        if (!hierarchy.claim(row)) {
            cursors[level] = hierarchy.nextSibling(row);
            continue;
        }
        placed.Add(PlacedCard{static_cast<unsigned>(row), static_cast<int>(level)});
        cursors.Add(hierarchy.firstChildOfRow(row));
    }
    return placed;
}

CardTree::CardTree(QObArray<CardRow>&& readRows) : rows(std::move(readRows)), placed(placeCards(rows)) {}

CardTree loadCardTree(CardDatabase& database) {
    return CardTree(readCardRows(database));
}

bool ensureTreeIndex(CardDatabase& database) {
    // A file without the card table says so in the engine's own words.
    database.prepare(kCardTableCheckSql);
    CardStatement exists = database.prepare(kIndexExistsSql);
    exists.bindText(1, kTreeIndexName);
    exists.step();
    if (exists.getInt(0) != 0) return true;
    exists.finalize();
    try {
        database.execute(kTreeIndexSql);
    } catch (const kiln::qstd::QError& error) {
        if ((error.code & 0xff) == SQLITE_READONLY) return false;
        throw;
    }
    return true;
}

QObArray<CardNode> readChildCards(CardDatabase& database, CardId parentId) {
    QObArray<CardNode> cards;
    CardStatement statement = database.prepareWithId(kChildCardsSql, parentId);
    while (statement.step() == SQLITE_ROW) {
        cards.Add(new CardNode{statement.getId(0), statement.getText(1), statement.getInt(2) != 0});
    }
    return cards;
}

bool readCardPath(CardDatabase& database, CardId id, QArray<CardId>& path) {
    path.RemoveAll();
    CardId card = id;
    do {
        // Meeting a card twice on the way up is a cycle that never reaches the top.
        for (unsigned i = 0; i < path.GetCount(); ++i) {
            if (path[i] == card) return false;
        }
        path.InsertAt(0, card);
        CardStatement statement = database.prepareWithId(kParentSql, card);
        if (statement.step() != SQLITE_ROW) return false;
        card = statement.getId(0);
    } while (card != 0);
    return true;
}
