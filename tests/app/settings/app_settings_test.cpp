#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/settings/app_settings.h"
#include "app/settings/settings_archive.h"
#include "core/qfile.h"

namespace {

using kiln::files::QFile;
using kiln::qstd::QString;

// The settings file's bytes, written out by hand: little-endian, no padding.
class Bytes {
public:
    Bytes& I32(uint32_t value) { return Le(value, 4); }
    Bytes& I64(uint64_t value) { return Le(value, 8); }
    Bytes& U8(uint8_t value) { return Le(value, 1); }
    Bytes& Utf16(const std::wstring& text) {
        for (wchar_t c : text) Le(static_cast<uint16_t>(c), 2);
        return *this;
    }
    Bytes& Path(const std::wstring& text) { return I32(static_cast<uint32_t>(text.size() * 2)).Utf16(text); }
    Bytes& Rect(const RECT& rect) {
        return I32(static_cast<uint32_t>(rect.left))
            .I32(static_cast<uint32_t>(rect.top))
            .I32(static_cast<uint32_t>(rect.right))
            .I32(static_cast<uint32_t>(rect.bottom));
    }
    Bytes& History(const std::vector<int64_t>& ids) {
        I32(static_cast<uint32_t>(ids.size()));
        for (int64_t id : ids) I64(static_cast<uint64_t>(id));
        return *this;
    }
    const std::string& Get() const { return data; }

private:
    Bytes& Le(uint64_t value, int n) {
        for (int i = 0; i < n; ++i) data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        return *this;
    }
    std::string data;
};

std::wstring Text(const QString& text) {
    return text.c_str();
}

std::vector<int64_t> HistoryIds(const AppSettings& settings) {
    const auto& ids = settings.history.GetIds();
    return std::vector<int64_t>(ids.GetData(), ids.GetData() + ids.GetCount());
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void ExpectSameSettings(const AppSettings& actual, const AppSettings& expected, const char* name = "") {
    EXPECT_EQ(Text(actual.lastDatabasePath), Text(expected.lastDatabasePath)) << name;
    EXPECT_EQ(actual.treeWidth, expected.treeWidth) << name;
    EXPECT_TRUE(SameRect(actual.windowRect, expected.windowRect)) << name;
    EXPECT_EQ(actual.lastSelectedCard, expected.lastSelectedCard) << name;
    EXPECT_EQ(actual.treeLines, expected.treeLines) << name;
    EXPECT_EQ(HistoryIds(actual), HistoryIds(expected)) << name;
    EXPECT_EQ(actual.wordWrap, expected.wordWrap) << name;
}

// A settings file in a folder of its own, removed afterwards.
class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        for (unsigned attempt = 0; folder.empty(); ++attempt) {
            const std::wstring candidate =
                std::wstring(temp) + L"app_tests_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(attempt);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) folder = candidate;
            ASSERT_LT(attempt, 100u);
        }
        path = folder + L"\\Vorlen1.2.config";
        pending = path + L".new";
    }

    void TearDown() override {
        DeleteFileW(path.c_str());
        DeleteFileW(pending.c_str());
        RemoveDirectoryW(pending.c_str());
        RemoveDirectoryW(folder.c_str());
    }

    void WriteBytes(const std::wstring& file, const std::string& bytes) {
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(handle);
        ASSERT_EQ(written, bytes.size());
    }

    std::string ReadBytes(const std::wstring& file) {
        std::string bytes;
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return "<missing>";
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(handle, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
        CloseHandle(handle);
        return bytes;
    }

    static bool Exists(const std::wstring& file) { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring folder;
    std::wstring path;
    std::wstring pending;
};

AppSettings SampleSettings(const wchar_t* databasePath, const std::vector<int64_t>& history) {
    AppSettings settings;
    settings.lastDatabasePath = databasePath;
    settings.treeWidth = 233;
    settings.wordWrap = false;
    settings.windowRect = {-8, 12, 1300, 900};
    settings.lastSelectedCard = 0x0102030405060708LL;
    settings.treeLines = true;
    for (auto it = history.rbegin(); it != history.rend(); ++it) settings.history.Add(*it);
    return settings;
}

std::string SampleBytes(const std::wstring& databasePath, const std::vector<int64_t>& history) {
    return Bytes()
        .Path(databasePath)
        .I32(233)
        .Rect({-8, 12, 1300, 900})
        .I64(0x0102030405060708ULL)
        .U8(1)
        .History(history)
        .U8(0)
        .Get();
}

const std::vector<int64_t> kFifteenIds = {101, 102, 103, 0x7FFFFFFFFFFFFFFFLL, -5, 106, 107, 108,
                                          109, 110, 111, 112, 0x100000000LL, 114, 115};

TEST_F(SettingsFileTest, NoDatabaseAndFifteenHistoryIdsHaveTheFileLayout) {
    const AppSettings settings = SampleSettings(L"", kFifteenIds);
    ASSERT_TRUE(SaveAppSettings(path.c_str(), settings));

    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.size(), 38u + 8 * 15);
    EXPECT_EQ(bytes, SampleBytes(L"", kFifteenIds));
    EXPECT_FALSE(Exists(pending));
    ExpectSameSettings(LoadAppSettings(path.c_str()), settings);
}

TEST_F(SettingsFileTest, ADatabasePathIsStoredAsUtf16WithItsByteLength) {
    const std::wstring database = L"C:\\Users\\Ana\\Karten \u00fc\u4e2d\\notes.data";
    const AppSettings settings = SampleSettings(database.c_str(), {42});
    ASSERT_TRUE(SaveAppSettings(path.c_str(), settings));

    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.size(), 38 + database.size() * 2 + 8);
    EXPECT_EQ(bytes, SampleBytes(database, {42}));
    ExpectSameSettings(LoadAppSettings(path.c_str()), settings);
}

