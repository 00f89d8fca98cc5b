#include "store/card_search.h"

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
