#include "store/card_search.h"

#include <cstdio>

using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

const char kSearchSql[] =
    "SELECT id, title FROM tab WHERE txt LIKE ? ESCAPE '\\' OR title LIKE ? ESCAPE '\\'";

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
    const QString pattern = escapeLikeText(text);
    CardStatement statement = database.prepare(kSearchSql);
    statement.bindText(1, L"%" + pattern + L"%");
    statement.bindText(2, pattern + L"%");
    QObArray<SearchResult> results;
    while (statement.step() == SQLITE_ROW) {
        results.Add(new SearchResult{statement.getId(0), statement.getText(1)});
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
