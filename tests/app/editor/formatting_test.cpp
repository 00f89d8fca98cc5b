// Character and paragraph formats applied to the selection, as the keys,
// the RICH menu and the toolbar's combos apply them.

#include "editor_fixture.h"
#include "resources/command_ids.h"

namespace editortest {
namespace {

class FormattingTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        SetText(L"hello world");
        Select(0, 5);
    }
};

TEST_F(FormattingTest, ANewPageWritesVerdanaNotTheBoldSystemFont) {
    SetText(L"");
    SendMessageW(Edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
    Select(0, 5);
    const CHARFORMAT2W format = SelectionFormat();
    EXPECT_STREQ(format.szFaceName, L"Verdana");
    EXPECT_EQ(format.yHeight, 235);
    EXPECT_EQ(format.crTextColor, RGB(20, 0, 0));
    EXPECT_FALSE(format.dwEffects & CFE_BOLD);
}

struct ToggleCase {
    const char* name;
    bool (kiln::qwin::QRichEdit::*toggle)();
    DWORD effect;
};

TEST_F(FormattingTest, TogglesFlipTheRecordsBitAndClearFormattingResetsIt) {
    const ToggleCase cases[] = {
        {"bold", &kiln::qwin::QRichEdit::ToggleBold, CFE_BOLD},
        {"italic", &kiln::qwin::QRichEdit::ToggleItalic, CFE_ITALIC},
        {"underline", &kiln::qwin::QRichEdit::ToggleUnderline, CFE_UNDERLINE},
    };
    auto& editor = page.GetEditor();
    for (const ToggleCase& c : cases) {
        SCOPED_TRACE(c.name);
        (editor.*c.toggle)();
        EXPECT_TRUE(SelectionFormat().dwEffects & c.effect);
        (editor.*c.toggle)();
        EXPECT_FALSE(SelectionFormat().dwEffects & c.effect);
    }
    editor.ToggleBold();
    Command(IDM_CLEAR_FORMATTING);
    EXPECT_FALSE(SelectionFormat().dwEffects & CFE_BOLD);
    editor.ToggleBold();
    EXPECT_TRUE(SelectionFormat().dwEffects & CFE_BOLD);
}

TEST_F(FormattingTest, ATogglesLooksAtTheRecordNotAtTheSelectedText) {
    auto& editor = page.GetEditor();
    editor.ToggleBold();
    // The rest of the text is plain, yet the record says bold: the next
    // toggle clears.
    Select(6, 11);
    editor.ToggleBold();
    EXPECT_FALSE(SelectionFormat().dwEffects & CFE_BOLD);
    Select(0, 5);
    EXPECT_TRUE(SelectionFormat().dwEffects & CFE_BOLD);
}

TEST_F(FormattingTest, ClearFormattingRestoresTheCardDefaults) {
    Command(IDM_COLOR_RED);
    Command(IDM_BACK_YELLOW);
    Command(IDC_FONT_FACE, L"Arial");
    Command(IDM_CLEAR_FORMATTING);
    const CHARFORMAT2W format = SelectionFormat();
    EXPECT_STREQ(format.szFaceName, L"Verdana");
    EXPECT_EQ(format.yHeight, 235);
    EXPECT_EQ(format.crTextColor, RGB(20, 0, 0));
    EXPECT_EQ(format.crBackColor, RGB(255, 255, 255));
}

TEST_F(FormattingTest, ColourCommandsColourTheSelection) {
    struct ColourCase {
        int command;
        COLORREF text;
        COLORREF back;
    };
    const ColourCase cases[] = {
        {IDM_COLOR_RED, RGB(255, 0, 0), 0},       {IDM_COLOR_BROWN, RGB(177, 0, 0), 0},
        {IDM_COLOR_RESET, RGB(7, 7, 7), 0},       {IDM_BACK_ORANGE, 0, RGB(255, 175, 135)},
        {IDM_BACK_VIOLET, 0, RGB(190, 130, 190)}, {IDM_BACK_RESET, 0, RGB(252, 252, 252)},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.command);
        Command(c.command);
        const CHARFORMAT2W format = SelectionFormat();
        if (c.text) {
            EXPECT_EQ(format.crTextColor, c.text);
        }
        if (c.back) {
            EXPECT_EQ(format.crBackColor, c.back);
        }
    }
    Select(6, 11);
    EXPECT_EQ(SelectionFormat().crTextColor, RGB(20, 0, 0));
}

