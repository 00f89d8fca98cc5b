// A branch of cards leaves the program as one web page or one Word
// document: the page is read back for its headings, contents, formatting and
// picture, the document by the program's own Office-text reader; a file that
// cannot be written leaves nothing behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/qerror.h"
#include "documents/branch_export.h"
#include "documents/html_writer.h"
#include "documents/office_text.h"
#include "documents/rtf_reader.h"
#include "sample_card_rtf.h"

using documents::BranchCard;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, n) + name;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

BranchCard Card(const wchar_t* title, int depth, const char* rtf) {
    return BranchCard{title, depth, documents::ReadRtf(reinterpret_cast<const unsigned char*>(rtf), std::strlen(rtf))};
}

// The sample card at the top, a child with a title that needs escaping,
// a grandchild and a second child.
std::vector<BranchCard> SampleBranch() {
    return {Card(L"Top", 0, kSampleCardRtf), Card(L"Child <&> \u00e9", 1, "{\\rtf1\\ansi child text\\par}"),
            Card(L"Grandchild", 2, "{\\rtf1\\ansi deep\\par}"), Card(L"Second child", 1, "{\\rtf1\\ansi last\\par}")};
}

// Every heading of the page in order: its level and its text as written.
std::vector<std::pair<int, std::string>> Headings(const std::string& html) {
    std::vector<std::pair<int, std::string>> headings;
    for (size_t at = html.find("<h"); at != std::string::npos; at = html.find("<h", at + 1)) {
        if (at + 3 >= html.size() || html[at + 2] < '1' || html[at + 2] > '6' || html[at + 3] != '>') continue;
        const std::string close = "</h" + std::string(1, html[at + 2]) + ">";
        const size_t end = html.find(close, at);
        headings.emplace_back(html[at + 2] - '0', html.substr(at + 4, end - at - 4));
    }
    return headings;
}

std::string DecodeBase64(const std::string& text) {
    static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '=') break;
        value = (value << 6) | static_cast<unsigned>(digits.find(c));
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

TEST(BranchExport, TheWebPageHoldsEveryCardUnderItsHeadingWithItsFormattingAndPicture) {
    const std::string html = documents::BuildBranchHtml(SampleBranch());
    EXPECT_EQ(0u, html.find("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">"));
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "Top"}, {2, "Child &lt;&amp;&gt; \xC3\xA9"}, {3, "Grandchild"}, {2, "Second child"}};
    EXPECT_EQ(expected, Headings(html));

    // The contents nest as the tree does and link to each card's section.
    const char contents[] =
        "<nav>\n<ul>\n<li><a href=\"#card-1\">Top</a>\n<ul>\n<li><a href=\"#card-2\">Child &lt;&amp;&gt; \xC3\xA9</a>"
        "\n<ul>\n<li><a href=\"#card-3\">Grandchild</a></li>\n</ul>\n</li>\n<li><a href=\"#card-4\">Second child</a>"
        "</li>\n</ul>\n</li>\n</ul>\n</nav>\n";
    EXPECT_NE(std::string::npos, html.find(contents)) << html;
    for (const char* section : {"<section id=\"card-1\">", "<section id=\"card-2\">", "<section id=\"card-3\">",
                                "<section id=\"card-4\">"}) {
        EXPECT_NE(std::string::npos, html.find(section)) << section;
    }

    const std::string face = "<span style=\"font-family:'Segoe UI';font-size:14pt;\">";
    const std::string runs[] = {
        "<p style=\"text-align:center\">" + face + "Plain </span>",
        face + "<b>bold</b></span>",
        face + "<i>italic</i></span>",
        face + "<u>under</u></span>",
        face + "<s>gone</s></span>",
        "<span style=\"font-family:'Segoe UI';font-size:14pt;color:#ff0000;\">red</span>",
        "<span style=\"font-family:'Arial';font-size:10pt;\">small Arial</span></p>",
        "<p style=\"text-align:right\">" + face + "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC</span>",
        "<ul>\n<li>" + face + "first bullet</span></li>\n<li>" + face + "second bullet</span></li>\n</ul>",
        "<ol start=\"3\">\n<li>" + face + "three</span></li>\n<li>" + face + "four</span></li>\n</ol>",
        "<a href=\"https://example.org/a?b=1&amp;c=2\"><span",
        "<h2>Child &lt;&amp;&gt; \xC3\xA9</h2>\n<p><span style=\"font-size:12pt;\">child text</span></p>",
        "<h2>Second child</h2>\n<p><span style=\"font-size:12pt;\">last</span></p>",
    };
    for (const std::string& run : runs) {
        EXPECT_NE(std::string::npos, html.find(run)) << run;
    }
    EXPECT_EQ(std::string::npos, html.find("hidden"));

    const std::string prefix = "<img alt=\"\" width=\"96\" height=\"48\" src=\"data:image/png;base64,";
    const size_t at = html.find(prefix);
    ASSERT_NE(std::string::npos, at);
    const size_t start = at + prefix.size();
    const std::string picture = DecodeBase64(html.substr(start, html.find('"', start) - start));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(kSamplePng), sizeof kSamplePng), picture);
}

TEST(BranchExport, TheWordDocumentReadsBackWithATitleBeforeEachCard) {
    const std::wstring path = TempPath(L"vorlen-branch.docx");
    documents::ExportBranch(path.c_str(), SampleBranch());
    QString text;
    ASSERT_TRUE(ExtractOfficeText(path.c_str(), text));
    EXPECT_STREQ(L"Top\nPlain bold italic under gone red small Arial\n\u00e9t\u00e9 \u20ac \u0410\nfirst bullet\n"
                 L"second bullet\nthree\nfour\nVisit the site or www.example.com.\nA picture: \nLast line\n"
                 L"Child <&> \u00e9\nchild text\nGrandchild\ndeep\nSecond child\nlast\n",
                 text.c_str());
    DeleteFileW(path.c_str());
}

TEST(BranchExport, AFileThatCannotBeWrittenLeavesNothingAndAnOlderFileAsItWas) {
    const std::wstring older = TempPath(L"vorlen-branch-older.html");
    {
        HANDLE file = CreateFileW(older.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "older", 5, &written, nullptr);
        CloseHandle(file);
    }
    // The file is held open without sharing: it cannot be replaced.
    HANDLE held = CreateFileW(older.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    const std::wstring paths[] = {L"Z:\\no-such-folder-for-vorlen\\branch.html", older};
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        EXPECT_THROW(documents::ExportBranch(path.c_str(), SampleBranch()), QError);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((path + L".part").c_str()));
    }
    CloseHandle(held);
    EXPECT_EQ("older", FileBytes(older));
    DeleteFileW(older.c_str());
}

}  // namespace
