#include "store/card_branch.h"

#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/card_tree.h"
#include "store/transaction.h"

std::vector<BranchCardRow> readBranch(CardDatabase& database, CardId id) {
    if (id != 0) store::requireCard(database, id);
    const CardTree tree = loadCardTree(database);
    std::vector<BranchCardRow> branch;
    unsigned index = 0;
    int top = 0;
    if (id != 0) {
        while (index < tree.getCount() && tree.getCard(index).id != id) ++index;
        if (index == tree.getCount()) {
            throw kiln::qstd::QError(L"The card is not in the tree: it is below a missing card or in a cycle of parents.");
        }
        top = tree.getDepth(index);
    }
    for (; index < tree.getCount(); ++index) {
        const int depth = tree.getDepth(index) - top;
        if (id != 0 && !branch.empty() && depth <= 0) break;
        branch.push_back(BranchCardRow{tree.getCard(index).id, tree.getCard(index).title, depth});
    }
    return branch;
}

namespace {

// Depth first with a stack of its own: a folder tree can be deeper than the
// thread's stack would like.
template <typename Visit>
void visitBelow(CardId parentId, const NewCardBranch& branch, const Visit& visit) {
    struct Pending {
        CardId parent;
        const NewCardBranch* card;
    };
    std::vector<Pending> pending;
    for (auto child = branch.children.rbegin(); child != branch.children.rend(); ++child) {
        pending.push_back(Pending{parentId, &*child});
    }
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        const CardId id = visit(next.parent, *next.card);
        if (id == 0) return;
        for (auto child = next.card->children.rbegin(); child != next.card->children.rend(); ++child) {
            pending.push_back(Pending{id, &*child});
        }
    }
}

}  // namespace

unsigned countBranchCards(const NewCardBranch& branch) {
    unsigned count = 1;
    visitBelow(1, branch, [&](CardId, const NewCardBranch&) {
        ++count;
        return CardId(1);
    });
    return count;
}

CardId addCardBranch(CardDatabase& database, CardId parentId, const NewCardBranch& branch,
                     const std::function<bool(unsigned made)>& keepGoing) {
    Transaction transaction(database);
    unsigned made = 0;
    bool stopped = false;
    const auto make = [&](CardId parent, const NewCardBranch& card) -> CardId {
        if (keepGoing && !keepGoing(made)) {
            stopped = true;
            return 0;
        }
        const CardId id = store::addCard(database, parent);
        database.rename(card.title, id);
        database.saveCardContent(card.txt, card.rtf, id);
        ++made;
        return id;
    };
    const CardId id = make(parentId, branch);
    if (id == 0) return 0;
    visitBelow(id, branch, make);
    if (stopped) return 0;
    transaction.commit();
    return id;
}
