#include "core/qmultibytestr.h"

#include "core/qstring.h"

#include <gtest/gtest.h>

using kiln::qstd::QMultiByteStr;
using kiln::qstd::QString;

namespace {

TEST(QMultiByteStrTest, ConvertsToUtf8ByDefault) {
    const QMultiByteStr utf8(L"K\u00E4rtchen \u65E5\u672C");
    EXPECT_EQ(static_cast<UINT>(CP_UTF8), utf8.GetCodePage());
    EXPECT_STREQ("K\xC3\xA4rtchen \xE6\x97\xA5\xE6\x9C\xAC", utf8.c_str());
    EXPECT_EQ(16, utf8.GetLength());
}

TEST(QMultiByteStrTest, RoundTripsThroughQString) {
    const QString original(L"C:\\Karten\\\u00DCbersicht \U0001F600.data");
    const QMultiByteStr utf8(original);
    const QString back(utf8.c_str(), -1, CP_UTF8);
    EXPECT_STREQ(original.c_str(), back.c_str());
}

TEST(QMultiByteStrTest, ConvertsToAnAnsiCodePage) {
    const QMultiByteStr ansi(L"caf\u00E9", 1252);
    EXPECT_STREQ("caf\xE9", ansi.c_str());
    EXPECT_EQ(4, ansi.GetLength());
}

TEST(QMultiByteStrTest, NothingToConvertReadsAsEmptyText) {
    const QMultiByteStr fromNull(nullptr);
    ASSERT_NE(nullptr, fromNull.c_str());
    EXPECT_STREQ("", fromNull.c_str());
    EXPECT_EQ(0, fromNull.GetLength());

    const QMultiByteStr badCodePage(L"text", 12345);
    EXPECT_STREQ("", badCodePage.c_str());
    EXPECT_EQ(0, badCodePage.GetLength());
}

}  // namespace
