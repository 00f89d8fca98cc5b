#pragma once

#include "core/qarray.h"
#include "core/qbuffer.h"
#include "core/qstring.h"
#include "store/card_database.h"
#include "store/card_id.h"

// The changes a user makes to cards, over an open card database. The main
// window joins them to the tree and the tabs; the companion program calls
// them directly. Every failure raises QError.
namespace store {

// Shown when a card would become a descendant of itself.
inline constexpr const wchar_t* kMoveRefusedMessage = L"You can't put parent node into it's childs!";

// Replaces any file at path with an empty card database and leaves it open.
void createCardDatabase(CardDatabase& database, const kiln::qstd::QString& path);
// Raises the engine's error when the open file holds no card table (not a
// database at all, or a database of something else). Reads only.
void checkCardTable(CardDatabase& database);

bool cardExists(CardDatabase& database, CardId id);
// Raises "There is no card with the id N." for a card that does not exist.
void requireCard(CardDatabase& database, CardId id);

// A new card without title or content, at the top level when parentId is 0;
// returns its id. A parent the tree does not show is refused as a move to it
// is, and a file that has given out its last id says so.
CardId addCard(CardDatabase& database, CardId parentId);
// The same with a title, written together: a card is never left without the
// title its tree item shows.
CardId addCard(CardDatabase& database, CardId parentId, const kiln::qstd::QString& title);
// The same with the card's content too, all in one transaction: a card made
// from a file is never left behind empty.
CardId addCard(CardDatabase& database, CardId parentId, const kiln::qstd::QString& title,
               const kiln::qstd::QString& txt, const kiln::qstd::QBuffer& rtf);
// Stores the title trimmed of white space at both ends and returns what was stored.
kiln::qstd::QString renameCard(CardDatabase& database, CardId id, const kiln::qstd::QString& title);
// Whether the card may go under newParentId (0: the top level) without
// becoming its own ancestor.
bool isMoveAllowed(CardDatabase& database, CardId id, CardId newParentId);
// Whether the tree shows the card: its parents lead up to the top level
// (0, the top level itself, is shown), without a missing card or a cycle.
bool isShownInTree(CardDatabase& database, CardId id);
// Changes only the card's own parent; its descendants travel with it. A
// parent that the tree does not show is refused: the card would vanish.
void moveCard(CardDatabase& database, CardId id, CardId newParentId);
// Deletes the card and everything below it, leaves first, in one
// transaction; returns the ids in the order they were deleted. On failure no
// card is deleted.
kiln::qstd::QArray<CardId> deleteCard(CardDatabase& database, CardId id);
// How many cards the delete of the card would remove besides it.
unsigned countDescendants(CardDatabase& database, CardId id);
// Empties the table and forgets the ids handed out, so the next card gets id 1.
void deleteAllCards(CardDatabase& database);
// The card's stored RTF bytes (empty for a card never saved).
kiln::qstd::QBuffer loadCardContent(CardDatabase& database, CardId id);
// The card's plain text, as the search sees it.
kiln::qstd::QString loadCardText(CardDatabase& database, CardId id);

}  // namespace store
