#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/settings/file_association.h"

// These tests write the association into the current user's classes of the
// Wine prefix the tests run in, and remove it again. On Windows itself they
// would replace the user's own association of ".data" files, so they do not
// run there.

namespace {

const wchar_t kScratchKey[] = L"Software\\VorlenTests\\Registry";
const wchar_t kUserData[] = L"Software\\Classes\\.data";
const wchar_t kUserProgId[] = L"Software\\Classes\\Vorlen.CardDatabase";
const wchar_t kOtherProgId[] = L"Software\\Classes\\Other.Notes";

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

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class FileAssociationTest : public testing::Test {
protected:
    void SetUp() override {
        if (!RunningUnderWine()) GTEST_SKIP() << "only in a Wine prefix of its own";
        RemoveAssociations();
    }
    void TearDown() override {
        if (RunningUnderWine()) RemoveAssociations();
    }

    static void RemoveAssociations() {
        for (const wchar_t* key : {kUserData, kUserProgId, kOtherProgId}) RegDeleteTreeW(HKEY_CURRENT_USER, key);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.data");
        ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserData));
    }

    // Another program's association, as its own installer would write it.
    static void GiveDataFilesToAnotherProgram() {
        RegistryKey key(HKEY_CURRENT_USER);
        ASSERT_TRUE(key.CreateKey(kOtherProgId) && key.SetString(L"", L"Other notes"));
        ASSERT_TRUE(key.CreateKey(std::wstring(kOtherProgId).append(L"\\shell\\open\\command").c_str()) &&
                    key.SetString(L"", L"\"C:\\other\\notes.exe\" \"%1\""));
        ASSERT_TRUE(key.CreateKey(kUserData) && key.SetString(L"", L"Other.Notes"));
    }

    // Runs the command as the window does, recording each question.
    AssociateOutcome Associate(const wchar_t* programPath, bool answer) {
        return RunAssociateCommand(programPath, [&](const kiln::qstd::QString& owner) {
            questions.push_back(owner.c_str());
            return answer;
        });
    }

    std::vector<std::wstring> questions;
};

TEST_F(FileAssociationTest, CardFilesAreRegisteredForTheUserUnderAProgId) {
    struct Case {
        const wchar_t* programPath;
        bool anotherOwner;
        bool answer;
        AssociateOutcome outcome;
        bool asked;
    };
    const Case cases[] = {
        {L"C:\\Vorlen\\vorlen.exe", false, false, AssociateOutcome::Associated, false},
        // Quoted, so the shell does not cut the path at the first blank.
        {L"C:\\Program Files\\My Vorlen\\vorlen.exe", false, false, AssociateOutcome::Associated, false},
        {L"C:\\Vorlen\\vorlen.exe", true, false, AssociateOutcome::Declined, true},
        {L"C:\\Users\\A B\\AppData\\Local\\Programs\\Vorlen\\vorlen.exe", true, true,
         AssociateOutcome::Associated, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::wstring(c.programPath) + (c.anotherOwner ? L" over another owner" : L""));
        RemoveAssociations();
        questions.clear();
        if (c.anotherOwner) GiveDataFilesToAnotherProgram();

        EXPECT_EQ(Associate(c.programPath, c.answer), c.outcome);
        EXPECT_EQ(questions, c.asked ? std::vector<std::wstring>{L"Other notes"} : std::vector<std::wstring>{});
        if (c.outcome == AssociateOutcome::Declined) {
            // The other program keeps its files, and nothing of ours is written.
            EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kUserData), L"Other.Notes");
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserProgId));
            continue;
        }
        const std::wstring quoted = std::wstring(L"\"") + c.programPath + L"\"";
        EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kUserData), L"Vorlen.CardDatabase");
        EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, L"Software\\Classes\\.data\\OpenWithProgids"), 1u);
        EXPECT_EQ(StringValue(HKEY_CURRENT_USER, L"Software\\Classes\\.data\\OpenWithProgids",
                              L"Vorlen.CardDatabase"),
                  L"");
        EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kUserProgId), L"Vorlen card database");
        EXPECT_EQ(StringValue(HKEY_CURRENT_USER, L"Software\\Classes\\Vorlen.CardDatabase\\DefaultIcon"),
                  quoted + L",0");
        EXPECT_EQ(StringValue(HKEY_CURRENT_USER,
                              L"Software\\Classes\\Vorlen.CardDatabase\\shell\\open\\command"),
                  quoted + L" \"%1\"");
        EXPECT_EQ(FindDataFileOwner().kind, DataFileOwner::ThisProgram);
        // Nothing machine-wide: no administrator was needed.
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Vorlen.CardDatabase"));
    }
}

TEST_F(FileAssociationTest, TheOwnerIsFoundByItsTypeNameProgIdOrCommand) {
    EXPECT_EQ(FindDataFileOwner().kind, DataFileOwner::None);

    GiveDataFilesToAnotherProgram();
    DataFileOwner owner = FindDataFileOwner();
    EXPECT_EQ(owner.kind, DataFileOwner::Other);
    EXPECT_STREQ(owner.name.c_str(), L"Other notes");

    // A ProgID without a type name is named by itself.
    RegDeleteTreeW(HKEY_CURRENT_USER, kOtherProgId);
    owner = FindDataFileOwner();
    EXPECT_EQ(owner.kind, DataFileOwner::Other);
    EXPECT_STREQ(owner.name.c_str(), L"Other.Notes");

    // An open verb written onto the extension itself, without a ProgID.
    RemoveAssociations();
    RegistryKey key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.CreateKey(L"Software\\Classes\\.data\\Shell\\Open\\Command") &&
                key.SetString(L"", L"old.exe \"%1\""));
    owner = FindDataFileOwner();
    EXPECT_EQ(owner.kind, DataFileOwner::Other);
    EXPECT_STREQ(owner.name.c_str(), L"old.exe \"%1\"");
}

TEST_F(FileAssociationTest, ASecondRunFindsCardFilesAlreadyOursAndAsksNothing) {
    ASSERT_EQ(Associate(L"C:\\Old\\vorlen.exe", false), AssociateOutcome::Associated);
    EXPECT_EQ(Associate(L"C:\\New\\vorlen.exe", false), AssociateOutcome::Associated);
    EXPECT_TRUE(questions.empty());
    // The program moved: the command follows it.
    EXPECT_EQ(StringValue(HKEY_CURRENT_USER, L"Software\\Classes\\Vorlen.CardDatabase\\shell\\open\\command"),
              L"\"C:\\New\\vorlen.exe\" \"%1\"");
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
