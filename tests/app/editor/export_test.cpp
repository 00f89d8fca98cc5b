// Exporting what the editor holds: the RTF file is the editor's stream byte
// for byte, and the Word document carries the formats the editor's own
// commands gave the text, read from the RTF the control really writes.
#include <cstring>
#include <string>

#include "documents/card_export.h"
#include "documents/office_text.h"
#include "documents/rtf_reader.h"
#include "editor_fixture.h"

using documents::RichRun;

namespace {

class ExportTest : public editortest::EditorTest {};

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, n) + name;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

const RichRun* RunWith(const documents::RichParagraph& paragraph, const wchar_t* text) {
    for (const RichRun& run : paragraph.runs) {
        if (run.text.find(text) != std::wstring::npos) return &run;
    }
    return nullptr;
}

TEST_F(ExportTest, TheEditorsFormatsReachTheWordDocument) {
    SetText(L"Centred title\rBold italic underlined struck red Arial\rFirst item\rSecond item");
    kiln::qwin::QRichEdit& editor = page.GetEditor();
    PARAFORMAT2 centre = {};
    centre.cbSize = sizeof centre;
    centre.dwMask = PFM_ALIGNMENT;
    centre.wAlignment = PFA_CENTER;
    Select(0, 5);
    SendMessageW(Edit(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&centre));
    Select(14, 18);
    editor.ToggleBold();
    Select(19, 25);
    editor.ToggleItalic();
    Select(26, 36);
    editor.ToggleUnderline();
    Select(37, 43);
    CHARFORMAT2W strike = {};
    strike.cbSize = sizeof strike;
    strike.dwMask = CFM_STRIKEOUT;
    strike.dwEffects = CFE_STRIKEOUT;
    SendMessageW(Edit(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&strike));
    Select(44, 47);
    editor.SetTextColor(RGB(255, 0, 0));
    Select(48, 53);
    editor.SetFontFace(L"Arial");
    editor.SetFontSize(20);
    Select(55, 70);
    editor.ToggleBullets();

    kiln::qstd::QBuffer rtf;
    ASSERT_TRUE(page.GetRtf(rtf));
    const std::wstring rtfPath = TempPath(L"vorlen-editor-export.rtf");
    documents::ExportRtf(rtfPath.c_str(), rtf);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rtf.GetData()), rtf.GetCount()), FileBytes(rtfPath));
    DeleteFileW(rtfPath.c_str());

    const documents::RichDocument document = documents::ReadRtf(rtf.GetData(), rtf.GetCount());
    ASSERT_GE(document.paragraphs.size(), 4u);
    EXPECT_EQ(documents::Alignment::Center, document.paragraphs[0].alignment);
    const documents::RichParagraph& formatted = document.paragraphs[1];
    const RichRun* bold = RunWith(formatted, L"Bold");
    const RichRun* italic = RunWith(formatted, L"italic");
    const RichRun* underlined = RunWith(formatted, L"underlined");
    const RichRun* struck = RunWith(formatted, L"struck");
    const RichRun* red = RunWith(formatted, L"red");
    const RichRun* arial = RunWith(formatted, L"Arial");
    ASSERT_TRUE(bold && italic && underlined && struck && red && arial);
    EXPECT_TRUE(bold->bold && !bold->italic);
    EXPECT_TRUE(italic->italic && !italic->bold);
    EXPECT_TRUE(underlined->underline);
    EXPECT_TRUE(struck->strike);
    EXPECT_TRUE(red->colored);
    EXPECT_EQ(RGB(255, 0, 0), red->color);
    EXPECT_EQ(L"Arial", arial->font);
    EXPECT_EQ(40, arial->halfPoints);
    EXPECT_EQ(documents::ListKind::None, document.paragraphs[1].list);
    EXPECT_EQ(documents::ListKind::Bullet, document.paragraphs[2].list);
    EXPECT_EQ(documents::ListKind::Bullet, document.paragraphs[3].list);

    const std::wstring docxPath = TempPath(L"vorlen-editor-export.docx");
    documents::ExportDocx(docxPath.c_str(), rtf);
    kiln::qstd::QString text;
    ASSERT_TRUE(ExtractOfficeText(docxPath.c_str(), text));
    const std::wstring extracted(text.c_str(), static_cast<size_t>(text.GetLength()));
    EXPECT_EQ(0u, extracted.find(L"Centred title\nBold italic underlined struck red Arial\nFirst item\n"
                                 L"Second item\n"))
        << std::string(extracted.begin(), extracted.end());
    DeleteFileW(docxPath.c_str());
}

}  // namespace
