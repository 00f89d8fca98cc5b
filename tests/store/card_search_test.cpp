// Search: text anywhere in the plain text, or the title's beginning; the
// typed text is matched literally, whatever characters it holds.
#include <string>
#include <vector>

#include "store/card_search.h"
#include "store/transaction.h"
#include "test_database.h"

using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

class CardSearch : public TestDatabaseFile {
protected:
    void SetUp() override {
        TestDatabaseFile::SetUp();
        createCards();
    }

    // "id:title" of every result, in result order.
    std::wstring search(const wchar_t* text) {
        const QObArray<SearchResult> results = searchCards(database, text);
        std::wstring found;
        for (unsigned i = 0; i < results.GetCount(); ++i) {
            if (!found.empty()) found += L' ';
            found += std::to_wstring(results[i]->id) + L":" + wide(results[i]->title);
        }
        return found;
    }

    // "id:title" of every card the engine's LIKE finds for text matched
    // literally, in result order.
    std::wstring likeFinds(const wchar_t* text) {
        const QString pattern = escapeLikeText(text);
        CardStatement like =
            database.prepare("SELECT id, title FROM tab WHERE txt LIKE ? ESCAPE '\\' OR title LIKE ? ESCAPE '\\'");
        like.bindText(1, L"%" + pattern + L"%");
        like.bindText(2, pattern + L"%");
        std::wstring found;
        while (like.step() == SQLITE_ROW) {
            if (!found.empty()) found += L' ';
            found += std::to_wstring(like.getId(0)) + L":" + wide(like.getText(1));
        }
        return found;
    }
};

TEST_F(CardSearch, FindsTextAnywhereAndTitlesByTheirBeginning) {
    insertRow(1, L"first", 0, L"xABCy");
    insertRow(2, L"Abcdef", 0, L"nothing");
    insertRow(3, L"xabc", 0, L"nothing");
    insertRow(4, L"abc both", 0, L"abc too");
    insertRow(5, L"", 0, L"an abc without title");

    EXPECT_EQ(L"1:first 2:Abcdef 4:abc both 5:", search(L"abc"));
}

TEST_F(CardSearch, MatchesSpecialCharactersLiterally) {
    insertRow(1, L"quote", 0, L"it's here");
    insertRow(2, L"percent", 0, L"50% off");
    insertRow(3, L"words", 0, L"50 percent off");
    insertRow(4, L"underscore", 0, L"a_c");
    insertRow(5, L"letters", 0, L"abc");
    insertRow(6, L"backslash", 0, L"C:\\data");
    insertRow(7, L"C:data", 0, L"");

    const struct {
        const wchar_t* text;
        const wchar_t* found;
    } cases[] = {
        {L"it's", L"1:quote"},
        {L"'", L"1:quote"},
        {L"50%", L"2:percent"},
        {L"%", L"2:percent"},
        {L"a_c", L"4:underscore"},
        {L"_", L"4:underscore"},
        {L"C:\\d", L"6:backslash"},
        {L"\\", L"6:backslash"},
        {L"' OR 1=1 --", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.found), search(c.text)) << c.text;
    }
}

TEST_F(CardSearch, FoldsOnlyAsciiLetters) {
    insertRow(1, L"Ärger", 0, L"Straße");
    insertRow(2, L"ärger", 0, L"STRASSE");
    insertRow(3, L"Письмо", 0, L"卡片 text");

    const struct {
        const wchar_t* text;
        const wchar_t* found;
    } cases[] = {
        {L"Ärger", L"1:Ärger"},
        {L"ärg", L"2:ärger"},
        {L"straße", L"1:Ärger"},
        {L"strasse", L"2:ärger"},
        {L"Пис", L"3:Письмо"},
        {L"пис", L""},
        {L"卡片 TEXT", L"3:Письмо"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.found), search(c.text)) << c.text;
    }
}

