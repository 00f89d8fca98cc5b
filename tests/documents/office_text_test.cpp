// The text of small Word, Excel and PowerPoint packages that the tests put
// together from XML parts, zipped with stored and with deflated entries.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/qerror.h"
#include "core/qstring.h"
#include "documents/office_text.h"
#include "zip_builder.h"

using kiln::qstd::QString;
using ziptest::TempFile;
using ziptest::ZipBuilder;

namespace {

using Parts = std::vector<std::pair<std::string, std::string>>;

const char Declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

std::string WordDocumentStart() {
    return std::string(Declaration) +
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
}

std::string WordDocument(const std::string& body) {
    return WordDocumentStart() + body + "</w:body></w:document>";
}

std::string Worksheet(const std::string& rows) {
    return std::string(Declaration) +
           "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + rows +
           "</sheetData></worksheet>";
}

std::string Slide(const std::string& paragraphs) {
    return std::string(Declaration) +
           "<p:sld xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
           "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"><p:cSld><p:spTree><p:sp><p:txBody>" +
           paragraphs + "</p:txBody></p:sp></p:spTree></p:cSld></p:sld>";
}

const char RelationshipType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

struct Link {
    const char* id;
    const char* type;  // the last segment of the relationship's type
    const char* target;
};

std::string Relationships(const std::vector<Link>& links) {
    std::string xml = std::string(Declaration) +
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const Link& link : links) {
        xml += std::string("<Relationship Id=\"") + link.id + "\" Type=\"" + RelationshipType + link.type +
               "\" Target=\"" + link.target + "\"/>";
    }
    return xml + "</Relationships>";
}

// Sheets as name and relationship id, in the workbook's order.
std::string Workbook(const std::vector<std::pair<std::string, std::string>>& sheets) {
    std::string xml = std::string(Declaration) +
                      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    int number = 1;
    for (const auto& sheet : sheets) {
        xml += "<sheet name=\"" + sheet.first + "\" sheetId=\"" + std::to_string(number++) + "\" r:id=\"" +
               sheet.second + "\"/>";
    }
    return xml + "</sheets></workbook>";
}

std::string Presentation(const std::vector<std::string>& slideIds) {
    std::string xml = std::string(Declaration) +
                      "<p:presentation xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><p:sldIdLst>";
    int number = 256;
    for (const std::string& id : slideIds) {
        xml += "<p:sldId id=\"" + std::to_string(number++) + "\" r:id=\"" + id + "\"/>";
    }
    return xml + "</p:sldIdLst></p:presentation>";
}

std::string Package(const Parts& parts, bool deflated) {
    ZipBuilder b;
    b.AddDeflated("[Content_Types].xml", "<Types/>");
    for (const auto& part : parts) {
        if (deflated) {
            b.AddDeflated(part.first, part.second);
        } else {
            b.AddStored(part.first, part.second);
        }
    }
    return b.Build();
}

struct Extraction {
    bool ok;
    std::wstring text;
};

Extraction Extract(const std::string& bytes, const wchar_t* extension) {
    TempFile file(bytes, extension);
    QString text = L"left over";
    const bool ok = ExtractOfficeText(file.Path(), text);
    return {ok, text.c_str()};
}

struct Case {
    const char* name;
    const wchar_t* extension;
    Parts parts;
    bool ok;
    std::wstring text;
};

void Check(const Case& c) {
    for (bool deflated : {false, true}) {
        SCOPED_TRACE(testing::Message() << c.name << (deflated ? ", deflated" : ", stored"));
        const Extraction result = Extract(Package(c.parts, deflated), c.extension);
        EXPECT_EQ(c.ok, result.ok);
        EXPECT_EQ(c.text, result.text);
    }
}