// Longer than the archive's buffer: written in pieces, read straight into the string.
TEST_F(SettingsFileTest, APathLongerThanTheBufferRoundTrips) {
    std::wstring database = L"C:\\";
    while (database.size() < 3000) database += L"folder\u00e9\\";
    database += L"cards.data";
    const AppSettings settings = SampleSettings(database.c_str(), kFifteenIds);
    ASSERT_TRUE(SaveAppSettings(path.c_str(), settings));
    EXPECT_EQ(ReadBytes(path), SampleBytes(database, kFifteenIds));
    ExpectSameSettings(LoadAppSettings(path.c_str()), settings);
}

TEST_F(SettingsFileTest, AFlagByteOfTwoReadsAsTrueAndIsWrittenAsOne) {
    WriteBytes(path, Bytes().Path(L"").I32(150).Rect({1, 2, 3, 4}).I64(9).U8(2).History({}).U8(2).Get());
    const AppSettings settings = LoadAppSettings(path.c_str());
    EXPECT_TRUE(settings.treeLines);
    EXPECT_TRUE(settings.wordWrap);

    ASSERT_TRUE(SaveAppSettings(path.c_str(), settings));
    const std::string bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 38u);
    EXPECT_EQ(bytes[32], 1);
    EXPECT_EQ(bytes[37], 1);
}

TEST_F(SettingsFileTest, AMissingFileGivesTheDefaults) {
    const AppSettings settings = LoadAppSettings(path.c_str());
    ExpectSameSettings(settings, AppSettings());
    EXPECT_EQ(settings.treeWidth, 150);
    EXPECT_TRUE(settings.wordWrap);
    EXPECT_TRUE(SameRect(settings.windowRect, {500, 500, 1200, 1200}));
    EXPECT_FALSE(settings.treeLines);
}

// The settings in file order, each either as stored or, when the file
// ended before it, its default.
AppSettings FirstFields(const AppSettings& stored, int fieldsRead) {
    AppSettings expected;
    if (fieldsRead > 0) expected.lastDatabasePath = stored.lastDatabasePath;
    if (fieldsRead > 1) expected.treeWidth = stored.treeWidth;
    if (fieldsRead > 2) expected.windowRect = stored.windowRect;
    if (fieldsRead > 3) expected.lastSelectedCard = stored.lastSelectedCard;
    if (fieldsRead > 4) expected.treeLines = stored.treeLines;
    if (fieldsRead > 5) expected.history = stored.history;
    if (fieldsRead > 6) expected.wordWrap = stored.wordWrap;
    return expected;
}

TEST_F(SettingsFileTest, AFileThatEndsEarlyKeepsWhatWasReadAndTheDefaultsForTheRest) {
    // Path L = 18 ends at 22, tree width at 26, rectangle at 42, card at 50,
    // tree lines at 51, history (3 ids) at 79, word wrap at 80.
    const AppSettings stored = SampleSettings(L"C:\\a.data", {5, 6, 7});
    const std::string whole = SampleBytes(L"C:\\a.data", {5, 6, 7});
    ASSERT_EQ(whole.size(), 80u);
    const struct {
        size_t length;
        int fieldsRead;
    } cases[] = {
        {0, 0}, {3, 0}, {21, 0}, {22, 1}, {25, 1}, {26, 2}, {34, 2}, {41, 2}, {42, 3}, {49, 3},
        {50, 4}, {51, 5}, {54, 5}, {60, 5}, {78, 5}, {79, 6}, {80, 7},
    };
    for (const auto& c : cases) {
        WriteBytes(path, whole.substr(0, c.length));
        const std::string name = "cut at " + std::to_string(c.length);
        ExpectSameSettings(LoadAppSettings(path.c_str()), FirstFields(stored, c.fieldsRead), name.c_str());
    }
}