// The search's own matching against the engine's LIKE with the escaped
// pattern, on texts where the two could part: letter case, letters outside
// ASCII (never folded), the wildcards and the escape character, an
// apostrophe, matches at the very start and end, empty and missing values.
TEST_F(CardSearch, FindsExactlyWhatLikeFindsOnTrickyTexts) {
    insertRow(1, L"Apple pie", 0, L"The QUICK brown fox");
    insertRow(2, L"", 0, L"no title, quick");
    insertRow(3, nullptr, 0, L"quick at the end: quick");
    insertRow(4, L"\u00c4rger", 0, L"Stra\u00dfe \u00c4RGER \u00e4rger");
    insertRow(5, L"50% off", 0, L"it's 100% a_b c\\d");
    insertRow(6, L"\u041f\u043e\u0434", 0, L"\u041f\u041e\u0414 \u043f\u043e\u0434");
    insertRow(7, L"empty text", 0, L"");
    insertRow(8, L"quick start", 0, L"quick");
    insertRow(9, L"\u00dcn\u00efcode", 0, L"\u65e5\u672c\u8a9e \U0001F600 emoji");
    database.execute("INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (10, 'QUICK null', 0, '', NULL, '')");
    database.execute("INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (11, NULL, 0, '', NULL, '')");
    // Text that goes on past a NUL, which ends it for LIKE.
    database.execute("INSERT INTO tab (id, title, parent, position, txt, rtf) "
                     "VALUES (12, 'nul' || char(0) || 'hidden', 0, '', 'seen' || char(0) || 'hidden quick', '')");

    const wchar_t* const texts[] = {
        L"quick", L"QUICK", L"Quick brown", L"k", L"T", L"the", L"fox", L"e", L" ", L"",
        L"\u00e4rger", L"\u00c4RGER", L"\u00c4rger", L"stra\u00dfe", L"STRASSE", L"%", L"_", L"\\", L"'",
        L"it's", L"a_b", L"axb", L"c\\d", L"100%", L"50%", L"50", L"\u043f\u043e\u0434",
        L"\u041f\u041e\u0414", L"\u041f\u043e\u0434", L"\u65e5\u672c", L"\U0001F600", L"\u00fcn\u00ef",
        L"\u00dcN\u00cf", L"empty", L"null", L"quick at the end: quick", L"end: quick!",
        L"seen", L"hidden", L"nul", L"nulhidden", L"n",
    };
    for (const wchar_t* text : texts) {
        EXPECT_EQ(likeFinds(text), search(text)) << text;
    }
}

// The matching looks at sixteen places of a text per step and at the last
// few one by one: every word below stands at every place of texts of every
// length around those steps. Near misses share the first and last byte of a
// search text, and "@x{" differs from "`x[" only in the bit that tells an
// ASCII letter's case.
TEST_F(CardSearch, FindsExactlyWhatLikeFindsAtEveryPlaceOfLongTexts) {
    const std::wstring words[] = {L"QuIcK", L"qUaCk", L"@x{", L"`x[", L"quickquickquickquickquick"};
    CardId id = 1;
    Transaction transaction(database);
    for (size_t size = 1; size <= 42; ++size) {
        for (const std::wstring& word : words) {
            for (size_t at = 0; at + word.size() <= size; ++at) {
                std::wstring text(size, L'z');
                text.replace(at, word.size(), word);
                insertRow(id, std::to_wstring(id).c_str(), 0, text.c_str());
                ++id;
            }
        }
    }
    transaction.commit();

    const wchar_t* const texts[] = {
        L"quick", L"QUACK", L"q", L"K", L"ck", L"zq", L"kz", L"@x{", L"`x[", L"@", L"{",
        L"quickquickquickquick", L"kquickquickquickquickq", L"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz",
    };
    for (const wchar_t* text : texts) {
        EXPECT_EQ(likeFinds(text), search(text)) << text;
    }
}

TEST(LikeEscape, EscapesTheWildcardsAndTheEscapeCharacter) {
    const struct {
        const wchar_t* text;
        const wchar_t* escaped;
    } cases[] = {
        {L"", L""}, {L"plain", L"plain"}, {L"50%", L"50\\%"}, {L"a_b", L"a\\_b"}, {L"\\", L"\\\\"},
        {L"%_\\%", L"\\%\\_\\\\\\%"}, {L"it's", L"it's"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(c.escaped), wide(escapeLikeText(c.text))) << c.text;
    }
}

}  // namespace
