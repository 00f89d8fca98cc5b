#include "core/qstring.h"

#include <gtest/gtest.h>

#include <string>

using kiln::qstd::QString;

namespace {

std::wstring Repeat(wchar_t unit, int count) {
    return std::wstring(static_cast<size_t>(count), unit);
}

TEST(QStringTest, DefaultStringHasNoBlockAndReadsAsEmptyText) {
    const QString empty;
    EXPECT_EQ(0, empty.GetLength());
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(0, empty.GetCapacity());
    ASSERT_NE(nullptr, empty.c_str());
    EXPECT_STREQ(L"", empty.c_str());
    EXPECT_STREQ(L"", static_cast<const wchar_t*>(empty));
}

TEST(QStringTest, NullPointerGivesEmptyStringWithoutBlock) {
    const QString fromNull(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(0, fromNull.GetCapacity());
    EXPECT_STREQ(L"", fromNull.c_str());

    QString assigned(L"text");
    assigned = static_cast<const wchar_t*>(nullptr);
    EXPECT_TRUE(assigned.IsEmpty());
}

struct RoundingCase {
    int length;
    int capacity;
};

class CapacityRoundingTest : public ::testing::TestWithParam<RoundingCase> {};

TEST_P(CapacityRoundingTest, ConstructionAndGetBufferUseTheRoundedCapacity) {
    const RoundingCase& c = GetParam();
    const std::wstring text = Repeat(L'x', c.length);

    const QString constructed(text.c_str());
    EXPECT_EQ(c.length, constructed.GetLength());
    EXPECT_EQ(c.capacity, constructed.GetCapacity());
    EXPECT_EQ(0, constructed.c_str()[c.length]);

    QString buffer;
    const wchar_t* room = buffer.GetBuffer(c.length);
    EXPECT_EQ(c.capacity, buffer.GetCapacity());
    EXPECT_EQ(c.length, buffer.GetLength());
    for (int i = 0; i <= c.length; ++i) ASSERT_EQ(0, room[i]) << "unit " << i;
}

INSTANTIATE_TEST_SUITE_P(Steps, CapacityRoundingTest,
                         ::testing::Values(RoundingCase{0, 16}, RoundingCase{14, 16}, RoundingCase{15, 32},
                                           RoundingCase{30, 32}, RoundingCase{31, 64}, RoundingCase{62, 64},
                                           RoundingCase{63, 128}, RoundingCase{126, 128}, RoundingCase{127, 256},
                                           RoundingCase{254, 256}, RoundingCase{255, 320}, RoundingCase{318, 320},
                                           RoundingCase{319, 384}, RoundingCase{383, 448}, RoundingCase{446, 448},
                                           RoundingCase{447, 512}, RoundingCase{510, 512}, RoundingCase{511, 520},
                                           RoundingCase{512, 528}, RoundingCase{519, 528}, RoundingCase{520, 536},
                                           RoundingCase{600, 616}, RoundingCase{1000, 1016}));

struct AppendCase {
    int initialLength;
    int appendedLength;
    int capacityAfter;
};

class AppendGrowthTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendGrowthTest, GrowsToExactlyTheRoundedCapacityOfTheNewLength) {
    const AppendCase& c = GetParam();
    QString text(Repeat(L'a', c.initialLength).c_str());
    text.Append(Repeat(L'b', c.appendedLength).c_str());

