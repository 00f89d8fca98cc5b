#include "store/card_search.h"

#include <cstdio>

#include "store/literal_pattern.h"

using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

// Every row in the table's order, which is the order LIKE's scan returns
// them in; the matching is done here.
const char kSearchRowsSql[] = "SELECT id, title, txt FROM tab";

bool isLikeSpecial(wchar_t c) {
    return c == L'%' || c == L'_' || c == L'\\';
}

}  // namespace

QString escapeLikeText(const QString& text) {
    const int length = text.GetLength();
    int specials = 0;
    for (int i = 0; i < length; ++i) {
        if (isLikeSpecial(text.c_str()[i])) ++specials;
    }
    if (specials == 0) return text;
    QString escaped;
    wchar_t* out = escaped.GetBuffer(length + specials);
    for (int i = 0; i < length; ++i) {
        const wchar_t c = text.c_str()[i];
        if (isLikeSpecial(c)) *out++ = L'\\';
        *out++ = c;
    }
    return escaped;
}

QObArray<SearchResult> searchCards(CardDatabase& database, const QString& text) {
    const LiteralPattern pattern(text);
    CardStatement rows = database.prepare(kSearchRowsSql);
    sqlite3_stmt* row = rows.getHandle();
    QObArray<SearchResult> results;
    while (rows.step() == SQLITE_ROW) {
        const unsigned char* title = sqlite3_column_text(row, 1);
        const size_t titleSize = static_cast<size_t>(sqlite3_column_bytes(row, 1));
        const unsigned char* txt = sqlite3_column_text(row, 2);
        const size_t txtSize = static_cast<size_t>(sqlite3_column_bytes(row, 2));
        if (pattern.IsPrefixOf(title, titleSize) || pattern.IsFoundIn(txt, txtSize)) {
            results.Add(new SearchResult{rows.getId(0), rows.getText(1)});
        }
    }
    return results;
}

void fitPageCacheToDatabase(CardDatabase& database, sqlite3_int64 bound) {
    CardStatement pages = database.prepare("PRAGMA page_count");
    pages.step();
    CardStatement size = database.prepare("PRAGMA page_size");
    size.step();
    const sqlite3_int64 pageSize = size.getInt64(0) > 0 ? size.getInt64(0) : 4096;
    sqlite3_int64 cached = pages.getInt64(0) + kSpareCachePages;
    if (cached > bound / pageSize) cached = bound / pageSize;
    // Counted in pages: a size in bytes would also have to cover the
    // engine's few hundred bytes of bookkeeping per page, and a cache even
    // slightly smaller than the file keeps nothing of a scan through it.
    char sql[64];
    std::snprintf(sql, sizeof sql, "PRAGMA cache_size = %lld", static_cast<long long>(cached));
    database.execute(sql);
}
