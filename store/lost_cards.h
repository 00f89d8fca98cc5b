#pragma once

#include "core/qobarray.h"
#include "store/card_database.h"
#include "store/card_id.h"
#include "store/card_tree.h"

// Cards the tree cannot show: below a card that does not exist, or in a
// cycle of parents. The tree leaves them out; these find them and bring them
// back.
namespace store {

// The title of the top-level card that rescued cards go under.
inline constexpr const wchar_t* kRecoveredCardsTitle = L"Recovered cards";

// The cards the tree cannot show, by id.
kiln::qstd::QObArray<CardRow> findLostCards(CardDatabase& database);

// Puts the cards the tree cannot show under a new top-level card "Recovered
// cards", in one transaction. As few cards move as bring every one back: each
// card whose parent is missing, and one card of each cycle; the cards below
// them keep their places. Returns the new card's id, or 0 when no card was
// lost (nothing is then changed).
CardId rescueLostCards(CardDatabase& database);

}  // namespace store
