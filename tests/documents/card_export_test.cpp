// Exporting a card: the RTF file holds exactly the editor's bytes, the Word
// document is a package the program's own Office-text reader reads back, and
// a file that could not be written is a failure, never a success.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "core/qerror.h"
#include "documents/card_export.h"
#include "documents/office_text.h"
#include "sample_card_rtf.h"
#include "zip/qzipreader.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, n) + name;
}

QBuffer SampleRtf() {
    QBuffer rtf;
    rtf.Append(kSampleCardRtf, static_cast<unsigned>(std::strlen(kSampleCardRtf)));
    return rtf;
}

std::string FileText(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

TEST(CardExport, RtfFileHoldsExactlyTheStreamAndReplacesAnOlderFile) {
    const std::wstring path = TempPath(L"vorlen-export.rtf");
    documents::WriteExportFile(path.c_str(), "an older, longer file", 21);
    documents::ExportRtf(path.c_str(), SampleRtf());
    EXPECT_EQ(std::string(kSampleCardRtf), FileText(path));
    DeleteFileW(path.c_str());
}

TEST(CardExport, AFileThatCannotBeWrittenIsAFailure) {
    const wchar_t* const paths[] = {
        L"Z:\\no-such-folder-for-vorlen\\card.rtf",
        // A device that takes no byte: every write fails as on a full disk.
        L"Z:\\dev\\full",
    };
    for (const wchar_t* path : paths) {
        SCOPED_TRACE(std::string(path, path + wcslen(path)));
        EXPECT_THROW(documents::ExportRtf(path, SampleRtf()), QError);
        EXPECT_THROW(documents::ExportDocx(path, SampleRtf()), QError);
    }
}

TEST(CardExport, WordDocumentNamesEndInDocx) {
    EXPECT_TRUE(documents::IsDocxName(L"C:\\cards\\report.docx"));
    EXPECT_TRUE(documents::IsDocxName(L"REPORT.DOCX"));
    EXPECT_FALSE(documents::IsDocxName(L"report.docx.rtf"));
    EXPECT_FALSE(documents::IsDocxName(L"report.rtf"));
    EXPECT_FALSE(documents::IsDocxName(L"docx"));
}

TEST(CardExport, TheWordDocumentIsAPackageOurOfficeTextReads) {
    const std::wstring path = TempPath(L"vorlen-export.docx");
    documents::ExportDocx(path.c_str(), SampleRtf());

    QString text;
    ASSERT_TRUE(ExtractOfficeText(path.c_str(), text));
    EXPECT_EQ(L"Plain bold italic under gone red small Arial\n\u00E9t\u00E9 \u20AC \u0410\nfirst bullet\n"
              L"second bullet\nthree\nfour\nVisit the site or www.example.com.\nA picture: \nLast line\n",
              std::wstring(text.c_str(), static_cast<size_t>(text.GetLength())));

    kiln::qzip::QZipReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_TRUE(reader.ReadDirectory());
    for (const wchar_t* part : {L"[Content_Types].xml", L"_rels/.rels", L"word/_rels/document.xml.rels",
                                L"word/styles.xml", L"word/numbering.xml"}) {
        QBuffer bytes;
        EXPECT_TRUE(reader.Extract(part, bytes)) << std::string(part, part + wcslen(part));
        EXPECT_GT(bytes.GetCount(), 0u);
    }
    QBuffer picture;
    ASSERT_TRUE(reader.Extract(L"word/media/image1.png", picture));
    ASSERT_EQ(sizeof kSamplePng, picture.GetCount());
    EXPECT_EQ(0, std::memcmp(kSamplePng, picture.GetData(), sizeof kSamplePng));
    reader.Close();
    DeleteFileW(path.c_str());
}

TEST(CardExport, AnEmptyCardIsADocumentOfOneEmptyParagraph) {
    const std::wstring path = TempPath(L"vorlen-empty.docx");
    documents::ExportDocx(path.c_str(), QBuffer());
    QString text;
    EXPECT_TRUE(ExtractOfficeText(path.c_str(), text));
    EXPECT_EQ(L"\n", std::wstring(text.c_str(), static_cast<size_t>(text.GetLength())));
    DeleteFileW(path.c_str());
}

}  // namespace