TEST(OfficeText, WordParagraphsAreLinesAndTableRowsTabSeparated) {
    const Case cases[] = {
        {"two paragraphs", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:r><w:t>Hello</w:t></w:r></w:p><w:p><w:r><w:t>world</w:t></w:r></w:p>")}},
         true, L"Hello\nworld\n"},
        {"runs join, whitespace inside text is kept", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:r><w:t>Hel</w:t></w:r><w:r><w:t>lo</w:t></w:r><w:r><w:t xml:space=\"preserve\"> "
                        "</w:t></w:r><w:r><w:t>there</w:t></w:r></w:p>")}},
         true, L"Hello there\n"},
        {"table rows, cells, a cell of two paragraphs and empty paragraphs", L".docx",
         {{"word/document.xml",
           WordDocument("<w:tbl><w:tr><w:tc><w:p><w:r><w:t>A1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>B1</w:t>"
                        "</w:r></w:p><w:p><w:r><w:t>more</w:t></w:r></w:p></w:tc><w:tc><w:p/></w:tc><w:tc><w:p><w:r>"
                        "<w:t>D1</w:t></w:r></w:p></w:tc></w:tr><w:tr><w:tc><w:p><w:r><w:t>A2</w:t></w:r></w:p></w:tc>"
                        "</w:tr></w:tbl><w:p></w:p><w:p><w:pPr><w:jc w:val=\"left\"/></w:pPr></w:p><w:p/>"
                        "<w:p><w:r><w:t>end</w:t></w:r></w:p>")}},
         true, L"A1\tB1 more\t\tD1\nA2\n\n\n\nend\n"},
        {"whitespace between elements", L".docx",
         {{"word/document.xml", WordDocument("\n  <w:p>\n <w:r>\t<w:t>x</w:t></w:r></w:p>\n")}}, true, L"x\n"},
        {"non-ASCII text and references", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:r><w:t>Grüße – 你好 😀 &lt;a&gt; &amp; &#x263A;</w:t></w:r></w:p>")}},
         true, L"Grüße – 你好 😀 <a> & \u263A\n"},
        {"comments, CDATA and processing instructions add nothing", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><!-- note --><w:r><w:t>a<![CDATA[hidden]]>b</w:t></w:r><?mark here?></w:p>")}},
         true, L"ab\n"},
        {"tabs and breaks in runs; field codes, deleted text and fallbacks add nothing", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr><w:r><w:t>a</w:t>"
                        "<w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>"
                        "<w:del><w:r><w:delText>gone</w:delText></w:r></w:del></w:p><w:p><w:r><mc:AlternateContent "
                        "xmlns:mc=\"urn:mc\"><mc:Choice><w:p><w:r><w:t>box</w:t></w:r></w:p></mc:Choice><mc:Fallback>"
                        "<w:p><w:r><w:t>box</w:t></w:r></w:p></mc:Fallback></mc:AlternateContent></w:r></w:p>")}},
         true, L"a\tb\nc\nbox\n\n"},
        {"the element's local name counts, not its prefix", L".docx",
         {{"word/document.xml",
           WordDocument("<x:p xmlns:x=\"urn:x\"><x:r><x:t>one</x:t></x:r></x:p><w:pp><w:t>two</w:t></w:pp>")}},
         true, L"one\ntwo"},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

// A reference to a character beyond the basic plane gives the whole
// character, its two UTF-16 units, in UTF-8 and UTF-16 parts alike and
// wherever the part's reading is cut into pieces.
TEST(OfficeText, ReferencesBeyondTheBasicPlaneGiveWholeCharacters) {
    const std::string references = "&#x1F600; &#128512; &#x0010FFFF;&#x20AC;&#65;";
    const std::wstring characters = L"\U0001F600 \U0001F600 \U0010FFFF\u20ACA\n";
    const std::string part = WordDocument("<w:p><w:r><w:t>" + references + "</w:t></w:r></w:p>");
    Check({"in UTF-8", L".docx", {{"word/document.xml", part}}, true, characters});

    // The same part in UTF-16, with its mark.
    std::string ascii = part;
    ascii.replace(ascii.find("UTF-8"), 5, "UTF-16");
    std::string utf16("\xFF\xFE", 2);
    for (char c : ascii) utf16 += std::string(1, c) + '\0';
    Check({"in UTF-16", L".docx", {{"word/document.xml", utf16}}, true, characters});

    // The parser's reads come in pieces of 64 KB: references across each cut.
    for (size_t padding = 65520; padding < 65540; padding += 3) {
        const std::string start = WordDocumentStart() + "<w:p><w:r><w:t>";
        const std::string filler(padding - start.size(), 'f');
        Check({"across a cut", L".docx",
               {{"word/document.xml", start + filler + references + "</w:t></w:r></w:p></w:body></w:document>"}},
               true, std::wstring(filler.begin(), filler.end()) + characters});
    }
}

