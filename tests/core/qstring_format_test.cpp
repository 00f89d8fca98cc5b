#include "core/qstring.h"

#include <gtest/gtest.h>

#include <string>

#include "test_strings.h"

using kiln::qstd::QString;

namespace {

// The longest text Format produces.
constexpr int kFormatLimit = 15998;

std::wstring Digits(int length) {
    std::wstring text;
    for (int i = 0; i < length; ++i) text += static_cast<wchar_t>(L'0' + i % 10);
    return text;
}

TEST(QStringFormatTest, UsesWideConversions) {
    QString text(L"previous contents");
    text.Format(L"%s|%d|%ld|%%", L"wide", -5, 7L);
    EXPECT_STREQ(L"wide|-5|7|%", text.c_str());
}

TEST(QStringFormatTest, ArgumentsMayPointIntoTheStringItself) {
    QString text(L"abc");
    text.Format(L"[%s] [%s]", text.c_str(), text.c_str());
    EXPECT_STREQ(L"[abc] [abc]", text.c_str());
}

TEST(QStringFormatTest, FormatMayComeFromTheStringTable) {
    QString text;
    text.Format(MAKEINTRESOURCEW(IDS_CARD_COUNT_FORMAT), 3);
    EXPECT_STREQ(L"3 cards", text.c_str());
}

struct LimitCase {
    int argumentLength;
    int resultLength;
};

class FormatLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(FormatLimitTest, ResultsBeyondTheLimitAreCut) {
    const std::wstring argument = Digits(GetParam().argumentLength);
    QString text;
    text.Format(L"%s", argument.c_str());
    ASSERT_EQ(GetParam().resultLength, text.GetLength());
    EXPECT_EQ(argument.substr(0, static_cast<size_t>(GetParam().resultLength)), std::wstring(text.c_str()));
    EXPECT_LT(text.GetLength(), text.GetCapacity());
}

INSTANTIATE_TEST_SUITE_P(Lengths, FormatLimitTest,
                         ::testing::Values(LimitCase{kFormatLimit - 1, kFormatLimit - 1},
                                           LimitCase{kFormatLimit, kFormatLimit},
                                           LimitCase{kFormatLimit + 1, kFormatLimit},
                                           LimitCase{40000, kFormatLimit}));

TEST(QStringFormatTest, CutNeverSplitsASurrogatePair) {
    std::wstring argument = Digits(kFormatLimit - 1);
    argument += L"\U0001F600";
    QString text;
    text.Format(L"%s", argument.c_str());
    EXPECT_EQ(kFormatLimit - 1, text.GetLength());
    EXPECT_EQ(argument.substr(0, kFormatLimit - 1), std::wstring(text.c_str()));
}

TEST(QStringFormatTest, SystemErrorTextComesFromTheMessageTable) {
    QString missing;
    missing.FormatSystemError(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(missing.IsEmpty());
    EXPECT_EQ(-1, missing.FindNoCase(L"occured"));

    QString denied;
    denied.FormatSystemError(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(missing == denied);
}

TEST(QStringFormatTest, CodeZeroMeansTheLastError) {
    QString expected;
    expected.FormatSystemError(ERROR_ACCESS_DENIED);

    SetLastError(ERROR_ACCESS_DENIED);
    QString fromZero;
    fromZero.FormatSystemError(0);
    EXPECT_STREQ(expected.c_str(), fromZero.c_str());

    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_STREQ(expected.c_str(), QString::FromLastError().c_str());
}

TEST(QStringFormatTest, CodeWithoutSystemTextGetsTheFallbackText) {
    QString text;
    text.FormatSystemError(0x20000123);
    EXPECT_STREQ(L"Error 536871203 occured.", text.c_str());
}

struct LoadCase {
    UINT id;
    int length;
};

class LoadStringTest : public ::testing::TestWithParam<LoadCase> {};

// 255 and 511 units exactly fill the first and second rooms, so the load
// must try again with more room before it can trust the result.
TEST_P(LoadStringTest, LoadsTheWholeString) {
    QString text(L"previous");
    ASSERT_TRUE(text.LoadString(GetParam().id));
    EXPECT_EQ(GetParam().length, text.GetLength());
    EXPECT_EQ(Digits(GetParam().length), std::wstring(text.c_str()));
}

INSTANTIATE_TEST_SUITE_P(Lengths, LoadStringTest,
                         ::testing::Values(LoadCase{IDS_FILLS_FIRST_ROOM, 255}, LoadCase{IDS_FILLS_SECOND_ROOM, 511},
                                           LoadCase{IDS_LONG_TEXT, 600}));

TEST(QStringLoadTest, MissingStringLoadsNothing) {
    QString text(L"previous");
    EXPECT_FALSE(text.LoadString(IDS_MISSING));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(QStringLoadTest, ResourceIdentifierInPlaceOfTextIsLoaded) {
    const QString constructed(MAKEINTRESOURCEW(IDS_CARD_TITLE));
    EXPECT_STREQ(L"Card title", constructed.c_str());

    QString assigned(L"x");
    assigned = MAKEINTRESOURCEW(IDS_LONG_TEXT);
    EXPECT_EQ(600, assigned.GetLength());

    QString appended(L"> ");
    appended.Append(MAKEINTRESOURCEW(IDS_CARD_TITLE));
    EXPECT_STREQ(L"> Card title", appended.c_str());
}

struct MultiByteCase {
    const char* bytes;
    int byteLength;
    UINT codePage;
    const wchar_t* expected;
};

class MultiByteConstructionTest : public ::testing::TestWithParam<MultiByteCase> {};

TEST_P(MultiByteConstructionTest, ConvertsToUtf16) {
    const MultiByteCase& c = GetParam();
    const QString text(c.bytes, c.byteLength, c.codePage);
    EXPECT_STREQ(c.expected, text.c_str());
    EXPECT_EQ(static_cast<int>(wcslen(c.expected)), text.GetLength());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MultiByteConstructionTest,
    ::testing::Values(MultiByteCase{"K\xC3\xA4rtchen", -1, CP_UTF8, L"K\u00E4rtchen"},
                      MultiByteCase{"abcdef", 3, CP_UTF8, L"abc"},
                      MultiByteCase{"\xE6\x97\xA5\xE6\x9C\xAC", -1, CP_UTF8, L"\u65E5\u672C"},
                      MultiByteCase{"\xF0\x9F\x98\x80", 4, CP_UTF8, L"\U0001F600"},
                      MultiByteCase{"caf\xE9", -1, 1252, L"caf\u00E9"}, MultiByteCase{"", -1, CP_UTF8, L""},
                      MultiByteCase{"abc", 0, CP_UTF8, L""}, MultiByteCase{nullptr, -1, CP_UTF8, L""}));

}  // namespace