    EXPECT_EQ(c.capacityAfter, text.GetCapacity());
    EXPECT_STREQ((Repeat(L'a', c.initialLength) + Repeat(L'b', c.appendedLength)).c_str(), text.c_str());
}

INSTANTIATE_TEST_SUITE_P(Steps, AppendGrowthTest,
                         ::testing::Values(AppendCase{13, 1, 16}, AppendCase{14, 1, 32}, AppendCase{0, 40, 64},
                                           AppendCase{500, 10, 512}, AppendCase{500, 20, 536},
                                           AppendCase{1000, 1000, 2016}, AppendCase{510, 8, 528}));

TEST(QStringTest, AppendWritesInPlaceWhileTheBlockHasRoom) {
    QString text(L"abc");
    const wchar_t* before = text.c_str();
    text.Append(L"def");
    EXPECT_EQ(before, text.c_str());
    EXPECT_STREQ(L"abcdef", text.c_str());
}

TEST(QStringTest, AppendOfNothingLeavesTheStringAlone) {
    QString blockless;
    blockless.Append(L"");
    blockless.Append(nullptr);
    EXPECT_EQ(0, blockless.GetCapacity());

    QString text(L"abc");
    text.Append(L"");
    EXPECT_STREQ(L"abc", text.c_str());
}

TEST(QStringTest, AppendOfItsOwnCharactersSurvivesGrowth) {
    QString text(Repeat(L'q', 14).c_str());
    text.Append(text.c_str());
    EXPECT_EQ(32, text.GetCapacity());
    EXPECT_STREQ(Repeat(L'q', 28).c_str(), text.c_str());
}

TEST(QStringTest, JoinedPartsFormOneString) {
    const QString dir(L"C:\\cards");
    const QString none;
    EXPECT_STREQ(L"C:\\cards\\", (dir + L'\\').c_str());
    EXPECT_STREQ(L"C:\\cards\\x.data", (dir + L"\\x.data").c_str());
    EXPECT_STREQ(L"path: C:\\cards", (L"path: " + dir).c_str());
    EXPECT_STREQ(L"C:\\cardsC:\\cards", (dir + dir).c_str());
    EXPECT_STREQ(L"", (none + none).c_str());
    EXPECT_STREQ(L"C:\\cards", (dir + static_cast<const wchar_t*>(nullptr)).c_str());
}

TEST(QStringTest, AssignmentFromTextReusesTheOwnBlockWhenItFits) {
    QString text(Repeat(L'z', 20).c_str());
    const wchar_t* block = text.c_str();
    text = L"short";
    EXPECT_EQ(block, text.c_str());
    EXPECT_EQ(32, text.GetCapacity());
    EXPECT_STREQ(L"short", text.c_str());

    text = Repeat(L'y', 40).c_str();
    EXPECT_EQ(64, text.GetCapacity());
    EXPECT_STREQ(Repeat(L'y', 40).c_str(), text.c_str());
}

TEST(QStringTest, AssignmentFromItsOwnTailMovesTheCharactersDown) {
    QString text(L"abcdef");
    text = text.c_str() + 2;
    EXPECT_STREQ(L"cdef", text.c_str());
    EXPECT_EQ(4, text.GetLength());
}

TEST(QStringTest, EmptyKeepsTheBlockAndItsCapacity) {
    QString text(Repeat(L'e', 40).c_str());
    text.Empty();
    EXPECT_EQ(0, text.GetLength());
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(64, text.GetCapacity());
    EXPECT_STREQ(L"", text.c_str());
}

TEST(QStringTest, GetBufferDiscardsTheOldContents) {
    QString text(L"old contents");
    wchar_t* room = text.GetBuffer(3);
    EXPECT_EQ(3, text.GetLength());
    EXPECT_EQ(0, room[0]);
    room[0] = L'n';
    room[1] = L'e';
    room[2] = L'w';
    EXPECT_STREQ(L"new", text.c_str());

    text.GetBuffer(-5);
    EXPECT_EQ(0, text.GetLength());
}

struct TrimCase {
    const wchar_t* input;
    const wchar_t* expected;
};

class TrimTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimTest, RemovesWhiteSpaceAtBothEnds) {
    QString text(GetParam().input);
    text.Trim();
    EXPECT_STREQ(GetParam().expected, text.c_str());
    EXPECT_EQ(static_cast<int>(wcslen(GetParam().expected)), text.GetLength());
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimTest,
                         ::testing::Values(TrimCase{L"  a b  ", L"a b"}, TrimCase{L"   ", L""}, TrimCase{L"", L""},
                                           TrimCase{L"\t\r\nx\n", L"x"}, TrimCase{L" lead", L"lead"},
                                           TrimCase{L"trail ", L"trail"}, TrimCase{L"a  b", L"a  b"},
                                           TrimCase{L"x", L"x"}));

