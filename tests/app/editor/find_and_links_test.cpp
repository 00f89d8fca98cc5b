// Find next, the web search of the selection, and clicked links.

#include "app/editor/web_links.h"
#include "editor_fixture.h"
#include "resources/command_ids.h"

namespace editortest {
namespace {

using kiln::qstd::QString;

TEST_F(EditorTest, FindStartsAfterASelectionOrAtTheStartForABareCaret) {
    SetText(L"one two One two");
    Select(5, 5);
    EXPECT_TRUE(page.FindNext(L"one"));
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_EQ(Selection().cpMax, 3);
    EXPECT_TRUE(page.FindNext(L"ONE"));
    EXPECT_EQ(Selection().cpMin, 8);
    EXPECT_EQ(Selection().cpMax, 11);
    // No wrapping around: the selection stays.
    EXPECT_FALSE(page.FindNext(L"one"));
    EXPECT_EQ(Selection().cpMin, 8);
    EXPECT_EQ(Selection().cpMax, 11);
    EXPECT_FALSE(page.FindNext(L"three"));
    EXPECT_EQ(Selection().cpMin, 8);
}

struct SearchCase {
    int command;
    const wchar_t* selected;
    const wchar_t* address;
};

TEST_F(EditorTest, WebSearchEncodesTheSelectionAndRemovesIt) {
    const SearchCase cases[] = {
        {IDM_SEARCH_GOOGLE, L"a&b #c+d e", L"https://www.google.com/search?q=a%26b%20%23c%2Bd%20e"},
        {IDM_SEARCH_BING, L"50% off?", L"https://www.bing.com/search?q=50%25%20off%3F"},
        {IDM_SEARCH_GOOGLE, L"caf\u00E9 \u20AC", L"https://www.google.com/search?q=caf%C3%A9%20%E2%82%AC"},
        {IDM_SEARCH_BING, L"plain-text_1.0~", L"https://www.bing.com/search?q=plain-text_1.0~"},
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.address);
        page.opened.clear();
        SetText((std::wstring(L"<<") + c.selected + L">>").c_str());
        Select(2, 2 + static_cast<LONG>(wcslen(c.selected)));
        Command(c.command);
        ASSERT_EQ(page.opened.size(), 1u);
        EXPECT_EQ(page.opened[0], c.address);
        EXPECT_EQ(Selection().cpMin, Selection().cpMax);
    }
}

TEST_F(EditorTest, WebSearchTakesAtMost259Characters) {
    const std::wstring text(300, L'x');
    SetText(text.c_str());
    Select(0, 300);
    Command(IDM_SEARCH_BING);
    ASSERT_EQ(page.opened.size(), 1u);
    EXPECT_EQ(page.opened[0], L"https://www.bing.com/search?q=" + std::wstring(259, L'x'));
}

TEST(LinkRule, OnlyWebAndMailLinksReachTheShell) {
    const struct {
        const wchar_t* link;
        const wchar_t* address;
    } cases[] = {
        {L"http://example.com/a?b=c", L"http://example.com/a?b=c"},
        {L"HTTPS://example.com", L"HTTPS://example.com"},
        {L"ftp://files.example.com/x", L"ftp://files.example.com/x"},
        {L"mailto:someone@example.com", L"mailto:someone@example.com"},
        {L"www.example.com", L"http://www.example.com"},
        {L"file:///C:/Windows/System32/calc.exe", L""},
        {L"C:\\Windows\\System32\\calc.exe", L""},
        {L"\\\\server\\share\\run.bat", L""},
        {L"javascript:alert(1)", L""},
        {L"ms-settings:", L""},
        {L"https:", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.link);
        EXPECT_STREQ(ShellAddressOfLink(c.link).c_str(), c.address);
    }
}

class LinkClickTest : public EditorTest {
protected:
    // The control's report of a click on the characters [start, end).
    void Click(UINT message, LONG start, LONG end) {
        ENLINK link = {};
        link.nmhdr.hwndFrom = Edit();
        link.nmhdr.idFrom = IDC_RICH_EDIT;
        link.nmhdr.code = EN_LINK;
        link.msg = message;
        link.chrg = {start, end};
        SendMessageW(page.GetHandle(), WM_NOTIFY, IDC_RICH_EDIT, reinterpret_cast<LPARAM>(&link));
    }
};

TEST_F(LinkClickTest, AReleasedLeftButtonOpensAWebLinkButNeverAProgram) {
    SetText(L"see http://example.com/x or file:///C:/evil.exe");
    Click(WM_LBUTTONDOWN, 4, 24);
    EXPECT_TRUE(page.opened.empty());
    Click(WM_LBUTTONUP, 4, 24);
    ASSERT_EQ(page.opened.size(), 1u);
    EXPECT_EQ(page.opened[0], L"http://example.com/x");
    Click(WM_LBUTTONUP, 28, 48);
    EXPECT_EQ(page.opened.size(), 1u);
}

}  // namespace
}  // namespace editortest
