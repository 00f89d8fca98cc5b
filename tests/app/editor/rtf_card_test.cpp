// An RTF file becomes a card without the editor: stored as it is, with the
// text the editor reports once it has read the file.

#include "app/editor/editor_card_content.h"
#include "core/qerror.h"
#include "editor_fixture.h"
#include "test_pictures.h"

namespace editortest {
namespace {

class RtfCardTest : public EditorTest {
protected:
    // The text the editor reports once the file is dropped on an empty page.
    std::wstring ByTheEditor(const wchar_t* path) {
        page.LoadRtf(nullptr, 0);
        EXPECT_EQ(page.InsertFile(path), FileInsertion::Inserted);
        return Text();
    }
    // The text the editor shows for stored RTF.
    std::wstring Shown(const kiln::qstd::QBuffer& rtf) {
        page.LoadRtf(nullptr, 0);
        page.LoadRtf(rtf.GetData(), rtf.GetCount());
        return Text();
    }
};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// A 2 x 2 picture as the editor and word processors embed one.
std::string PngPicture() {
    return "{\\pict\\pngblip\\picw2\\pich2\\picwgoal300\\pichgoal300 " +
           Hex(guitest::SmallPng()) + "}";
}

// What a word processor writes around its text: tables of fonts (one of
// them Cyrillic), colours and styles, lists, document information and
// blobs the editor passes over, headers, footers and footnotes.
std::string WordProcessorDocument() {
    return "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0\\stshfdbch0\\deflang1033\r\n"
           "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}\r\n"
           "{\\f1\\fswiss\\fcharset204\\fprq2 Arial Cyr;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
           "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
           "{\\stylesheet{\\ql \\f0\\fs24 \\snext0 Normal;}{\\*\\cs10 \\additive Default Paragraph Font;}}\r\n"
           "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}"
           "{\\levelnumbers;}\\f2}{\\listname ;}\\listid1}}\r\n"
           "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\r\n"
           "{\\info{\\title Notes}{\\author Someone}{\\creatim\\yr2026\\mo12\\dy10}}"
           "{\\*\\xmlnstbl {\\xmlns1 http://example.com/x}}\r\n"
           "{\\*\\rsidtbl \\rsid1\\rsid2}{\\*\\generator A writer;}\r\n"
           "{\\header \\pard\\plain Header text\\par}{\\footer \\pard\\plain Footer text\\par}\r\n"
           "\\pard\\plain \\ql\\f0\\fs24 Caf\\'e9 \\'93quoted\\'94 \\emdash  text{\\*\\bkmkstart mark}here"
           "{\\*\\bkmkend mark}.\\par\r\n"
           "\\pard {\\f1 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2} {\\b bold}{\\i  italic}\\line next\\tab tabbed\\par\r\n"
           "{\\listtext\\pard\\plain\\f2 \\'b7\\tab}\\pard\\ls1 first item\\par\r\n"
           "a\\~b\\_c\\-d \\u8364?\\uc2\\u8211\\'96\\'96 e\\uc0\\u233 f\\par\r\n"
           "Note{\\footnote \\pard\\plain Footnote text\\par} after{\\v  hidden}\\par\r\n"
           "{\\*\\themedata 504b030414000600}\r\n{\\*\\datastore 0105000002000000}\r\n"
           "\\page last\\sect\r\n}";
}

std::string Nested(int depth, const char* inner) {
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 1; i < depth; ++i) rtf += "{\\b ";
    return rtf + inner + std::string(static_cast<size_t>(depth), '}');
}

TEST_F(RtfCardTest, TheCardHoldsTheFileAndTheTextTheEditorReportsForIt) {
    SetText(L"Saved by the editor\rwith a \u20AC sign, a {brace} and\ttab\rList item");
    Select(9, 11);
    page.GetEditor().ToggleBold();
    PARAFORMAT2 bullet = {};
    bullet.cbSize = sizeof bullet;
    bullet.dwMask = PFM_NUMBERING;
    bullet.wNumbering = PFN_BULLET;
    Select(55, 56);
    SendMessageW(Edit(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&bullet));
    const std::string editorOwn = Rtf();
    const struct {
        const char* name;
        std::string rtf;
    } cases[] = {
        {"written by the editor", editorOwn},
        {"written by a word processor", WordProcessorDocument()},
        {"a picture between words", "{\\rtf1\\ansi before " + PngPicture() + " after\\par}"},
        {"a table", "{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row"
                    "\\trowd\\cellx1000\\cellx2000\\pard\\intbl C\\cell D\\cell\\row\\pard after\\par}"},
        {"escaped braces and backslashes", "{\\rtf1\\ansi \\{not a group\\} \\\\par {\\b in}{}side}"},
        {"double-byte code pages", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset128 J;}"
                                   "{\\f2\\fcharset134 C;}}\\f1 \\'82\\'a0\x82\xa0 \\f2\\'c4\\'e3 \\f0 \\'e9}"},
        {"code page of the document", "{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1 \xc0{\\fonttbl{\\f0 X;}}\\f0 \\'c0}"},
        {"Unicode", "{\\rtf1\\ansi a\\u13?b\\u10?c\\u9?d\\u11?e\\u-10179?\\u-8704?f\\u8232?g\\u1?h"
                    "{\\uc3\\u1234 abc}i\\uc2 \\u233\\par j}"},
        {"words and delimiters", "{\\rtf1\\ansi a\\fs24b\\b0 c\\i-1 d\\unknownword e{\\unknowndest f}"
                                 "\\toolongforanywordthatanywriterwouldwrite g\r\nh\\\r\ni\\\nj\t k}"},
        {"breaks at the end", "{\\rtf1\\ansi last\\par\\par}"},
        {"unclosed groups", "{\\rtf1\\ansi a{\\b b{\\i c"},
        {"text after the document", "{\\rtf1\\ansi inside}outside}"},
        {"nested as deep as the editor takes", Nested(32, "deep")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFile file(c.rtf, L".rtf");
        const std::wstring editorText = ByTheEditor(file.Path());

        // In a page of its own, the document's last paragraph mark is the
        // page's and ends no line.
        std::wstring opened = editorText;
        if (opened.size() >= 2 && opened.compare(opened.size() - 2, 2, L"\r\n") == 0) opened.resize(opened.size() - 2);

        CardContent content;
        ReadCardContentFromFile(file.Path(), content);
        EXPECT_EQ(std::wstring(content.txt.c_str()), opened);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(content.rtf.GetData()), content.rtf.GetCount()), c.rtf);
        EXPECT_EQ(Shown(content.rtf), opened);
    }
}

// The editor would crash on such a file; the card keeps what it held.
TEST_F(RtfCardTest, AFileNestedDeeperThanTheEditorTakesIsRefused) {
    ScratchFile file(Nested(33, "too deep"), L".rtf");
    CardContent content;
    content.txt = L"kept";
    try {
        ReadCardContentFromFile(file.Path(), content);
        ADD_FAILURE() << "not refused";
    } catch (const kiln::qstd::QError& error) {
        EXPECT_EQ(std::wstring(error.message.c_str()), L"The RTF nests its groups 33 deep; the editor takes at most 32.");
    }
    EXPECT_EQ(std::wstring(content.txt.c_str()), L"kept");
    EXPECT_EQ(content.rtf.GetCount(), 0u);
}

}  // namespace
}  // namespace editortest
