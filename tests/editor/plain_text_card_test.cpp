// A plain-text file made into a card without the editor must open in the
// editor exactly as the card the editor itself made from the file.

#include "app/card_content_file.h"
#include "editor_fixture.h"

namespace editortest {
namespace {

struct Shown {
    std::wstring text;
    std::wstring face;
    LONG height;
    COLORREF colour;
};

class PlainTextCardTest : public EditorTest {
protected:
    void Load(const kiln::qstd::QBuffer& rtf) { page.LoadRtf(rtf.GetData(), rtf.GetCount()); }

    Shown Show() {
        Select(0, -1);
        const CHARFORMAT2W format = SelectionFormat();
        return {Text(), format.szFaceName, format.yHeight, format.crTextColor};
    }

    // The card as the editor made it: the file dropped on an empty page,
    // saved, and opened again.
    Shown ByTheEditor(const wchar_t* path, std::wstring& txt) {
        page.LoadRtf(nullptr, 0);
        EXPECT_EQ(page.InsertFile(path), FileInsertion::Inserted);
        txt = Text();
        const std::string saved = Rtf();
        page.LoadRtf(reinterpret_cast<const unsigned char*>(saved.data()), static_cast<unsigned>(saved.size()));
        return Show();
    }
};

std::string Utf16(const std::wstring& text, bool bigEndian, bool mark) {
    std::string bytes;
    auto put = [&](wchar_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    if (mark) put(0xFEFF);
    for (wchar_t unit : text) put(unit);
    return bytes;
}

TEST_F(PlainTextCardTest, OpensAsTheCardTheEditorMadeFromTheSameFile) {
    const std::wstring mixed = L"caf\u00E9 \u20AC \u0416\u0438\r\n\U0001F600 end";
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"one character", "a"},
        {"CR LF lines", "first\r\nsecond\r\nthird"},
        {"LF lines", "first\nsecond\nthird\n"},
        {"CR lines", "first\rsecond\r"},
        {"mixed and doubled breaks", "a\r\n\r\nb\n\nc\r\rd\n\re\r\r\nf"},
        {"ends with a break", "last line\r\n"},
        {"tabs", "name\tvalue\t\tend\t"},
        {"braces and backslashes", "{\\rtf1 not rtf} \\par \\\\ {{}} \\u8364? \\'e9"},
        {"ANSI code page", "caf\xE9 na\xEFve"},
        {"UTF-8 without mark", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"UTF-8 with mark", "\xEF\xBB\xBF" "caf\xC3\xA9\r\nline"},
        {"UTF-16 little-endian with mark", Utf16(mixed, false, true)},
        {"UTF-16 little-endian without mark", Utf16(mixed, false, false)},
        {"UTF-16 big-endian with mark", Utf16(mixed, true, true)},
        {"UTF-16 big-endian without mark", Utf16(mixed, true, false)},
        {"control characters", "bell\x07 escape\x1B[31m form\x0C" "feed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFile file(c.bytes, L".txt");
        std::wstring editorTxt;
        const Shown expected = ByTheEditor(file.Path(), editorTxt);

        CardContent content;
        ReadCardContentFromFile(file.Path(), content);
        EXPECT_EQ(std::wstring(content.txt.c_str()), editorTxt);
        page.LoadRtf(nullptr, 0);
        Load(content.rtf);
        const Shown shown = Show();
        EXPECT_EQ(shown.text, expected.text);
        EXPECT_EQ(shown.face, expected.face);
        EXPECT_EQ(shown.height, expected.height);
        EXPECT_EQ(shown.colour, expected.colour);
    }
}

}  // namespace
}  // namespace editortest
