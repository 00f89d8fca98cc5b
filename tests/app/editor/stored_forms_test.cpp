// A card's two stored forms: the plain text and the RTF, and loading a
// card's RTF as the whole content.

#include "editor_fixture.h"
#include "resources/command_ids.h"

namespace editortest {
namespace {

const char kListRtf[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}{\\colortbl ;\\red255\\green0\\blue0;}"
    "\\pard\\f0\\fs20 {\\b Bold} {\\cf1 red}\\par"
    "\\pard{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent360{\\pntxtb\\'B7}}\\fi-360\\li720 first\\par"
    "{\\pntext\\'B7\\tab}second\\par}";

void Load(EditorPage& page, const std::string& rtf) {
    page.LoadRtf(reinterpret_cast<const unsigned char*>(rtf.data()), static_cast<unsigned>(rtf.size()));
}

TEST_F(EditorTest, BoldColourAndListSurviveALoadSaveLoadRoundTrip) {
    Load(page, kListRtf);
    EXPECT_FALSE(page.IsModified());
    const std::wstring text = Text();
    const std::string saved = Rtf();
    ASSERT_EQ(saved.compare(0, 6, "{\\rtf1"), 0) << saved;

    SetText(L"something else");
    Load(page, saved);
    EXPECT_EQ(Text(), text);
    EXPECT_EQ(Text().substr(0, 17), L"Bold red\r\nfirst\r\n");

    Select(0, 4);
    EXPECT_TRUE(SelectionFormat().dwEffects & CFE_BOLD);
    Select(5, 8);
    const CHARFORMAT2W red = SelectionFormat();
    EXPECT_FALSE(red.dwEffects & CFE_BOLD);
    EXPECT_EQ(red.crTextColor, RGB(255, 0, 0));
    Select(10, 12);
    EXPECT_EQ(SelectionParagraph().wNumbering, PFN_BULLET);
    Select(0, 0);
    EXPECT_EQ(SelectionParagraph().wNumbering, 0);
}

TEST_F(EditorTest, PlainTextIsTheWindowTextWithLineBreaks) {
    Load(page, "{\\rtf1\\ansi one\\par two\\par three}");
    EXPECT_EQ(Text(), L"one\r\ntwo\r\nthree");
    wchar_t window[64] = {};
    GetWindowTextW(Edit(), window, 64);
    EXPECT_EQ(Text(), window);
}

TEST_F(EditorTest, LoadingTakesTheStoredLengthOnlyAndClearsTheModifiedFlag) {
    SetText(L"old");
    page.GetEditor().SetModified(true);
    const std::string stored = "abcdef";
    page.LoadRtf(reinterpret_cast<const unsigned char*>(stored.data()), 3);
    EXPECT_EQ(Text(), L"abc");
    EXPECT_FALSE(page.IsModified());

    page.LoadRtf(nullptr, 0);
    EXPECT_EQ(Text(), L"");
}

TEST_F(EditorTest, EditsAreForwardedToTheMainWindowAsCardChanges) {
    main.commands.clear();
    SendMessageW(Edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed"));
    bool forwarded = false;
    for (const auto& command : main.commands) {
        if (command.id == IDC_RICH_EDIT && command.code == 0xF7E7 && command.control == Edit()) {
            forwarded = true;
        }
    }
    EXPECT_TRUE(forwarded);
    EXPECT_TRUE(page.IsModified());
}

}  // namespace
}  // namespace editortest
