#include "core/qfile.h"

#include "core/qerror.h"
#include "core/qstring.h"

#include <gtest/gtest.h>

#include <string>

#include "temp_folder.h"

using kiln::files::QFile;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

const char kOriginal[] = "0123456789";
const LONGLONG kOriginalSize = 10;

class QFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.Exists()); }

    // Written and read without QFile, so that QFile is checked against the system.
    static void WriteDirectly(const wchar_t* path, const std::string& bytes) {
        const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_EQ(bytes.size(), written);
    }

    static std::string ReadDirectly(const wchar_t* path) {
        const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
        char bytes[256];
        DWORD read = 0;
        ReadFile(file, bytes, sizeof(bytes), &read, nullptr);
        CloseHandle(file);
        return std::string(bytes, read);
    }

    static bool OpensExclusively(const wchar_t* path) {
        const HANDLE file = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
        return true;
    }

    static QString SystemText(DWORD error) {
        QString text;
        text.FormatSystemError(error);
        return text;
    }

    TempFolder folder;
    const QString path = folder.PathOf(L"card.rtf");
};

struct ModeCase {
    const char* name;
    UINT mode;
    bool fileExists;
    LONGLONG sizeAfterOpen;
    DWORD bytesWritten;
    DWORD bytesRead;
    char firstByte;
};

class QFileModeTest : public QFileTest, public ::testing::WithParamInterface<ModeCase> {};

