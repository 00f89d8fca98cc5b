#include "child_process.h"

namespace {

std::wstring quoted(const std::wstring& argument) {
    return L"\"" + argument + L"\"";
}

}  // namespace

DWORD runChild(const std::vector<std::wstring>& arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = quoted(self) + L" --child";
    for (const std::wstring& argument : arguments) commandLine += L" " + quoted(argument);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    // Wine has been seen to refuse a process start now and then on a loaded
    // machine (error 1359); a refused start is tried again, never counted.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt) Sleep(200);
        started = CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process) != FALSE;
    }
    if (!started) return DWORD(-1);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}
