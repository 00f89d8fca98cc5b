#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/settings/file_association.h"

// These tests write the association into the registry of the Wine prefix
// the tests run in, and remove it again. On Windows itself they would
// replace the machine's own association of ".data" files, so they do not run there.

namespace {

const wchar_t kNeedAdmin[] = L"Need administrative privileges! (Run as admin and try again).";
const wchar_t kScratchKey[] = L"Software\\VorlenTests\\Registry";

// The string value name of key under root, or "<missing>".
std::wstring StringValue(HKEY root, const wchar_t* key, const wchar_t* name = L"") {
    wchar_t data[512] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return L"<missing>";
    const LONG result = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS || type != REG_SZ) return L"<missing>";
    return data;
}

bool KeyExists(HKEY root, const wchar_t* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

DWORD ValueCount(HKEY root, const wchar_t* key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return 0xFFFFFFFF;
    DWORD values = 0;
    RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(opened);
    return values;
}

std::wstring ProgramPath() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    return module;
}

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class FileAssociationTest : public testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) GTEST_SKIP() << "only in a Wine prefix of its own";
        RemoveAssociation();
    }
    void TearDown() override {
        if (RunningUnderWine()) RemoveAssociation();
    }

    static void RemoveAssociation() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".data");
        ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".data"));
    }
};

TEST_F(FileAssociationTest, TheCommandRegistersDataFilesToOpenInTheProgram) {
    ASSERT_FALSE(IsDataFileAssociated());
    EXPECT_EQ(std::wstring(RunAssociateCommand(true).c_str()), L"");

    EXPECT_TRUE(IsDataFileAssociated());
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L".data"), L"data");
    // The program's path unquoted, one blank, then the file in quotes.
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L".data\\Shell\\Open\\Command"), ProgramPath() + L" \"%1\"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L".data\\DefaultIcon"));
    EXPECT_EQ(ValueCount(HKEY_CLASSES_ROOT, L".data\\DefaultIcon"), 0u);
}

TEST_F(FileAssociationTest, ASecondRunLeavesAnExistingAssociationAsItIs) {
    ASSERT_EQ(std::wstring(RunAssociateCommand(true).c_str()), L"");
    // As if another program, or the user, had changed it since.
    RegistryKey key(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(key.CreateKey(L".data\\Shell\\Open\\Command"));
    ASSERT_TRUE(key.SetString(L"", L"other.exe \"%1\""));

    EXPECT_EQ(std::wstring(RunAssociateCommand(true).c_str()), L"");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L".data\\Shell\\Open\\Command"), L"other.exe \"%1\"");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, L".data"), L"data");
}

TEST_F(FileAssociationTest, WithoutAdministrativeRightsTheCommandOnlyRefuses) {
    EXPECT_EQ(std::wstring(RunAssociateCommand(false).c_str()), kNeedAdmin);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L".data"));
}

class RegistryKeyTest : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VorlenTests"); }
};

TEST_F(RegistryKeyTest, StringsOfTwoHundredFiftyFiveUnitsOrMoreAreRefused) {
    RegistryKey key;
    ASSERT_TRUE(key.CreateKey(kScratchKey));
    ASSERT_TRUE(key.SetString(L"name", L"before"));
    const struct {
        size_t length;
        bool stored;
    } cases[] = {{0, true}, {1, true}, {254, true}, {255, false}, {256, false}, {400, false}};
    for (const auto& c : cases) {
        ASSERT_TRUE(key.SetString(L"name", L"before"));
        const std::wstring value(c.length, L'x');
        EXPECT_EQ(key.SetString(L"name", value.c_str()), c.stored) << c.length;
        EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kScratchKey, L"name"), c.stored ? value : L"before") << c.length;
    }
}

TEST_F(RegistryKeyTest, ValuesGoToTheKeyCreatedLast) {
    RegistryKey key;
    // Nothing created yet: no key to write to (not the root itself).
    EXPECT_FALSE(key.SetString(L"stray", L"value"));
    EXPECT_EQ(StringValue(HKEY_CURRENT_USER, L"", L"stray"), L"<missing>");

    ASSERT_TRUE(key.CreateKey(L"Software\\VorlenTests\\First"));
    ASSERT_TRUE(key.CreateKey(kScratchKey));
    EXPECT_TRUE(key.SetString(L"", L"default"));
    EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kScratchKey), L"default");
    EXPECT_EQ(StringValue(HKEY_CURRENT_USER, L"Software\\VorlenTests\\First"), L"<missing>");
}

TEST_F(RegistryKeyTest, KeyExistsLooksUnderTheRootGiven) {
    RegistryKey key;
    EXPECT_FALSE(key.KeyExists(kScratchKey));
    ASSERT_TRUE(key.CreateKey(kScratchKey));
    EXPECT_TRUE(key.KeyExists(kScratchKey));
    EXPECT_TRUE(key.KeyExists(kScratchKey, HKEY_CURRENT_USER));
    EXPECT_FALSE(key.KeyExists(kScratchKey, HKEY_CLASSES_ROOT));
}

}  // namespace
