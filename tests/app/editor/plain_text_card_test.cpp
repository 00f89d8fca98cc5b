// A plain-text file made into a card without the editor must open in the
// editor exactly as the card the editor itself made from the file.

#include "app/editor/editor_card_content.h"
#include "editor_fixture.h"
#include "zip_builder.h"

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

    // The card made from the file without the editor has the editor's text
    // and opens looking like the editor's card.
    void ExpectTheCardTheEditorMade(const wchar_t* path) {
        std::wstring editorTxt;
        const Shown expected = ByTheEditor(path, editorTxt);
        CardContent content;
        ReadCardContentFromFile(path, content);
        EXPECT_EQ(std::wstring(content.txt.c_str()), editorTxt);
        page.LoadRtf(nullptr, 0);
        Load(content.rtf);
        const Shown shown = Show();
        EXPECT_EQ(shown.text, expected.text);
        EXPECT_EQ(shown.face, expected.face);
        EXPECT_EQ(shown.height, expected.height);
        EXPECT_EQ(shown.colour, expected.colour);
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
        ExpectTheCardTheEditorMade(file.Path());
    }
}

// An Office document's text is plain text: the card made from it without
// the editor opens as the one the editor made when the file was dropped.
TEST_F(PlainTextCardTest, AnOfficeDocumentOpensAsTheCardTheEditorMadeFromIt) {
    const auto word = [](const std::string& body) {
        ziptest::ZipBuilder zip;
        zip.AddDeflated("[Content_Types].xml", "<Types/>");
        zip.AddDeflated("word/document.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document xmlns:w=\"urn:w\">"
                                             "<w:body>" + body + "</w:body></w:document>");
        return zip.Build();
    };
    ziptest::ZipBuilder sheet;
    sheet.AddDeflated("xl/workbook.xml",
                      "<workbook xmlns:r=\"urn:r\"><sheets><sheet name=\"Sheet1\" r:id=\"rId1\"/></sheets></workbook>");
    sheet.AddDeflated("xl/_rels/workbook.xml.rels",
                      "<Relationships><Relationship Id=\"rId1\" Type=\"urn:worksheet\" "
                      "Target=\"worksheets/sheet1.xml\"/></Relationships>");
    sheet.AddDeflated("xl/worksheets/sheet1.xml",
                      "<worksheet><sheetData><row><c><v>12</v></c><c t=\"inlineStr\"><is><t>caf\xC3\xA9</t></is></c>"
                      "</row></sheetData></worksheet>");
    ziptest::ZipBuilder other;
    other.AddDeflated("[Content_Types].xml", "<Types/>");
    const struct {
        const char* name;
        std::string package;
        const wchar_t* extension;
    } cases[] = {
        {"paragraphs", word("<w:p><w:r><w:t>First</w:t></w:r></w:p><w:p/><w:p><w:r><w:t>Third {x}</w:t></w:r></w:p>"),
         L".docx"},
        {"tabs, spaces and Unicode", word("<w:p><w:r><w:t xml:space=\"preserve\"> a\tb \xE2\x82\xAC \xF0\x9F\x98\x80</w:t>"
                                          "</w:r></w:p>"),
         L".docx"},
        {"a worksheet", sheet.Build(), L".xlsx"},
        {"a package of no known kind", other.Build(), L".pptx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFile file(c.package, c.extension);
        ExpectTheCardTheEditorMade(file.Path());
    }
}

}  // namespace
}  // namespace editortest
