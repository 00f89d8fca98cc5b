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
// '%' and '_' and the escape character '\' each get a '\' in front. The
// search's own matching is held to what LIKE with this pattern finds.
kiln::qstd::QString escapeLikeText(const kiln::qstd::QString& text);

// The cards whose plain text contains text anywhere or whose title begins
// with it, ASCII letters matched without regard to case; each card once, in
// the order of the table. The text is matched literally, never spliced into
// a statement, so an apostrophe or a percent sign is searched for like any
// other character. The matching is the program's own: the engine's LIKE
// took five times as long as reading the text.
kiln::qstd::QObArray<SearchResult> searchCards(CardDatabase& database, const kiln::qstd::QString& text);

// The most memory of file pages a searching connection keeps. A scan through
// a file larger than its cache finds none of its pages there (the oldest
// page is always the one dropped), so the bound has to hold whole files:
// 100,000 cards of 2 KB of text fill 100,000 pages of 4 KB, about 410 MB.
// A 64-bit process keeps up to 1 GiB; a 32-bit one, whose address space is
// 2 GB, up to 512 MiB, which leaves it well over a gigabyte for the rest.
inline constexpr sqlite3_int64 kSearchCacheBound = sqlite3_int64(sizeof(void*) == 8 ? 1024 : 512) << 20;
// Pages beyond the file's present size, for the cards added while searching.
inline constexpr sqlite3_int64 kSpareCachePages = 256;

// Sizes the connection's page cache to hold the whole file, up to bound
// bytes of pages, so that repeated scans read each page from the file only
// once. The engine takes the memory only as pages are read.
void fitPageCacheToDatabase(CardDatabase& database, sqlite3_int64 bound);