TEST_F(FormattingTest, FontFaceAndSizeComeFromTheToolbarsText) {
    Command(IDC_FONT_FACE, L"Arial");
    Command(IDC_FONT_SIZE, L"15");
    CHARFORMAT2W format = SelectionFormat();
    EXPECT_STREQ(format.szFaceName, L"Arial");
    EXPECT_EQ(format.yHeight, 300);
    // Half-typed or empty texts change nothing.
    for (const wchar_t* text : {L"", L"x", L"0", L"-3"}) {
        Command(IDC_FONT_SIZE, text);
        Command(IDC_FONT_FACE, L"");
    }
    Command(IDC_FONT_SIZE, nullptr);
    format = SelectionFormat();
    EXPECT_STREQ(format.szFaceName, L"Arial");
    EXPECT_EQ(format.yHeight, 300);
}

TEST_F(FormattingTest, LineSpacingCountsTwentiethsOfALineAndZeroesTheSpaceAround) {
    struct SpacingCase {
        const wchar_t* text;
        LONG twentieths;
    };
    const SpacingCase cases[] = {{L"1.15", 23}, {L"1.0", 20}, {L"1.5", 30}, {L"2", 40}, {L"3", 60}};
    for (const SpacingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.twentieths);
        page.GetEditor().SetSpaceBefore(120);
        page.GetEditor().SetSpaceAfter(240);
        Command(IDC_LINE_SPACING, c.text);
        const PARAFORMAT2 format = SelectionParagraph();
        EXPECT_EQ(format.dyLineSpacing, c.twentieths);
        EXPECT_EQ(format.bLineSpacingRule, 5);
        EXPECT_EQ(format.dySpaceBefore, 0);
        EXPECT_EQ(format.dySpaceAfter, 0);
    }
    Command(IDC_LINE_SPACING, L"abc");
    Command(IDC_LINE_SPACING, L"");
    EXPECT_EQ(SelectionParagraph().dyLineSpacing, 60);
}

TEST_F(FormattingTest, ListTogglesAlternateAndSwitchBetweenBulletsAndNumbers) {
    auto& editor = page.GetEditor();
    editor.ToggleBullets();
    EXPECT_EQ(SelectionParagraph().wNumbering, PFN_BULLET);
    editor.ToggleNumbering();
    EXPECT_EQ(SelectionParagraph().wNumbering, PFN_ARABIC);
    editor.ToggleNumbering();
    EXPECT_EQ(SelectionParagraph().wNumbering, 0);
    editor.ToggleBullets();
    editor.ToggleBullets();
    EXPECT_EQ(SelectionParagraph().wNumbering, 0);
}

TEST_F(FormattingTest, CodeStyleChangesTheDefaultFormat) {
    page.SetCodeStyle();
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    SendMessageW(Edit(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ(format.szFaceName, L"Consolas");
    EXPECT_EQ(format.yHeight, 245);
    EXPECT_EQ(format.crTextColor, RGB(20, 0, 0));
    EXPECT_FALSE(format.dwEffects & CFE_BOLD);
}

TEST_F(FormattingTest, WordWrapBreaksLongLinesAtTheWindowEdgeOnlyWhenOn) {
    std::wstring longLine;
    for (int i = 0; i < 60; ++i) longLine += L"word ";
    SetText(longLine.c_str());
    page.SetWordWrap(false);
    EXPECT_EQ(SendMessageW(Edit(), EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_TRUE(GetWindowLongW(Edit(), GWL_STYLE) & WS_HSCROLL);
    page.SetWordWrap(true);
    EXPECT_GT(SendMessageW(Edit(), EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_FALSE(GetWindowLongW(Edit(), GWL_STYLE) & WS_HSCROLL);
    EXPECT_TRUE(GetWindowLongW(Edit(), GWL_STYLE) & ES_MULTILINE);
}

TEST_F(FormattingTest, TheDatabaseStateDecidesWhetherTheEditorIsReadOnly) {
    page.ApplyDatabaseState(false);
    EXPECT_EQ(SendMessageW(Edit(), EM_GETOPTIONS, 0, 0) & ECO_READONLY, ECO_READONLY);
    page.ApplyDatabaseState(true);
    EXPECT_EQ(SendMessageW(Edit(), EM_GETOPTIONS, 0, 0) & ECO_READONLY, 0);
}

}  // namespace
}  // namespace editortest
