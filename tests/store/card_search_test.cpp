// Search: text anywhere in the plain text, or the title's beginning; the
// typed text is matched literally, whatever characters it holds.
#include <string>
#include <vector>

#include "store/card_search.h"
#include "test_database.h"

using kiln::qstd::QObArray;

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
