#include <gtest/gtest.h>
#include <windows.h>

#include <string>

// The probe and a planted "msftedit.dll" lie together in this test's own
// folder, as a downloaded program lies beside whatever else was downloaded.

namespace {

std::wstring OwnFolder() {
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path;
}

const std::wstring kMark = OwnFolder() + L"planted-dll-loaded";

bool Marked() {
    return GetFileAttributesW(kMark.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD RunProbe(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + OwnFolder() + L"dll_search_probe.exe\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, OwnFolder().c_str(), &startup,
                        &process)) {
        return 0xFFFFFFFF;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(DllSearchTest, APlantedSystemDllBesideTheProgramIsNotLoaded) {
    DeleteFileW(kMark.c_str());
    // Without the hardening the planted DLL wins, or this test proves nothing.
    const DWORD unhardened = RunProbe(L"--plain");
    if (!Marked()) GTEST_SKIP() << "this system does not load a DLL from the program's folder first";
    EXPECT_EQ(unhardened, 1u);

    struct Case {
        const wchar_t* arguments;
    };
    for (const Case& c : {Case{L"--harden"}, Case{L"--harden --system"}, Case{L"--plain --system"}}) {
        SCOPED_TRACE(c.arguments);
        DeleteFileW(kMark.c_str());
        EXPECT_EQ(RunProbe(c.arguments), 0u);
        EXPECT_FALSE(Marked());
    }
    DeleteFileW(kMark.c_str());
}

}  // namespace
