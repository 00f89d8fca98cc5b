#include "core/qerror.h"

#include <gtest/gtest.h>

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

TEST(QErrorTest, CarriesMessageAndCodeThroughThrowAndCatch) {
    try {
        throw QError(L"Not a database file !", 26);
    } catch (const QError& error) {
        EXPECT_STREQ(L"Not a database file !", error.message.c_str());
        EXPECT_EQ(26, error.code);
        return;
    }
    FAIL() << "no QError was caught";
}

TEST(QErrorTest, FixedTextCarriesCodeZero) {
    const QError error(L"Invalid password!");
    EXPECT_EQ(0, error.code);
}

TEST(QErrorTest, CopySharesTheMessageBlock) {
    const QError original(QString(L"CWX"), 3);
    const QError copy(original);
    EXPECT_EQ(original.message.c_str(), copy.message.c_str());
    EXPECT_EQ(2, original.message.GetRefCount());
    EXPECT_EQ(3, copy.code);
}

TEST(QErrorTest, FromLastErrorCarriesTheSystemText) {
    QString expected;
    expected.FormatSystemError(ERROR_ACCESS_DENIED);

    SetLastError(ERROR_ACCESS_DENIED);
    const QError error = QError::FromLastError();
    EXPECT_STREQ(expected.c_str(), error.message.c_str());
    EXPECT_EQ(static_cast<int>(ERROR_ACCESS_DENIED), error.code);
}

}  // namespace
