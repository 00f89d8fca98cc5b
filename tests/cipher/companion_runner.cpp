#include "companion_runner.h"

#include <windows.h>

#include "test_support.h"

namespace {

std::wstring companionPath() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + VORLEN_CLI_FROM_TESTS;
}

// A file the child inherits as one of its standard streams.
HANDLE inheritableFile(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string asText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

CompanionRun runCompanion(const std::vector<std::wstring>& arguments, const std::string& input) {
    ScratchDirectory streams;
    const std::wstring inPath = streams.path(L"in.txt");
    const std::wstring outPath = streams.path(L"out.txt");
    const std::wstring errPath = streams.path(L"err.txt");
    writeFileBytes(inPath, Bytes(input.begin(), input.end()));

    std::wstring commandLine = L"\"" + companionPath() + L"\"";
    for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";

    HANDLE in = inheritableFile(inPath, GENERIC_READ, OPEN_EXISTING);
    HANDLE out = inheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = inheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    CompanionRun run{DWORD(-1), "", ""};
    // Wine has been seen to refuse a process start now and then on a loaded
    // machine (error 1359); a refused start is tried again, never counted.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt) Sleep(200);
        started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                 &process) != FALSE;
    }
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    run.out = asText(readFileBytes(outPath));
    run.err = asText(readFileBytes(errPath));
    return run;
}
