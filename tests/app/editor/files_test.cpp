// Files brought into the editor: Office text, pictures, dropped files, and
// a card's content made from a file by a hidden page.

#include <cstring>

#include <ole2.h>
#include <richole.h>

#include "app/editor/editor_card_content.h"
#include "core/qerror.h"
#include "editor_fixture.h"
#include "resources/command_ids.h"
#include "window/qsessions.h"
#include "shell_drop.h"
#include "test_pictures.h"
#include "zip_builder.h"

namespace editortest {
namespace {

using guitest::SmallBmp;
using kiln::qstd::QError;

std::string WordPackage(const std::string& body) {
    ziptest::ZipBuilder zip;
    zip.AddDeflated("[Content_Types].xml", "<Types/>");
    zip.AddDeflated("word/document.xml",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
                    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
                        body + "</w:body></w:document>");
    return zip.Build();
}

const char kHelloWorld[] = "<w:p><w:r><w:t>Hello</w:t></w:r></w:p><w:p><w:r><w:t>world</w:t></w:r></w:p>";

LONG ObjectCount(HWND edit) {
    IRichEditOle* ole = nullptr;
    SendMessageW(edit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    if (!ole) return -1;
    const LONG count = ole->GetObjectCount();
    ole->Release();
    return count;
}

TEST_F(EditorTest, OfficeTextReplacesTheSelectionAndMarksThePageModified) {
    ziptest::TempFile document(WordPackage(kHelloWorld), L".docx");
    SetText(L"before [x] after");
    Select(7, 10);
    page.GetEditor().SetModified(false);
    EXPECT_TRUE(page.InsertOfficeText(document.Path()));
    EXPECT_EQ(Text(), L"before Hello\r\nworld\r\n after");
    EXPECT_TRUE(page.IsModified());
}

TEST_F(EditorTest, OfficeTextThatCannotBeReadLeavesThePageAlone) {
    ziptest::TempFile notZip("this is no archive", L".docx");
    ziptest::ZipBuilder workbook;
    workbook.AddDeflated("xl/workbook.xml", "<workbook/>");
    ziptest::TempFile noSheet(workbook.Build(), L".xlsx");
    SetText(L"unchanged");
    page.GetEditor().SetModified(false);
    for (const wchar_t* path : {notZip.Path(), noSheet.Path(), L"C:\\no\\such\\file.docx"}) {
        SCOPED_TRACE(testing::Message() << path);
        EXPECT_FALSE(page.InsertOfficeText(path));
        EXPECT_EQ(Text(), L"unchanged");
        EXPECT_FALSE(page.IsModified());
    }
}

TEST_F(EditorTest, APictureBecomesAnEmbeddedObjectThatTheRtfCarries) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    SetText(L"ab");
    Select(1, 1);
    EXPECT_TRUE(page.GetEditor().InsertPicture(bitmap));
    EXPECT_EQ(ObjectCount(Edit()), 1);
    // The bitmap is still the caller's to delete.
    EXPECT_NE(GetObjectType(bitmap), 0u);
    DeleteObject(bitmap);
    // How the picture is written is the control's, and some controls cannot
    // write it at all: then the save must fail rather than give a document
    // cut off at the picture.
    kiln::qstd::QBuffer rtf;
    if (page.GetRtf(rtf)) {
        const std::string written(reinterpret_cast<const char*>(rtf.GetData()), rtf.GetCount());
        EXPECT_NE(written.find("\\pict"), std::string::npos);
        EXPECT_NE(written.find("b"), std::string::npos);
    }
}

TEST_F(EditorTest, DroppedFilesAreInsertedByTheirExtension) {
    ScratchFile text(std::string("T\0X\0T\0", 6), L".TXT");
    ScratchFile rtf("{\\rtf1\\ansi {\\b RTF}}", L".rtf");
    ScratchFile picture(SmallBmp(), L".bmp");
    ScratchFile unknown("ignored", L".xyz");
    ziptest::TempFile document(WordPackage("<w:p><w:r><w:t>DOC</w:t></w:r></w:p>"), L".docx");
    ziptest::TempFile broken("no archive", L".pptx");
    SetText(L"");
    page.GetEditor().SetModified(false);
    auto dropOnEditor = [this](const std::vector<std::wstring>& paths) {
        ENDROPFILES drop = {};
        drop.nmhdr.hwndFrom = Edit();
        drop.nmhdr.idFrom = IDC_RICH_EDIT;
        drop.nmhdr.code = EN_DROPFILES;
        drop.hDrop = guitest::MakeShellDrop(paths);
        SendMessageW(page.GetHandle(), WM_NOTIFY, IDC_RICH_EDIT, reinterpret_cast<LPARAM>(&drop));
    };
    dropOnEditor({text.Path()});
    EXPECT_TRUE(page.IsModified());
    dropOnEditor({unknown.Path(), rtf.Path(), broken.Path(), document.Path(), picture.Path()});

    EXPECT_EQ(Text().substr(0, 11), L"TXTRTFDOC\r\n");
    // The picture is kept by the page, which shows its placeholder.
    EXPECT_NE(Text().find(L"[picture 1]"), std::wstring::npos) << Text();
    EXPECT_NE(Rtf().find("\\pngblip\\picw2\\pich2"), std::string::npos);
    ASSERT_EQ(page.messages.size(), 1u);
    EXPECT_EQ(page.messages[0], L"Document load error!");
}

struct ContentCase {
    const char* name;
    std::string bytes;
    const wchar_t* extension;
    std::wstring txt;
    const char* inRtf;
};

TEST(CardContentFromFile, GivesTheTwoStoredFormsOfTheFile) {
    const ContentCase cases[] = {
        {"UTF-16 text", std::string("\xFF\xFEh\0i\0", 6), L".txt", L"hi", "hi"},
        {"source code", "int main() {}\n", L".cpp", L"int main() {}\r\n", "int main()"},
        {"RTF", "{\\rtf1\\ansi {\\i slanted}}", L".rtf", L"slanted", "\\i"},
        {"Word", WordPackage(kHelloWorld), L".docx", L"Hello\r\nworld\r\n", "world"},
    };
    for (const ContentCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFile file(c.bytes, c.extension);
        CardContent content;
        ReadCardContentFromFile(file.Path(), content);
        EXPECT_STREQ(content.txt.c_str(), c.txt.c_str());
        const std::string rtf(reinterpret_cast<const char*>(content.rtf.GetData()), content.rtf.GetCount());
        EXPECT_EQ(rtf.compare(0, 5, "{\\rtf"), 0);
        EXPECT_NE(rtf.find(c.inRtf), std::string::npos) << rtf;
    }
}

TEST(CardContentFromFile, APictureBecomesACardCarryingItWithItsSize) {
    kiln::qwin::QOleSession ole(L"OLE");
    const std::string jpeg = guitest::SmallJpeg();
    ASSERT_FALSE(jpeg.empty()) << "no JPEG encoder";
    const struct {
        const char* name;
        std::string bytes;
        const wchar_t* extension;
        const char* words;
        std::string data;
    } cases[] = {
        // 96 dots per inch: 15 twips a pixel.
        {"PNG", guitest::SmallPng(), L".png", "{\\pict\\pngblip\\picw2\\pich2\\picwgoal30\\pichgoal30\r\n",
         guitest::SmallPng()},
        {"JPEG of 144 by 72 dots per inch", jpeg, L".jpg", "{\\pict\\jpegblip\\picw3\\pich2\\picwgoal30\\pichgoal40\r\n",
         jpeg},
        // 72 dots per inch (2835 pixels per metre) in the file's header.
        {"BMP", SmallBmp(), L".bmp", "{\\pict\\pngblip\\picw2\\pich2\\picwgoal40\\pichgoal40\r\n", "\x89PNG"},
        {"GIF", guitest::SmallGif(), L".gif", "{\\pict\\pngblip\\picw1\\pich1\\picwgoal15\\pichgoal15\r\n", "\x89PNG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFile picture(c.bytes, c.extension);
        CardContent content;
        content.txt = L"replaced";
        ReadCardContentFromFile(picture.Path(), content);
        // What the editor shows for it.
        EXPECT_STREQ(content.txt.c_str(), L"[picture 1]");
        const std::string rtf(reinterpret_cast<const char*>(content.rtf.GetData()), content.rtf.GetCount());
        const size_t words = rtf.find(c.words);
        ASSERT_NE(words, std::string::npos) << rtf.substr(0, 200);
        EXPECT_EQ(rtf.compare(0, 6, "{\\rtf1"), 0);
        // The picture's bytes as they are (PNG, JPEG) or made into a PNG.
        std::string hex;
        for (unsigned char byte : c.data) {
            static const char digits[] = "0123456789abcdef";
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        const size_t data = words + std::strlen(c.words);
        EXPECT_EQ(rtf.substr(data, hex.size() < 128 ? hex.size() : 128), hex.substr(0, 128));
    }
}

TEST(CardContentFromFile, APictureThatCannotBeDecodedIsRefused) {
    kiln::qwin::QOleSession ole(L"OLE");
    ScratchFile broken("GIF89a but nothing more", L".gif");
    CardContent content;
    try {
        ReadCardContentFromFile(broken.Path(), content);
        ADD_FAILURE() << "no error";
    } catch (const QError& error) {
        EXPECT_NE(std::wstring(error.message.c_str()).find(L"could not be decoded as a picture"), std::wstring::npos);
    }
    EXPECT_EQ(content.rtf.GetCount(), 0u);
}

TEST(CardContentFromFile, RefusesWhatAnEditorDoesNotTakeWithAMessage) {
    ScratchFile unknown("data", L".xyz");
    ScratchFile notOffice("no archive", L".docx");
    struct {
        const wchar_t* path;
        const wchar_t* message;
    } cases[] = {
        {unknown.Path(), L"is not a kind of file a card can hold"},
        {notOffice.Path(), L"Document load error!"},
        {L"C:\\no\\such\\folder\\notes.txt", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path);
        CardContent content;
        content.txt = L"kept";
        try {
            ReadCardContentFromFile(c.path, content);
            ADD_FAILURE() << "no error";
        } catch (const QError& error) {
            EXPECT_NE(std::wstring(error.message.c_str()).find(c.message), std::wstring::npos)
                << error.message.c_str();
            EXPECT_FALSE(error.message.IsEmpty());
        }
        EXPECT_STREQ(content.txt.c_str(), L"kept");
        EXPECT_EQ(content.rtf.GetCount(), 0u);
    }
}

// Window creation can fail without an error of its own (a hook refuses it,
// a session without a display); the message must then not be whatever an
// earlier, successful call left behind.
LRESULT CALLBACK RefuseEveryWindow(int code, WPARAM wParam, LPARAM lParam) {
    return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(CardContentFromFile, AHiddenEditorThatCannotBeMadeSaysSoNotAStaleError) {
    // Only a ".rtf" file that is not RTF needs an editor.
    ScratchFile text("plain words", L".rtf");
    CardContent content;
    content.txt = L"kept";
    HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseEveryWindow, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::wstring message = L"<no error>";
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    try {
        ReadCardContentFromFile(text.Path(), content);
    } catch (const QError& error) {
        message = error.message.c_str();
    }
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(message, L"The hidden editor that reads the file could not be created.");
    EXPECT_STREQ(content.txt.c_str(), L"kept");
}

}  // namespace
}  // namespace editortest
