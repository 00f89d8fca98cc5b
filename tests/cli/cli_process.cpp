#include "cli_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

std::wstring cliPath() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + VORLEN_CLI_FROM_TESTS;
}

// Drains one pipe on a thread of its own, so that a full stderr pipe cannot
// stall the program while the test waits on stdout. Once the program has
// ended, what is left is read and the reading stops even if the pipe stays
// open: a helper process the system started meanwhile may have inherited its
// end, and a blocking read would then wait for ever.
class PipeReader {
public:
    PipeReader() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        CreatePipe(&read, &write, &inherit, 0);
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    }
    ~PipeReader() {
        ended = true;
        if (thread.joinable()) thread.join();
        CloseHandle(read);
        if (write) CloseHandle(write);
    }

    HANDLE childEnd() const { return write; }

    void start() {
        CloseHandle(write);
        write = nullptr;
        thread = std::thread([this] {
            char chunk[4096];
            for (;;) {
                // Looked at before the pipe: an empty pipe seen after the
                // program was known to have ended holds nothing more, while
                // one seen before may still receive its last writes.
                const bool endedBefore = ended;
                DWORD available = 0;
                // Fails once every writer has closed its end: all is read.
                if (!PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr)) break;
                if (available == 0) {
                    if (endedBefore) break;
                    Sleep(2);
                    continue;
                }
                DWORD n = 0;
                if (!ReadFile(read, chunk, available < sizeof chunk ? available : sizeof chunk, &n, nullptr) ||
                    n == 0) {
                    break;
                }
                text.append(chunk, n);
            }
        });
    }

    // Called once the program has ended: its writes are all in the pipe.
    std::string finish() {
        ended = true;
        thread.join();
        return text;
    }

private:
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    std::thread thread;
    std::atomic<bool> ended{false};
    std::string text;
};

}  // namespace

std::string utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr,
                        nullptr);
    return bytes;
}

std::wstring quoteArguments(const std::vector<std::wstring>& arguments) {
    std::wstring line;
    for (const std::wstring& argument : arguments) {
        if (!line.empty()) line += L' ';
        line += L'"';
        size_t backslashes = 0;
        for (wchar_t c : argument) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            // Backslashes count only in front of a quote, where each must be doubled.
            line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, L'\\');
        line += L'"';
    }
    return line;
}

CliRun runCli(const std::vector<std::wstring>& arguments) {
    const std::wstring program = cliPath();
    std::vector<std::wstring> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::wstring commandLine = quoteArguments(words);

    PipeReader out;
    PipeReader err;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out.childEnd();
    startup.hStdError = err.childEnd();
    PROCESS_INFORMATION process{};
    CliRun run{~0ul, "", ""};
    // Wine has been seen to refuse a process start now and then on a loaded
    // machine (error 1359); a refused start is tried again, never counted.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt) Sleep(200);
        started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                 nullptr, nullptr, &startup, &process) != FALSE;
    }
    if (!started) {
        ADD_FAILURE() << "cannot start " << utf8(program) << ": error " << GetLastError();
        return run;
    }
    out.start();
    err.start();
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "vorlen-cli did not end within a minute";
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = code;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.out = out.finish();
    run.err = err.finish();
    return run;
}