// Writes one byte at the start, then reads the first byte back.
TEST_P(QFileModeTest, ModeWordChoosesAccessAndDisposition) {
    const ModeCase& c = GetParam();
    if (c.fileExists) WriteDirectly(path, kOriginal);

    QFile file;
    ASSERT_TRUE(file.Open(path, c.mode));
    EXPECT_EQ(c.mode, file.GetMode());
    EXPECT_EQ(c.sizeAfterOpen, file.GetSize());
    EXPECT_EQ(c.bytesWritten, file.Write("W", 1));
    ASSERT_TRUE(file.Seek(0, QFile::seekBegin));
    char first = 0;
    EXPECT_EQ(c.bytesRead, file.Read(&first, 1));
    if (c.bytesRead == 1) {
        EXPECT_EQ(c.firstByte, first);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, QFileModeTest,
    ::testing::Values(ModeCase{"ReadExisting", QFile::modeRead, true, kOriginalSize, 0, 1, '0'},
                      ModeCase{"WriteExisting", QFile::modeWrite, true, kOriginalSize, 1, 0, 0},
                      ModeCase{"ReadWriteExisting", QFile::modeReadWrite, true, kOriginalSize, 1, 1, 'W'},
                      ModeCase{"CreateTruncates", QFile::modeCreate, true, 0, 1, 1, 'W'},
                      ModeCase{"CreateMissing", QFile::modeCreate, false, 0, 1, 1, 'W'},
                      ModeCase{"CreateWriteOnly", QFile::modeCreate | QFile::modeWrite, true, 0, 1, 0, 0},
                      ModeCase{"OpenOrCreateMissing", QFile::modeOpenOrCreate, false, 0, 0, 0, 0},
                      ModeCase{"OpenOrCreateExisting", QFile::modeOpenOrCreate | QFile::modeReadWrite, true,
                               kOriginalSize, 1, 1, 'W'},
                      ModeCase{"OpenOrCreateWinsOverCreate", QFile::modeOpenOrCreate | QFile::modeCreate, true,
                               kOriginalSize, 1, 1, 'W'}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

struct SharingCase {
    const char* name;
    UINT firstMode;
    UINT secondMode;
    bool secondOpens;
};

class QFileSharingTest : public QFileTest, public ::testing::WithParamInterface<SharingCase> {};

TEST_P(QFileSharingTest, SecondOpenRespectsTheFirstOnesSharing) {
    WriteDirectly(path, kOriginal);
    QFile first(path, GetParam().firstMode);
    QFile second;
    EXPECT_EQ(GetParam().secondOpens, second.Open(path, GetParam().secondMode));
    if (!GetParam().secondOpens) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sharing, QFileSharingTest,
    ::testing::Values(SharingCase{"ReadersShare", QFile::modeRead, QFile::modeRead, true},
                      SharingCase{"ReaderKeepsWritersOut", QFile::modeRead, QFile::modeWrite, false},
                      SharingCase{"CreatorKeepsWritersOut", QFile::modeCreate, QFile::modeReadWrite, false},
                      SharingCase{"DenyNone", QFile::modeReadWrite | QFile::shareDenyNone,
                                  QFile::modeReadWrite | QFile::shareDenyNone, true},
                      SharingCase{"Exclusive", QFile::modeRead | QFile::shareExclusive, QFile::modeRead, false}),
    [](const ::testing::TestParamInfo<SharingCase>& info) { return std::string(info.param.name); });

TEST_F(QFileTest, SharingViolationRaisesTheSystemText) {
    WriteDirectly(path, kOriginal);
    QFile reader(path, QFile::modeRead);
    try {
        QFile writer(path, QFile::modeWrite);
        FAIL() << "the second open succeeded";
    } catch (const QError& error) {
        EXPECT_STREQ(SystemText(ERROR_SHARING_VIOLATION).c_str(), error.message.c_str());
    }
}

struct MissingCase {
    const wchar_t* name;
    DWORD error;
};

class QFileMissingTest : public QFileTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(QFileMissingTest, OpenFailsWithTheSystemError) {
    const QString missing = folder.PathOf(GetParam().name);
    QFile file;
    EXPECT_FALSE(file.Open(missing, QFile::modeRead));
    EXPECT_EQ(GetParam().error, GetLastError());
    EXPECT_TRUE(file.IsClosed());
    EXPECT_EQ(nullptr, file.GetHandle());
}

TEST_P(QFileMissingTest, ConstructorRaisesTheSystemText) {
    const QString missing = folder.PathOf(GetParam().name);
    try {
        QFile file(missing, QFile::modeRead);
        FAIL() << "a missing file was opened";
    } catch (const QError& error) {
        EXPECT_FALSE(error.message.IsEmpty());
        EXPECT_STREQ(SystemText(GetParam().error).c_str(), error.message.c_str());
        EXPECT_EQ(static_cast<int>(GetParam().error), error.code);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, QFileMissingTest,
                         ::testing::Values(MissingCase{L"missing.rtf", ERROR_FILE_NOT_FOUND},
                                           MissingCase{L"no folder\\missing.rtf", ERROR_PATH_NOT_FOUND}));

TEST_F(QFileTest, NameThatOnlyTheLongFormReachesIsOpenedOnRetry) {
    // The plain form drops a trailing blank, so only the "\\?\" retry finds this file.
    const QString name = folder.PathOf(L"trailing blank ");
    WriteDirectly(L"\\\\?\\" + name, "long form");
    ASSERT_EQ("<cannot open>", ReadDirectly(name));

    QFile file(name, QFile::modeRead);
    char bytes[16] = {};
    EXPECT_EQ(9u, file.Read(bytes, sizeof(bytes)));
    EXPECT_STREQ("long form", bytes);
}

TEST_F(QFileTest, NonAsciiNameIsKeptExactly) {
    const wchar_t* name = L"Karte \u00E4\u00F6\u00FC \u65E5\u672C \u0451.rtf";
    {
        QFile file(folder.PathOf(name), QFile::modeCreate);
        EXPECT_EQ(4u, file.Write("data", 4));
    }
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(folder.PathOf(L"Karte*"), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    FindClose(search);
    EXPECT_STREQ(name, found.cFileName);
    EXPECT_EQ("data", ReadDirectly(folder.PathOf(name)));
}

TEST_F(QFileTest, WrittenBytesReadBackAtTheSoughtPositions) {
    QFile file(path, QFile::modeCreate);
    EXPECT_EQ(11u, file.Write("hello world", 11));
    EXPECT_EQ(11, file.GetPosition());
    EXPECT_EQ(11, file.GetSize());

    LONGLONG position = -1;
    ASSERT_TRUE(file.Seek(-5, QFile::seekEnd, position));
    EXPECT_EQ(6, position);
    char word[6] = {};
    EXPECT_EQ(5u, file.Read(word, 5));
    EXPECT_STREQ("world", word);

    ASSERT_TRUE(file.Seek(-11, QFile::seekCurrent, position));
    EXPECT_EQ(0, position);
    ASSERT_TRUE(file.Seek(6, QFile::seekBegin));
    EXPECT_EQ(6, file.GetPosition());

    EXPECT_FALSE(file.Seek(0, 3, position));
    EXPECT_EQ(0, position);
    EXPECT_EQ(0u, file.Read(word, 0));
}

TEST_F(QFileTest, CloseReportsWhetherAHandleWasClosed) {
    QFile file(path, QFile::modeCreate);
    EXPECT_FALSE(file.IsClosed());
    EXPECT_NE(0, file.Close());
    EXPECT_TRUE(file.IsClosed());
    EXPECT_EQ(0, file.Close());
    EXPECT_TRUE(file.IsClosed());
}

TEST_F(QFileTest, ClosedFileAnswersWithoutTouchingTheSystem) {
    QFile file;
    char byte = 0;
    LONGLONG position = 42;
    EXPECT_TRUE(file.IsClosed());
    EXPECT_EQ(0u, file.Read(&byte, 1));
    EXPECT_EQ(0u, file.Write("x", 1));
    EXPECT_FALSE(file.Seek(0, QFile::seekBegin, position));
    EXPECT_EQ(42, position);
    EXPECT_EQ(0, file.GetSize());
    EXPECT_EQ(0, file.GetPosition());
}

TEST_F(QFileTest, DestructorReleasesTheFile) {
    {
        QFile file(path, QFile::modeCreate);
        EXPECT_FALSE(OpensExclusively(path));
    }
    EXPECT_TRUE(OpensExclusively(path));
}

TEST_F(QFileTest, OpeningAgainClosesTheFirstFile) {
    const QString other = folder.PathOf(L"other.rtf");
    QFile file(path, QFile::modeCreate);
    ASSERT_TRUE(file.Open(other, QFile::modeCreate));
    EXPECT_TRUE(OpensExclusively(path));
    EXPECT_FALSE(OpensExclusively(other));
}

TEST_F(QFileTest, FailedOpenLeavesTheFileClosed) {
    QFile file(path, QFile::modeCreate);
    EXPECT_FALSE(file.Open(folder.PathOf(L"missing.rtf"), QFile::modeRead));
    EXPECT_TRUE(file.IsClosed());
    EXPECT_TRUE(OpensExclusively(path));
}

}  // namespace
