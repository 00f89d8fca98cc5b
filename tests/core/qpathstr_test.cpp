#include "core/qpathstr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kiln::files::QPathStr;
using kiln::qstd::QObArray;
using kiln::qstd::QString;

namespace {

struct FileNameCase {
    const wchar_t* path;
    const wchar_t* name;
    bool hadBackslash;
};

class GetFileNameTest : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(GetFileNameTest, TakesThePartAfterTheLastBackslash) {
    const QPathStr path(GetParam().path);
    QString name(L"unchanged");
    EXPECT_EQ(GetParam().hadBackslash, path.GetFileName(name));
    EXPECT_STREQ(GetParam().name, name.c_str());
}

INSTANTIATE_TEST_SUITE_P(Cases, GetFileNameTest,
                         ::testing::Values(FileNameCase{L"C:\\dir\\x.data", L"x.data", true},
                                           FileNameCase{L"x.data", L"x.data", false},
                                           FileNameCase{L"\\\\server\\share\\f.txt", L"f.txt", true},
                                           FileNameCase{L"C:\\dir\\", L"", true},
                                           FileNameCase{L"word/document.xml", L"word/document.xml", false},
                                           FileNameCase{L"", L"unchanged", true}));

TEST(QPathStrTest, ToForwardSlashesReplacesEveryBackslash) {
    QPathStr path(L"\\word\\media\\image1.png\\");
    path.ToForwardSlashes();
    EXPECT_STREQ(L"/word/media/image1.png/", path.c_str());
}

struct SplitCase {
    const wchar_t* path;
    std::vector<std::wstring> parts;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, AppendsOneStringPerNonEmptyRun) {
    const QPathStr path(GetParam().path);
    QObArray<QString> parts;
    parts.Add(new QString(L"kept"));
    path.Split(parts, L'/');

    std::vector<std::wstring> expected = {L"kept"};
    expected.insert(expected.end(), GetParam().parts.begin(), GetParam().parts.end());
    std::vector<std::wstring> actual;
    for (unsigned i = 0; i < parts.GetCount(); ++i) actual.push_back(parts[i]->c_str());
    EXPECT_EQ(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitTest,
                         ::testing::Values(SplitCase{L"a//b/", {L"a", L"b"}}, SplitCase{L"abc", {L"abc"}},
                                           SplitCase{L"/ppt/slides/slide1.xml", {L"ppt", L"slides", L"slide1.xml"}},
                                           SplitCase{L"///", {}}, SplitCase{L"", {}},
                                           SplitCase{L"a\\b", {L"a\\b"}}));

TEST(QPathStrTest, TellsTheNamesWindowsKeepsForDevices) {
    const struct {
        const wchar_t* path;
        bool reserved;
    } cases[] = {
        {L"NUL.docx", true},         {L"C:\\cards\\con", true},   {L"aux .rtf", true},
        {L"C:\\x\\Com1.rtf", true},   {L"lpt0", true},              {L"LPT\u00B9.txt", true},
        {L"prn.", true},             {L"conout$.txt", true},       {L"D:/x/nul.tar.gz", true},
        {L"nul1.rtf", false},        {L"console.rtf", false},      {L"com10", false},
        {L"C:\\nul\\card.rtf", false}, {L"annul.rtf", false},        {L"", false},
        {L"COM", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.reserved, kiln::files::IsReservedDeviceName(c.path)) << c.path;
    }
}

TEST(QPathStrTest, BehavesAsAString) {
    QPathStr path(L"C:\\cards");
    path.Append(L"\\x.data");
    const QString asString = path;
    EXPECT_EQ(path.c_str(), asString.c_str());
    path = L"D:\\other";
    EXPECT_STREQ(L"D:\\other", path.c_str());
    EXPECT_STREQ(L"C:\\cards\\x.data", asString.c_str());
}

}  // namespace
