#include "store/card_search.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/qmultibytestr.h"

using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

// Every row in the table's order, which is the order LIKE's scan returns
// them in; the matching is done here.
const char kSearchRowsSql[] = "SELECT id, title, txt FROM tab";

unsigned char foldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// The search text as the engine's LIKE compares it with an escaped pattern:
// byte by byte in UTF-8, ASCII letters without regard to case, every other
// character exactly (a byte of a multi-byte character is never an ASCII
// letter, so folding bytes folds nothing else). Like LIKE, a value ends at
// its first NUL.
class FoldedText {
public:
    explicit FoldedText(const QString& text) {
        const kiln::qstd::QMultiByteStr utf8(text.c_str(), CP_UTF8);
        for (const char* c = utf8.c_str(); *c; ++c) {
            folded += static_cast<char>(foldAscii(static_cast<unsigned char>(*c)));
        }
        // How far the text may move on when the byte under its last one
        // does not end a match: most bytes of a card's text let it jump by
        // its whole length, so few bytes are ever looked at.
        const size_t length = folded.size();
        for (size_t& shift : shifts) shift = length;
        for (size_t i = 0; i + 1 < length; ++i) shifts[static_cast<unsigned char>(folded[i])] = length - 1 - i;
    }

    bool IsPrefixOf(const unsigned char* value, size_t size) const {
        return value && size >= folded.size() && matchesAt(value) &&
               std::memchr(value, 0, folded.size()) == nullptr;
    }

    bool IsFoundIn(const unsigned char* value, size_t size) const {
        if (!value) return false;
        const size_t length = folded.size();
        if (length == 0) return true;
        for (size_t at = 0; at + length <= size;) {
            const unsigned char last = foldAscii(value[at + length - 1]);
            if (last == static_cast<unsigned char>(folded[length - 1]) && matchesAt(value + at)) {
                // The first match counts only when no NUL ends the value before it.
                return std::memchr(value, 0, at + length) == nullptr;
            }
            at += shifts[last];
        }
        return false;
    }

private:
    bool matchesAt(const unsigned char* value) const {
        for (const char c : folded) {
            if (foldAscii(*value++) != static_cast<unsigned char>(c)) return false;
        }
        return true;
    }

    std::string folded;
    size_t shifts[256];
};

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
    const FoldedText folded(text);
    CardStatement rows = database.prepare(kSearchRowsSql);
    sqlite3_stmt* row = rows.getHandle();
    QObArray<SearchResult> results;
    while (rows.step() == SQLITE_ROW) {
        const unsigned char* title = sqlite3_column_text(row, 1);
        const size_t titleSize = static_cast<size_t>(sqlite3_column_bytes(row, 1));
        const unsigned char* txt = sqlite3_column_text(row, 2);
        const size_t txtSize = static_cast<size_t>(sqlite3_column_bytes(row, 2));
        if (folded.IsPrefixOf(title, titleSize) || folded.IsFoundIn(txt, txtSize)) {
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
