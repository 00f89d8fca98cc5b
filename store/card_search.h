#pragma once

#include "core/qobarray.h"
#include "core/qstring.h"
#include "store/card_database.h"
#include "store/card_id.h"

struct SearchResult {
    CardId id;
    kiln::qstd::QString title;
};

// The search text as a LIKE pattern that matches only itself: the wildcards
// '%' and '_' and the escape character '\' each get a '\' in front.
kiln::qstd::QString escapeLikeText(const kiln::qstd::QString& text);

// The cards whose plain text contains text anywhere or whose title begins
// with it, ASCII letters matched without regard to case; each card once, in
// the engine's order. The text is bound, never spliced into the statement,
// so an apostrophe or a percent sign is searched for like any other
// character.
kiln::qstd::QObArray<SearchResult> searchCards(CardDatabase& database, const kiln::qstd::QString& text);
