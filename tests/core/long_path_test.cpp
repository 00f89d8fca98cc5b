#include "core/qpathstr.h"

#include <gtest/gtest.h>

#include <string>

using kiln::files::kLongPathRoom;
using kiln::files::MakeLongPath;

namespace {

std::wstring DrivePathOfLength(size_t length) {
    return L"C:" + std::wstring(length - 2, L'd');
}

std::wstring UncPathOfLength(size_t length) {
    return L"\\\\server\\" + std::wstring(length - 9, L'u');
}

struct LongPathCase {
    const char* name;
    std::wstring path;
    bool converted;
    std::wstring longForm;
};

class MakeLongPathTest : public ::testing::TestWithParam<LongPathCase> {};

TEST_P(MakeLongPathTest, PrefixesDriveAndNetworkPathsWithinTheRoom) {
    const LongPathCase& c = GetParam();
    // One unit past the room shows whether anything was written beyond it.
    std::wstring out(kLongPathRoom + 1, L'#');
    EXPECT_EQ(c.converted, MakeLongPath(c.path.c_str(), &out[0]));
    EXPECT_EQ(L'#', out[kLongPathRoom]);
    if (c.converted) {
        EXPECT_EQ(c.longForm, std::wstring(out.c_str()));
    } else {
        EXPECT_EQ(std::wstring(kLongPathRoom + 1, L'#'), out);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MakeLongPathTest,
    ::testing::Values(
        LongPathCase{"Drive", L"C:\\dir\\x.data", true, L"\\\\?\\C:\\dir\\x.data"},
        LongPathCase{"LowerCaseDrive", L"c:\\x", true, L"\\\\?\\c:\\x"},
        LongPathCase{"DriveAtLimit", DrivePathOfLength(2043), true, L"\\\\?\\" + DrivePathOfLength(2043)},
        LongPathCase{"DriveOverLimit", DrivePathOfLength(2044), false, L""},
        LongPathCase{"Network", L"\\\\server\\share\\f.txt", true, L"\\\\?\\UNC\\server\\share\\f.txt"},
        LongPathCase{"NetworkAtLimit", UncPathOfLength(2041), true, L"\\\\?\\UNC" + UncPathOfLength(2041).substr(1)},
        LongPathCase{"NetworkOverLimit", UncPathOfLength(2042), false, L""},
        LongPathCase{"Relative", L"notes.data", false, L""}, LongPathCase{"Empty", L"", false, L""},
        LongPathCase{"RootedWithoutDrive", L"\\cards\\x.data", false, L""},
        LongPathCase{"DigitBeforeColon", L"1:\\x", false, L""},
        LongPathCase{"AlreadyLong", L"\\\\?\\C:\\x.data", false, L""},
        LongPathCase{"Device", L"\\\\.\\COM1", false, L""}),
    [](const ::testing::TestParamInfo<LongPathCase>& info) { return std::string(info.param.name); });

TEST(MakeLongPathNullTest, NullPathIsRefused) {
    wchar_t out[kLongPathRoom];
    EXPECT_FALSE(MakeLongPath(nullptr, out));
}

}  // namespace
