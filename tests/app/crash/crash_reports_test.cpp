// An abnormal end leaves a minidump behind, only the newest few are kept,
// and the next start of the window says so once.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "app/crash/crash_reports.h"
#include "main_window_fixture.h"

namespace apptest {
namespace {

std::wstring ChildPath() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"crash_child.exe";
}

// Runs the child to its end with its output thrown away (the system's own
// words about a crash are no failure of this suite); its exit code.
DWORD RunChild(const std::wstring& folder, const wchar_t* how) {
    std::wstring line = L"\"" + ChildPath() + L"\" \"" + folder + L"\" " + how;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    const HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &code);
        } else {
            TerminateProcess(process.hProcess, 1);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(nul);
    return code;
}

std::vector<std::wstring> DumpsIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// A folder of the test's own, emptied before and after.
class DumpFolder {
public:
    explicit DumpFolder(const wchar_t* name) : path(TempPath(name)) {
        Empty();
        CreateDirectoryW(path.c_str(), nullptr);
    }
    DumpFolder(const DumpFolder&) = delete;
    DumpFolder& operator=(const DumpFolder&) = delete;
    ~DumpFolder() {
        Empty();
        RemoveDirectoryW(path.c_str());
    }
    // A dump file of the given age in days, as far as its time goes.
    void Plant(const std::wstring& name, int daysOld) const {
        const std::wstring file = path + L"\\" + name;
        { std::ofstream(file.c_str(), std::ios::binary) << "MDMP"; }
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
        time.QuadPart -= static_cast<ULONGLONG>(daysOld) * 24 * 3600 * 10000000ULL;
        const FILETIME written = {time.LowPart, time.HighPart};
        const HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(handle, nullptr, nullptr, &written);
        CloseHandle(handle);
    }
    const std::wstring path;

private:
    void Empty() const {
        for (const std::wstring& name : DumpsIn(path)) DeleteFileW((path + L"\\" + name).c_str());
        DeleteFileW((path + L"\\seen").c_str());
    }
};

TEST(CrashReportsTest, AnAbnormalEndLeavesAMinidumpThatIsOfferedOnce) {
    const struct {
        const wchar_t* how;
    } ends[] = {{L"access"}, {L"throw"}};
    for (const auto& end : ends) {
        SCOPED_TRACE(testing::Message() << std::string(end.how, end.how + wcslen(end.how)));
        DumpFolder folder(L"vorlen-crash-dumps");
        EXPECT_NE(RunChild(folder.path, end.how), 0u);
        const std::vector<std::wstring> dumps = DumpsIn(folder.path);
        ASSERT_EQ(dumps.size(), 1u);
        EXPECT_EQ(dumps[0].rfind(L"vorlen-", 0), 0u) << std::string(dumps[0].begin(), dumps[0].end());
        std::ifstream dump((folder.path + L"\\" + dumps[0]).c_str(), std::ios::binary);
        char signature[4] = {};
        dump.read(signature, 4);
        EXPECT_EQ(std::string(signature, 4), "MDMP");

        EXPECT_EQ(std::wstring(UnseenCrashDump(folder.path.c_str()).c_str()), folder.path + L"\\" + dumps[0]);
        MarkCrashDumpsSeen(folder.path.c_str());
        EXPECT_TRUE(UnseenCrashDump(folder.path.c_str()).IsEmpty());
    }
}

TEST(CrashReportsTest, AnOrdinaryEndLeavesNothingAndOnlyTheNewestDumpsAreKept) {
    DumpFolder folder(L"vorlen-crash-kept");
    for (int age = 1; age <= 8; ++age) folder.Plant(L"vorlen-old-" + std::to_wstring(age) + L".dmp", age);
    EXPECT_EQ(RunChild(folder.path, L"none"), 0u);
    std::vector<std::wstring> kept = DumpsIn(folder.path);
    std::sort(kept.begin(), kept.end());
    std::vector<std::wstring> newest;
    for (unsigned age = 1; age <= kKeptCrashDumps; ++age) newest.push_back(L"vorlen-old-" + std::to_wstring(age) + L".dmp");
    EXPECT_EQ(kept, newest);
}

class CrashNoticeTest : public MainWindowTest {};

TEST_F(CrashNoticeTest, TheNextStartSaysSoOnceAndOpensTheFolderWhenAsked) {
    DumpFolder folder(L"vorlen-crash-notice");
    Start();
    window->OfferCrashReport(folder.path.c_str());
    EXPECT_TRUE(prompts.questions.empty()) << "nothing to tell";

    folder.Plant(L"vorlen-2026-12-11-101010-7.dmp", 0);
    prompts.answerYes = true;
    window->OfferCrashReport(folder.path.c_str());
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(prompts.questions[0].text.find(folder.path + L"\\vorlen-2026-12-11-101010-7.dmp"), std::wstring::npos);
    EXPECT_EQ(prompts.opened, std::vector<std::wstring>{folder.path});
    // Told once.
    window->OfferCrashReport(folder.path.c_str());
    EXPECT_EQ(prompts.questions.size(), 1u);
    // A later one is told again; declined, the folder stays closed.
    folder.Plant(L"vorlen-later.dmp", -1);
    prompts.answerYes = false;
    window->OfferCrashReport(folder.path.c_str());
    EXPECT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.opened.size(), 1u);
}

}  // namespace
}  // namespace apptest