// A length is checked against the file before memory is taken for it: taking
// what these files claim would fail and throw out of the load.
TEST_F(SettingsFileTest, ALengthLargerThanTheFileKeepsTheDefaultsWithoutAllocatingIt) {
    const std::string afterPath = Bytes().I32(400).Rect({1, 2, 3, 4}).I64(77).U8(1).Get();
    const struct {
        const char* name;
        std::string bytes;
        int fieldsRead;
    } cases[] = {
        {"huge path length", Bytes().I32(0x7FFFFFF0).Get() + afterPath + std::string(40, 'x'), 0},
        {"path length of 4 GB", Bytes().I32(0xFFFFFFFE).Get() + afterPath, 0},
        {"path length beyond the end of the file", Bytes().I32(20).Utf16(L"C:\\a.data").Get(), 0},
        {"odd path length", Bytes().I32(3).Get() + afterPath, 0},
        {"huge history", Bytes().Path(L"").Get() + afterPath + Bytes().I32(0x10000000).I64(1).U8(1).Get(), 5},
        {"history count of 4 G", Bytes().Path(L"").Get() + afterPath + Bytes().I32(0xFFFFFFFF).Get(), 5},
        {"history one entry short", Bytes().Path(L"").Get() + afterPath + Bytes().I32(3).I64(1).I64(2).U8(0).Get(),
         5},
    };
    for (const auto& c : cases) {
        WriteBytes(path, c.bytes);
        const AppSettings settings = LoadAppSettings(path.c_str());
        EXPECT_EQ(settings.treeWidth, c.fieldsRead > 1 ? 400 : 150) << c.name;
        EXPECT_EQ(settings.lastSelectedCard, c.fieldsRead > 3 ? 77 : 0) << c.name;
        EXPECT_EQ(settings.treeLines, c.fieldsRead > 4) << c.name;
        EXPECT_TRUE(settings.history.GetIds().IsEmpty()) << c.name;
        EXPECT_TRUE(settings.wordWrap) << c.name;
        EXPECT_EQ(Text(settings.lastDatabasePath), L"") << c.name;
    }
}

TEST_F(SettingsFileTest, WhenWritingFailsTheOldFileIsUntouched) {
    const AppSettings old = SampleSettings(L"C:\\old.data", {1, 2});
    const AppSettings changed = SampleSettings(L"C:\\new.data", {3});
    ASSERT_TRUE(SaveAppSettings(path.c_str(), old));
    const std::string oldBytes = ReadBytes(path);

    // The file a save writes first cannot be created.
    ASSERT_TRUE(CreateDirectoryW(pending.c_str(), nullptr));
    EXPECT_FALSE(SaveAppSettings(path.c_str(), changed));
    EXPECT_EQ(ReadBytes(path), oldBytes);
    ASSERT_TRUE(RemoveDirectoryW(pending.c_str()));

    // The settings file cannot be replaced while another handle holds it
    // without sharing deletion.
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveAppSettings(path.c_str(), changed));
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(path), oldBytes);
    EXPECT_FALSE(Exists(pending));

    ExpectSameSettings(LoadAppSettings(path.c_str()), old);
}

TEST_F(SettingsFileTest, NothingIsWrittenWhereThereIsNoFolder) {
    const std::wstring nowhere = folder + L"\\missing\\Vorlen1.2.config";
    EXPECT_FALSE(SaveAppSettings(nowhere.c_str(), AppSettings()));
    EXPECT_FALSE(Exists(nowhere));
    EXPECT_FALSE(SaveAppSettings(QString(), AppSettings()));
}

// A save cut short leaves its half-written file beside the settings file.
TEST_F(SettingsFileTest, AStrayFileOfAnInterruptedSaveChangesNothing) {
    const AppSettings old = SampleSettings(L"C:\\old.data", {1});
    ASSERT_TRUE(SaveAppSettings(path.c_str(), old));
    WriteBytes(pending, "\x12\x00\x00");
    ExpectSameSettings(LoadAppSettings(path.c_str()), old);

    const AppSettings changed = SampleSettings(L"C:\\new.data", {4, 5});
    ASSERT_TRUE(SaveAppSettings(path.c_str(), changed));
    EXPECT_FALSE(Exists(pending));
    ExpectSameSettings(LoadAppSettings(path.c_str()), changed);
}

// A file that takes fewer bytes than it is given.
class ShortWritingFile : public QFile {
public:
    DWORD Write(const void* buffer, DWORD n) override { return n > 0 ? QFile::Write(buffer, n - 1) : 0; }
};

TEST_F(SettingsFileTest, AnArchiveReportsAStoreTheFileDidNotTakeInFull) {
    ShortWritingFile file;
    ASSERT_TRUE(file.Open(path.c_str(), QFile::modeCreate | QFile::modeWrite));
    SettingsArchive archive(file, SettingsArchive::Mode::Store);
    archive.WriteInt32(7);
    EXPECT_FALSE(archive.Close());
}

TEST(SettingsLocationTest, TheFileLivesInAVorlenFolderOfTheLocalApplicationData) {
    const std::wstring folder = SettingsFolderPath().c_str();
    ASSERT_GT(folder.size(), 7u);
    EXPECT_EQ(folder.substr(folder.size() - 7), L"\\Vorlen");
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(std::wstring(SettingsFilePath().c_str()), folder + L"\\Vorlen1.2.config");
}

}  // namespace
