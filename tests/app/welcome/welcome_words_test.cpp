#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/welcome/welcome_words.h"

namespace {

bool Read(const std::string& html, WelcomeWords& words) {
    return ReadWelcomeWords(html.data(), html.size(), words);
}

const char kPage[] =
    "<div id=\"navigation\">\n  <img src=\"Vorlen.png\">\n  <h2>Start</h2>\n  <ul>\n"
    "    <li><a href=\"app:NewDatabase\">New Database</a></li>\n"
    "    <li><a href=\"app:OpenDatabase\">Open Database</a></li>\n  </ul>\n</div>\n"
    "<div class=\"section\">\n  <h1>Vorlen</h1>\n  <p>Cards &amp; trees,\n  kept   <b>together</b>.</p>\n"
    "  <p>Second\tparagraph: caf\xC3\xA9 &lt;ok&gt;</p>\n  <p><a href=\"https://example\">Check</a></p>\n</div>\n"
    "<div class=\"section\">\n  <h2>News update</h2>\n  <p>Last &quot;one&quot;</p>\n</div>";

TEST(WelcomeWords, ReadsHeadingsLinksAndLinklessParagraphsFolded) {
    WelcomeWords words;
    ASSERT_TRUE(Read(kPage, words));
    EXPECT_STREQ(words.heading.c_str(), L"Start");
    EXPECT_STREQ(words.newDatabase.c_str(), L"New Database");
    EXPECT_STREQ(words.openDatabase.c_str(), L"Open Database");
    EXPECT_STREQ(words.title.c_str(), L"Vorlen");
    EXPECT_STREQ(words.description.c_str(),
                 L"Cards & trees, kept together.\r\n\r\nSecond paragraph: caf\u00E9 <ok>\r\n\r\nLast \"one\"");
}

TEST(WelcomeWords, APageWithoutTheActionsOrTitleIsRefused) {
    const struct {
        const char* missing;
        const char* cut;
    } cases[] = {
        {"new link", "<a href=\"app:NewDatabase\">"},
        {"open link", "<a href=\"app:OpenDatabase\">"},
        {"title", "<h1>"},
    };
    for (const auto& c : cases) {
        std::string page = kPage;
        page.erase(page.find(c.cut), std::string(c.cut).size());
        WelcomeWords words;
        EXPECT_FALSE(Read(page, words)) << c.missing;
    }
}

// The page drawn without a browser takes its words from the program's own
// page: both say the same.
TEST(WelcomeWords, TheProgramsPageGivesEveryWordTheNativePageDraws) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, L"DOC.HTML", RT_HTML);
    ASSERT_NE(resource, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    WelcomeWords words;
    ASSERT_TRUE(ReadWelcomeWords(bytes, SizeofResource(module, resource), words));
    EXPECT_STREQ(words.newDatabase.c_str(), L"New Database");
    EXPECT_STREQ(words.openDatabase.c_str(), L"Open Database");
    EXPECT_STREQ(words.heading.c_str(), L"Start");
    EXPECT_STREQ(words.title.c_str(), L"Vorlen");
    EXPECT_NE(std::wstring(words.description.c_str()).find(L"Create a new card database"), std::wstring::npos);
}

}  // namespace
