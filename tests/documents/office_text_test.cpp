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

TEST(OfficeText, WordParagraphsEndWithLineFeeds) {
    const Case cases[] = {
        {"two paragraphs", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:r><w:t>Hello</w:t></w:r></w:p><w:p><w:r><w:t>world</w:t></w:r></w:p>")}},
         true, L"Hello\nworld\n"},
        {"runs join, a run of one space is whitespace", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:r><w:t>Hel</w:t></w:r><w:r><w:t>lo</w:t></w:r><w:r><w:t xml:space=\"preserve\"> "
                        "</w:t></w:r><w:r><w:t>there</w:t></w:r></w:p>")}},
         true, L"Hello \nthere\n"},
        {"table cells and empty paragraphs", L".docx",
         {{"word/document.xml",
           WordDocument("<w:tbl><w:tr><w:tc><w:p><w:r><w:t>A1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>B1</w:t>"
                        "</w:r></w:p></w:tc></w:tr></w:tbl><w:p></w:p><w:p><w:pPr><w:jc w:val=\"left\"/></w:pPr></w:p>"
                        "<w:p/><w:p><w:r><w:t>end</w:t></w:r></w:p>")}},
         true, L"A1\nB1\n\n\n\nend\n"},
        {"whitespace between elements", L".docx",
         {{"word/document.xml", WordDocument("\n  <w:p><w:r><w:t>x</w:t></w:r></w:p>")}}, true, L"\n  \nx\n"},
        {"non-ASCII text and references", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:r><w:t>Grüße – 你好 😀 &lt;a&gt; &amp; &#x263A;</w:t></w:r></w:p>")}},
         true, L"Grüße – 你好 😀 <a> & \u263A\n"},
        {"comments, CDATA and processing instructions add nothing", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><!-- note --><w:r><w:t>a<![CDATA[hidden]]>b</w:t></w:r><?mark here?></w:p>")}},
         true, L"ab\n"},
        {"the element's local name counts, not its prefix", L".docx",
         {{"word/document.xml",
           WordDocument("<w:p><w:r><w:t>one</w:t></w:r></w:p><x:p xmlns:x=\"urn:x\">two</x:p><w:pp>three</w:pp>")}},
         true, L"one\ntwo\nthree"},
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

TEST(OfficeText, WorkbooksGiveTheFirstSheetWithCellsRunTogether) {
    const std::string sheet1 = Worksheet(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>42</v></c><c r=\"C1\" t=\"inlineStr\"><is><t>"
        "inline</t></is></c></row><row r=\"2\"><c r=\"A2\"><v>3.5</v></c></row>");
    const std::string sheet2 = Worksheet("<row r=\"1\"><c r=\"A1\"><v>99</v></c></row>");
    const std::string workbook = std::string(Declaration) + "<workbook><sheets><sheet name=\"One\"/></sheets></workbook>";
    const std::string shared = std::string(Declaration) + "<sst><si><t>shared text</t></si></sst>";
    const Case cases[] = {
        {"several sheets and shared strings", L".xlsx",
         {{"xl/workbook.xml", workbook},
          {"xl/sharedStrings.xml", shared},
          {"xl/worksheets/sheet2.xml", sheet2},
          {"xl/worksheets/sheet1.xml", sheet1}},
         true, L"042inline3.5"},
        {"no first sheet", L".xlsx", {{"xl/workbook.xml", workbook}, {"xl/worksheets/sheet2.xml", sheet2}}, false, L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

TEST(OfficeText, PresentationsGiveTheFirstSlideOneLinePerParagraph) {
    const std::string presentation = std::string(Declaration) + "<p:presentation xmlns:p=\"urn:p\"/>";
    const std::string slide1 = Slide(
        "<a:p><a:r><a:t>Title</a:t></a:r></a:p><a:p><a:r><a:t>First </a:t></a:r><a:r><a:t>point</a:t></a:r></a:p>");
    const std::string slide2 = Slide("<a:p><a:r><a:t>Second slide</a:t></a:r></a:p>");
    const Case cases[] = {
        {"two slides", L".pptx",
         {{"ppt/presentation.xml", presentation}, {"ppt/slides/slide2.xml", slide2}, {"ppt/slides/slide1.xml", slide1}},
         true, L"Title\nFirst point\n"},
        {"no first slide", L".pptx", {{"ppt/presentation.xml", presentation}, {"ppt/slides/slide2.xml", slide2}}, false,
         L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

TEST(OfficeText, ThePackageDecidesItsKindNotTheExtension) {
    const std::string word = WordDocument("<w:p><w:r><w:t>words</w:t></w:r></w:p>");
    const std::string workbook = std::string(Declaration) + "<workbook/>";
    const std::string sheet = Worksheet("<row><c><v>7</v></c></row>");
    const Case cases[] = {
        {"a Word document named .xlsx", L".xlsx", {{"word/document.xml", word}}, true, L"words\n"},
        {"a document and a workbook in one package", L".xlsx",
         {{"xl/workbook.xml", workbook}, {"xl/worksheets/sheet1.xml", sheet}, {"word/document.xml", word}}, true,
         L"words\n"},
        {"a workbook named .docx", L".docx", {{"xl/workbook.xml", workbook}, {"xl/worksheets/sheet1.xml", sheet}}, true,
         L"7"},
        {"none of the three kinds", L".docx", {{"customXml/item1.xml", word}, {"Word/document.xml", word}}, true, L""},
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
        {"an unreadable first sheet", L".xlsx",
         {{"xl/workbook.xml", "<workbook/>"}, {"xl/worksheets/sheet1.xml", std::string(64, '\0')}}, false, L""},
    };
    for (const Case& c : cases) {
        Check(c);
    }
}

// A main part of no bytes holds no document, not an empty one: reading it
// must not empty a card.
TEST(OfficeText, AnEmptyMainPartIsAnError) {
    const std::string workbook = std::string(Declaration) + "<workbook/>";
    const Case cases[] = {
        {"an empty main document", L".docx", {{"word/document.xml", ""}}, false, L""},
        {"an empty first sheet", L".xlsx", {{"xl/workbook.xml", workbook}, {"xl/worksheets/sheet1.xml", ""}}, false,
         L""},
        {"an empty first slide", L".pptx",
         {{"ppt/presentation.xml", "<presentation/>"}, {"ppt/slides/slide1.xml", ""}}, false, L""},
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