// A part of no bytes holds no document, not an empty one: reading it must
// not empty a card.
TEST(OfficeText, AnEmptyPartIsAnError) {
    const Case cases[] = {
        {"an empty main document", L".docx", {{"word/document.xml", ""}}, false, L""},
        {"an empty sheet", L".xlsx",
         {{"xl/workbook.xml", Workbook({{"One", "rId1"}})},
          {"xl/_rels/workbook.xml.rels", Relationships({{"rId1", "worksheet", "worksheets/sheet1.xml"}})},
          {"xl/worksheets/sheet1.xml", ""}},
         false, L""},
        {"an empty slide", L".pptx",
         {{"ppt/presentation.xml", Presentation({"rId1"})},
          {"ppt/_rels/presentation.xml.rels", Relationships({{"rId1", "slide", "slides/slide1.xml"}})},
          {"ppt/slides/slide1.xml", ""}},
         false, L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
    // The directory says the part is empty, whatever its data holds.
    ZipBuilder lying;
    ziptest::ZipEntry& document = lying.AddRaw("word/document.xml");
    document.payload = ziptest::DeflateRaw(WordDocument("<w:p><w:r><w:t>hidden</w:t></w:r></w:p>"));
    document.method = 8;
    document.compressedSize = document.payload.size();
    document.uncompressedSize = 0;
    const Extraction result = Extract(lying.Build(), L".docx");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(L"", result.text);
}

TEST(OfficeText, WorkbooksGiveEverySheetInTheirOrderRowsAsLines) {
    const std::string first = Worksheet(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>42</v></c><c r=\"D1\" t=\"inlineStr\"><is><t>"
        "inline</t></is></c></row>"
        "<row r=\"3\"><c r=\"A3\"><v>3.5</v></c><c r=\"C3\"><f>A3*2</f><v>7</v></c></row>"
        "<row r=\"4\"><c r=\"A4\" t=\"s\"><v>1</v></c><c r=\"B4\" t=\"b\"><v>1</v></c><c r=\"C4\" t=\"e\"><v>#DIV/0!"
        "</v></c><c r=\"D4\" t=\"str\"><f>\"a\"&amp;\"b\"</f><v>ab</v></c><c r=\"E4\" t=\"s\"><v>2</v></c></row>");
    const std::string firstWithHeader =
        first.substr(0, first.size() - std::string("</worksheet>").size()) +
        "<headerFooter><oddHeader>&amp;C&amp;\"Times New Roman,Regular\"&amp;12&amp;A</oddHeader></headerFooter>"
        "</worksheet>";
    const std::string second = Worksheet(
        "<row><c><v>1</v></c><c><v>2</v></c></row><row><c t=\"inlineStr\"><is><r><t>x</t></r><r><t>y</t></r></is>"
        "</c></row>");
    const std::string empty = Worksheet("");
    const std::string shared = std::string(Declaration) +
                               "<sst><si><t>shared text</t></si><si><r><t>rich </t></r><r><t>text</t></r><rPh><t>"
                               "reading</t></rPh></si><si><t>line\nbreak</t></si></sst>";
    const std::string workbook = Workbook({{"Zeta", "rId2"}, {"Alpha", "rId1"}, {"Third", "rId3"}});
    const std::string links = Relationships({{"rId1", "worksheet", "/xl/worksheets/sheet1.xml"},
                                             {"rId2", "worksheet", "worksheets/sheet2.xml"},
                                             {"rId3", "worksheet", "../xl/worksheets/other.xml"},
                                             {"rId4", "sharedStrings", "sharedStrings.xml"}});
    const Parts whole = {{"xl/workbook.xml", workbook},
                         {"xl/_rels/workbook.xml.rels", links},
                         {"xl/sharedStrings.xml", shared},
                         {"xl/worksheets/sheet1.xml", second},
                         {"xl/worksheets/sheet2.xml", firstWithHeader},
                         {"xl/worksheets/other.xml", empty}};
    Parts withoutSheet = whole;
    withoutSheet.pop_back();
    Parts withoutLinks = whole;
    withoutLinks.erase(withoutLinks.begin() + 1);
    const Case cases[] = {
        {"three sheets, shared and inline strings, gaps, a formula", L".xlsx", whole, true,
         L"Zeta\nshared text\t42\t\tinline\n\n3.5\t\t7\nrich text\t1\t#DIV/0!\tab\tline break\n"
         L"\nAlpha\n1\t2\nxy\n"
         L"\nThird\n"},
        {"a workbook without sheets", L".xlsx", {{"xl/workbook.xml", Workbook({})}}, false, L""},
        {"a sheet's part is missing", L".xlsx", withoutSheet, false, L""},
        {"the workbook's relationships are missing", L".xlsx", withoutLinks, false, L""},
        {"a shared string beyond the table", L".xlsx",
         {{"xl/workbook.xml", Workbook({{"One", "rId1"}})},
          {"xl/_rels/workbook.xml.rels",
           Relationships({{"rId1", "worksheet", "worksheets/sheet1.xml"}, {"rId2", "sharedStrings", "sharedStrings.xml"}})},
          {"xl/sharedStrings.xml", shared},
          {"xl/worksheets/sheet1.xml", Worksheet("<row><c t=\"s\"><v>3</v></c></row>")}},
         false, L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

TEST(OfficeText, PresentationsGiveEverySlideInTheirOrderWithNotes) {
    const std::string presentation = Presentation({"rId3", "rId2"});
    const std::string links = Relationships({{"rId2", "slide", "slides/slide2.xml"},
                                             {"rId3", "slide", "slides/slide10.xml"},
                                             {"rId1", "slideMaster", "slideMasters/slideMaster1.xml"}});
    const std::string slide10 = Slide(
        "<a:p><a:r><a:t>Title</a:t></a:r></a:p><a:p><a:endParaRPr/></a:p><a:p><a:r><a:t>First </a:t></a:r><a:r>"
        "<a:t>point</a:t></a:r><a:br/><a:r><a:t>same paragraph</a:t></a:r></a:p>");
    const std::string slide2 = Slide("<a:p><a:r><a:t>Second slide</a:t></a:r></a:p>");
    const std::string notes =
        std::string(Declaration) +
        "<p:notes xmlns:a=\"urn:a\" xmlns:p=\"urn:p\"><p:cSld><p:spTree>"
        "<p:sp><p:nvSpPr><p:nvPr><p:ph type=\"sldImg\"/></p:nvPr></p:nvSpPr></p:sp>"
        "<p:sp><p:nvSpPr><p:nvPr><p:ph type=\"body\" idx=\"1\"/></p:nvPr></p:nvSpPr><p:txBody><a:p><a:r><a:t>Say "
        "hello</a:t></a:r></a:p></p:txBody></p:sp>"
        "<p:sp><p:nvSpPr><p:nvPr><p:ph type=\"sldNum\" idx=\"5\"/></p:nvPr></p:nvSpPr><p:txBody><a:p><a:fld><a:t>1"
        "</a:t></a:fld></a:p></p:txBody></p:sp></p:spTree></p:cSld></p:notes>";
    const Parts whole = {{"ppt/presentation.xml", presentation},
                         {"ppt/_rels/presentation.xml.rels", links},
                         {"ppt/slides/slide2.xml", slide2},
                         {"ppt/slides/slide10.xml", slide10},
                         {"ppt/slides/_rels/slide10.xml.rels",
                          Relationships({{"rId1", "notesSlide", "../notesSlides/notesSlide1.xml"}})},
                         {"ppt/notesSlides/notesSlide1.xml", notes}};
    Parts withoutSlide = whole;
    withoutSlide.erase(withoutSlide.begin() + 2);
    const Case cases[] = {
        {"two slides out of their file names' order, notes", L".pptx", whole, true,
         L"Title\nFirst point\nsame paragraph\nNotes:\nSay hello\n\nSecond slide\n"},
        {"a slide's part is missing", L".pptx", withoutSlide, false, L""},
        {"no slides", L".pptx", {{"ppt/presentation.xml", Presentation({})}}, true, L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

TEST(OfficeText, ThePackageDecidesItsKindNotTheExtension) {
    const std::string word = WordDocument("<w:p><w:r><w:t>words</w:t></w:r></w:p>");
    const std::string workbook = Workbook({{"Only", "rId1"}});
    const std::string links = Relationships({{"rId1", "worksheet", "worksheets/sheet1.xml"}});
    const std::string sheet = Worksheet("<row><c><v>7</v></c></row>");
    const Case cases[] = {
        {"a Word document named .xlsx", L".xlsx", {{"word/document.xml", word}}, true, L"words\n"},
        {"a document and a workbook in one package", L".xlsx",
         {{"xl/workbook.xml", workbook}, {"xl/worksheets/sheet1.xml", sheet}, {"word/document.xml", word}}, true,
         L"words\n"},
        {"a workbook named .docx", L".docx",
         {{"xl/workbook.xml", workbook}, {"xl/_rels/workbook.xml.rels", links}, {"xl/worksheets/sheet1.xml", sheet}},
         true, L"Only\n7\n"},
        {"none of the three kinds", L".docx", {{"customXml/item1.xml", word}, {"Word/document.xml", word}}, true, L""},
        {"an empty main document", L".docx", {{"word/document.xml", ""}}, false, L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

// XML the parser cannot read is no document's text: a part of the text
// would pass for all of it, and none at all would empty the card.
TEST(OfficeText, XmlThatCannotBeReadIsAnError) {
    std::string tooDeep;
    for (int i = 0; i < 300; ++i) tooDeep += "<w:r>";
    const std::string kept = "<w:p><w:r><w:t>kept</w:t></w:r></w:p>";
    const Case cases[] = {
        {"mismatched end tag", L".docx",
         {{"word/document.xml", WordDocument(kept + "<w:p><w:r><w:t>also kept</w:r></w:p><w:p>lost</w:p>")}},
         false, L""},
        {"nested too deep", L".docx", {{"word/document.xml", WordDocument(kept + "<w:p>" + tooDeep)}}, false, L""},
        {"a document type declaration", L".docx",
         {{"word/document.xml",
           std::string(Declaration) + "<!DOCTYPE w [<!ENTITY e \"boom\">]><w:document><w:p>&e;</w:p></w:document>"}},
         false, L""},
        {"not XML at all", L".docx", {{"word/document.xml", "\x01\x02 binary \xFF"}}, false, L""},
        {"all zeros", L".docx", {{"word/document.xml", std::string(4096, '\0')}}, false, L""},
        {"cut off inside text", L".docx", {{"word/document.xml", WordDocumentStart() + kept + "<w:p><w:r><w:t>half"}},
         false, L""},
        {"an unreadable sheet", L".xlsx",
         {{"xl/workbook.xml", Workbook({{"One", "rId1"}})},
          {"xl/_rels/workbook.xml.rels", Relationships({{"rId1", "worksheet", "worksheets/sheet1.xml"}})},
          {"xl/worksheets/sheet1.xml", std::string(64, '\0')}},
         false, L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

// A small package can unpack to gigabytes; what no card could hold is
// refused with a reason before the memory is taken.
TEST(OfficeText, TextBeyondWhatACardHoldsIsRefusedWithAReason) {
    ZipBuilder lying;
    ziptest::ZipEntry& huge = lying.AddRaw("word/document.xml");
    huge.payload = ziptest::DeflateRaw(WordDocument("<w:p><w:r><w:t>small</w:t></w:r></w:p>"));
    huge.method = 8;
    huge.compressedSize = huge.payload.size();
    huge.uncompressedSize = (256u << 20) + 1;

    std::string run = WordDocumentStart() + "<w:p><w:r><w:t>";
    run.append(32000001, 'a');
    run += "</w:t></w:r></w:p></w:body></w:document>";
    ZipBuilder long_;
    long_.AddDeflated("word/document.xml", run);

    const struct {
        const char* name;
        std::string bytes;
        const wchar_t* message;
    } cases[] = {
        {"a part that unpacks beyond 256 MB", lying.Build(),
         L"The document is too large to read: its text part unpacks to more than 256 MB."},
        {"text beyond 32 million characters", long_.Build(),
         L"The document's text is too long for a card: more than 32 million characters."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFile file(c.bytes, L".docx");
        QString text = L"left over";
        try {
            ExtractOfficeText(file.Path(), text);
            ADD_FAILURE() << "not refused";
        } catch (const kiln::qstd::QError& error) {
            EXPECT_STREQ(c.message, error.message.c_str());
        }
    }
}

TEST(OfficeText, FailsWithoutAReadablePackage) {
    ZipBuilder damaged;
    damaged.AddStored("[Content_Types].xml", "<Types/>");
    ziptest::ZipEntry& document = damaged.AddRaw("word/document.xml");
    document.payload = std::string("\x07\x00\x00\x00", 4);  // block type 3
    document.method = 8;
    document.compressedSize = 4;
    document.uncompressedSize = 100;

    ZipBuilder damagedWorkbook;
    ziptest::ZipEntry& workbook = damagedWorkbook.AddRaw("xl/workbook.xml");
    workbook.payload = std::string("\x07\x00\x00\x00", 4);
    workbook.method = 8;
    workbook.compressedSize = 4;
    workbook.uncompressedSize = 100;
    damagedWorkbook.AddStored("xl/worksheets/sheet1.xml", Worksheet("<row><c><v>1</v></c></row>"));

    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"not a ZIP archive", "This is plain text, not a package."},
        {"an empty file", ""},
        {"a damaged main document", damaged.Build()},
        {"a damaged workbook part", damagedWorkbook.Build()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Extraction result = Extract(c.bytes, L".docx");
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(L"", result.text);
    }
    QString text;
    EXPECT_FALSE(ExtractOfficeText(L"C:\\no such folder\\missing.docx", text));
}

}  // namespace
