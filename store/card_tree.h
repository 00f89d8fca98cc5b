#pragma once

#include "core/qarray.h"
#include "core/qobarray.h"
#include "core/qstring.h"
#include "store/card_database.h"
#include "store/card_id.h"
#include "store/id_map.h"

// One row of the hierarchy query: what the tree shows of a card.
struct CardRow {
    CardId id;
    kiln::qstd::QString title;
    CardId parent;
};

// A card placed in the tree: its row and how deep it sits (0 at the top level).
struct PlacedCard {
    unsigned row;
    int depth;
};

// Every row of the table in the order the hierarchy query returns them:
// sorted by parent, rows of equal parent in the engine's order.
kiln::qstd::QObArray<CardRow> readCardRows(CardDatabase& database);

// Which rows are whose children, in the order of the rows. A parent id of 0
// means the top level, so a card whose own id is 0 never has children.
class CardHierarchy {
public:
    explicit CardHierarchy(const kiln::qstd::QObArray<CardRow>& rows);

    // Index of the first row whose parent is parentId, or -1.
    int firstChild(CardId parentId) const { return firstChildOf.find(parentId); }
    // The same for the card of a row, without a lookup.
    int firstChildOfRow(unsigned row) const { return links[row].firstChild; }
    // Index of the row after row with the same parent, or -1.
    int nextSibling(unsigned row) const { return links[row].nextSibling; }
    CardId idOfRow(unsigned row) const { return links[row].id; }
    // True the first time a row is claimed: a walk that claims every row it
    // enters cannot enter one twice, even where the parent links of the
    // table go round in a cycle.
    bool claim(unsigned row) {
        if (links[row].claimed) return false;
        links[row].claimed = true;
        return true;
    }

private:
    // What walking the tree needs of a row, packed together so that a visit
    // touches one place in memory.
    struct Link {
        CardId id;
        int firstChild;
        int nextSibling;
        bool claimed;
    };

    IdMap firstChildOf;
    kiln::qstd::QArray<Link> links;
};

// The rows in the order the tree shows them: depth first, children in the
// order of the rows. Rows whose parent is missing and rows in a cycle of
// parents are never reached and so left out.
kiln::qstd::QArray<PlacedCard> placeCards(const kiln::qstd::QObArray<CardRow>& rows);

// The rows of a database together with their placement, for whoever fills a
// tree with them.
class CardTree {
public:
    explicit CardTree(kiln::qstd::QObArray<CardRow>&& readRows);

    unsigned getCount() const { return placed.GetCount(); }
    const CardRow& getCard(unsigned index) const { return *rows[placed[index].row]; }
    int getDepth(unsigned index) const { return placed[index].depth; }

private:
    kiln::qstd::QObArray<CardRow> rows;
    kiln::qstd::QArray<PlacedCard> placed;
};

CardTree loadCardTree(CardDatabase& database);

// --- Reading the tree one level at a time ---------------------------------
// A window that shows only the branches the user opened reads a level when it
// is first needed. The covering index tab(parent, id, title) answers each
// level from a few index pages instead of every page of the table.

// Creates the covering index when the file lacks it; it changes no row and
// no table. false when the file cannot be written (read-only): the tree then
// reads the table itself, correctly but slowly. Any other failure raises
// QError (the file holds no card table, say).
bool ensureTreeIndex(CardDatabase& database);

// One card as a level of the tree shows it.
struct CardNode {
    CardId id;
    kiln::qstd::QString title;
    // Whether cards lie below it; a card whose id is 0 never has children,
    // because 0 is the parent of the top level.
    bool hasChildren;
};

// The cards whose parent is parentId (0: the top level), in the order the
// whole-tree read gives them.
kiln::qstd::QObArray<CardNode> readChildCards(CardDatabase& database, CardId parentId);

// The path from the top level down to the card: its top-level ancestor
// first, the card itself last. false when the tree does not show the card
// (it does not exist, or a missing card or a cycle of parents lies above it).
bool readCardPath(CardDatabase& database, CardId id, kiln::qstd::QArray<CardId>& path);