TEST(QStringTest, TrimOfBlocklessStringStaysBlockless) {
    QString empty;
    empty.Trim();
    EXPECT_EQ(0, empty.GetCapacity());
}

struct MidCase {
    int start;
    const wchar_t* expected;
};

class MidTest : public ::testing::TestWithParam<MidCase> {};

TEST_P(MidTest, TakesTheUnitsFromStartToTheEnd) {
    const QString text(L"abcdef");
    const QString tail = text.Mid(GetParam().start);
    EXPECT_STREQ(GetParam().expected, tail.c_str());
    EXPECT_STREQ(L"abcdef", text.c_str());
}

// Starts outside 0..length are clamped rather than read past the block.
INSTANTIATE_TEST_SUITE_P(Cases, MidTest,
                         ::testing::Values(MidCase{2, L"cdef"}, MidCase{0, L"abcdef"}, MidCase{5, L"f"},
                                           MidCase{6, L""}, MidCase{10, L""}, MidCase{-3, L"abcdef"}));

struct FindCase {
    const wchar_t* text;
    const wchar_t* sought;
    int index;
};

class FindNoCaseTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindNoCaseTest, FindsTheFirstMatchFoldingAsciiLetters) {
    const QString text(GetParam().text);
    EXPECT_EQ(GetParam().index, text.FindNoCase(GetParam().sought));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindNoCaseTest,
    ::testing::Values(FindCase{L"Report.DOCX", L".docx", 6}, FindCase{L"a.doc", L".docx", -1},
                      FindCase{L"x.DOCX.rtf", L".docx", 1}, FindCase{L"aaab", L"AAB", 1},
                      FindCase{L"ABCabc", L"ca", 2}, FindCase{L"abc", L"", 0}, FindCase{L"", L"a", -1},
                      FindCase{L"abc", L"abcd", -1}, FindCase{L"\u00C4BC", L"\u00E4bc", -1},
                      FindCase{L"abc", nullptr, -1}));

struct CompareCase {
    const wchar_t* left;
    const wchar_t* right;
    int sign;
};

class CompareNoCaseTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareNoCaseTest, FoldsOnlyAsciiLetters) {
    const int result = QString(GetParam().left).CompareNoCase(QString(GetParam().right));
    const int sign = (result > 0) - (result < 0);
    EXPECT_EQ(GetParam().sign, sign);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareNoCaseTest,
                         ::testing::Values(CompareCase{L"C:\\Data\\x.data", L"c:\\data\\X.DATA", 0},
                                           CompareCase{L"abc", L"ABD", -1}, CompareCase{L"abd", L"ABC", 1},
                                           CompareCase{L"ab", L"abc", -1}, CompareCase{L"\u00C4", L"\u00E4", -1},
                                           CompareCase{L"", L"", 0}));

TEST(QStringEqualityTest, BlocklessStringsEqualOnlyThemselves) {
    const QString first;
    const QString second;
    EXPECT_FALSE(first == second);
    EXPECT_TRUE(first != second);
    EXPECT_TRUE(first == first);
    EXPECT_FALSE(first != first);
    EXPECT_FALSE(first == QString(L""));
}

TEST(QStringEqualityTest, StringsWithBlocksCompareTheirUnits) {
    EXPECT_TRUE(QString(L"") == QString(L""));
    EXPECT_TRUE(QString(L"abc") == QString(L"abc"));
    EXPECT_FALSE(QString(L"abc") == QString(L"abd"));
    EXPECT_FALSE(QString(L"abc") == QString(L"ab"));
    EXPECT_TRUE(QString(L"abc") != QString(L"ABC"));
}

}  // namespace
