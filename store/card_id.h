#pragma once

#include <sqlite3.h>

#include <cstdint>

#include "core/qstring.h"

// A card's id as the file holds it: the table's 64-bit integer key.
using CardId = sqlite3_int64;

// The window keeps a card's id in a 32-bit item value and widens it without
// sign, so it can name the cards 0 to 4294967295. An id outside that range is
// refused with a message, never cut onto another card.
bool fitsItemValue(CardId id);
// Raises QError ("The card id N cannot be shown: ...") for an id that does not fit.
uint32_t cardIdToItemValue(CardId id);
CardId cardIdFromItemValue(uint32_t value);

// The id in decimal, as the companion prints it and the messages name it.
kiln::qstd::QString cardIdText(CardId id);
