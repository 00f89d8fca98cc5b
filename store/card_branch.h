#pragma once

#include <functional>
#include <vector>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "store/card_database.h"
#include "store/card_id.h"

// A card of a branch in the order the tree shows it, with its depth below
// the branch's top card (0).
struct BranchCardRow {
    CardId id;
    kiln::qstd::QString title;
    int depth;
};

// The card and every card below it, depth first as the tree shows them;
// for id 0 every card the tree shows, top-level cards at depth 0. Raises
// QError for a card that does not exist, and for one the tree cannot show
// (below a missing card or in a cycle of parents), whose branch has no
// shape to give.
std::vector<BranchCardRow> readBranch(CardDatabase& database, CardId id);

// A card to be made with the cards below it, as a folder of files gives them.
struct NewCardBranch {
    kiln::qstd::QString title;
    kiln::qstd::QString txt;
    kiln::qstd::QBuffer rtf;
    std::vector<NewCardBranch> children;
};

// The number of cards the branch makes: its top card and all below it.
unsigned countBranchCards(const NewCardBranch& branch);

// Makes the card under parentId (0: the top level) and every card below it,
// children in the order given, in one transaction: a failure leaves the file
// as it was. Returns the new top card's id.
//
// keepGoing, when given, is asked before each card with how many are made
// so far; once it says no, nothing is kept and 0 is returned.
CardId addCardBranch(CardDatabase& database, CardId parentId, const NewCardBranch& branch,
                     const std::function<bool(unsigned made)>& keepGoing = nullptr);
