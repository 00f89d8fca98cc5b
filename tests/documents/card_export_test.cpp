// Exporting a card: the RTF file holds exactly the editor's bytes, the Word
// document is a package the program's own Office-text reader reads back, and
// a file that could not be written is a failure, never a success.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/qerror.h"
#include "core/qmultibytestr.h"
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
    // A long name takes its long form, the file beside it too.
    const std::wstring longPath = TempPath((std::wstring(240, L'n') + L".rtf").c_str());
    documents::ExportRtf(longPath.c_str(), SampleRtf());
    documents::ExportRtf(longPath.c_str(), SampleRtf());
    EXPECT_EQ(std::string(kSampleCardRtf), FileText(L"\\\\?\\" + longPath));
    DeleteFileW((L"\\\\?\\" + longPath).c_str());
    DeleteFileW(path.c_str());
}

TEST(CardExport, AFileThatCannotBeWrittenIsAFailure) {
    const wchar_t* path = L"Z:\\no-such-folder-for-vorlen\\card.rtf";
    EXPECT_THROW(documents::ExportRtf(path, SampleRtf()), QError);
    EXPECT_THROW(documents::ExportDocx(path, SampleRtf()), QError);
}

// A folder of its own, so that whatever an export leaves beside its target
// is seen.
class ExportFolder : public testing::Test {
protected:
    void SetUp() override {
        folder = TempPath(L"vorlen-export-folder");
        CreateDirectoryW(folder.c_str(), nullptr);
        target = folder + L"\\card.rtf";
        documents::WriteExportFile(target.c_str(), "the older file", 14);
    }
    void TearDown() override {
        for (const std::wstring& name : Names()) {
            SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((folder + L"\\" + name).c_str());
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0) {
                names.push_back(found.cFileName);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    std::wstring folder;
    std::wstring target;
};

// Writes go through to the disk until the disk is full.
class FillingDisk : public kiln::files::QFile {
public:
    explicit FillingDisk(DWORD room) : room(room) {}
    DWORD Write(const void* buffer, DWORD n) override {
        if (room == 0) {
            SetLastError(ERROR_DISK_FULL);
            return 0;
        }
        const DWORD taken = n < room ? n : room;
        room -= taken;
        return QFile::Write(buffer, taken);
    }

private:
    DWORD room;
};

TEST_F(ExportFolder, AFullDiskLeavesTheOlderFileAsItWasAndNothingBesideIt) {
    const QBuffer rtf = SampleRtf();
    FillingDisk disk(100);
    try {
        documents::WriteExportFile(target.c_str(), rtf.GetData(), rtf.GetCount(), disk);
        ADD_FAILURE() << "the export claimed success";
    } catch (const QError& error) {
        EXPECT_EQ(ERROR_DISK_FULL, static_cast<DWORD>(error.code));
    }
    EXPECT_EQ("the older file", FileText(target));
    EXPECT_EQ(std::vector<std::wstring>{L"card.rtf"}, Names());
}

TEST_F(ExportFolder, AReadOnlyFileIsNotReplaced) {
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(documents::ExportRtf(target.c_str(), SampleRtf()), QError);
    EXPECT_EQ("the older file", FileText(target));
    EXPECT_EQ(std::vector<std::wstring>{L"card.rtf"}, Names());
}

// Names of devices would write to the device, and a pipe or a folder in the
// target's place cannot be meant: each is refused before anything is made.
TEST_F(ExportFolder, DevicesPipesAndFoldersAreRefused) {
    const std::wstring pipeName = L"\\\\.\\pipe\\vorlen-export-test";
    HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 4, 0, 4096, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    CreateDirectoryW((folder + L"\\sub.rtf").c_str(), nullptr);
    const struct {
        std::wstring path;
        const char* message;
    } cases[] = {
        {folder + L"\\NUL.docx", "\"NUL.docx\" is a name Windows keeps for a device; choose another name."},
        {folder + L"\\com1.rtf", "\"com1.rtf\" is a name Windows keeps for a device; choose another name."},
        {pipeName, "\"vorlen-export-test\" is not an ordinary file (a device or a pipe); choose another name."},
        {folder + L"\\sub.rtf", "\"sub.rtf\" is a folder."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            documents::ExportDocx(c.path.c_str(), SampleRtf());
            ADD_FAILURE() << "exported";
        } catch (const QError& error) {
            EXPECT_EQ(c.message, std::string(kiln::qstd::QMultiByteStr(error.message.c_str()).c_str()));
        }
    }
    RemoveDirectoryW((folder + L"\\sub.rtf").c_str());
    CloseHandle(pipe);
    EXPECT_EQ(std::vector<std::wstring>{L"card.rtf"}, Names());
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
