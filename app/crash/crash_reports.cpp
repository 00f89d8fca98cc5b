#include "app/crash/crash_reports.h"

#include <windows.h>

#include <dbghelp.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "core/system_library.h"

using kiln::qstd::QString;

namespace {

using WriteDumpFunction = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                        PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Everything the failing process needs is ready beforehand: it loads no
// library and allocates nothing on the heap.
WriteDumpFunction writeDump = nullptr;
wchar_t dumpFolder[MAX_PATH] = {};
const wchar_t kSeenMark[] = L"\\seen";

void WriteCrashDump(EXCEPTION_POINTERS* exception) {
    if (!writeDump || !dumpFolder[0]) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t path[MAX_PATH + 64];
    swprintf(path, sizeof(path) / sizeof(path[0]), L"%ls\\vorlen-%04u-%02u-%02u-%02u%02u%02u-%lu.dmp", dumpFolder,
             now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    MINIDUMP_EXCEPTION_INFORMATION where = {};
    where.ThreadId = GetCurrentThreadId();
    where.ExceptionPointers = exception;
    where.ClientPointers = FALSE;
    writeDump(GetCurrentProcess(), GetCurrentProcessId(), file,
              MiniDumpNormal, exception ? &where : nullptr,
              nullptr, nullptr);
    CloseHandle(file);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
    WriteCrashDump(exception);
    return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void OnTerminate() {
    WriteCrashDump(nullptr);
    // As an unhandled exception would: no message box, an exit code that says it.
    TerminateProcess(GetCurrentProcess(), 3);
    std::abort();
}

struct DumpFile {
    std::wstring path;
    FILETIME written;
};

bool NewerThan(const FILETIME& a, const FILETIME& b) {
    return CompareFileTime(&a, &b) > 0;
}

// The folder's dumps, newest first.
std::vector<DumpFile> DumpsOf(const std::wstring& folder) {
    std::vector<DumpFile> dumps;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return dumps;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        dumps.push_back({folder + L"\\" + found.cFileName, found.ftLastWriteTime});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(dumps.begin(), dumps.end(), [](const DumpFile& a, const DumpFile& b) {
        return NewerThan(a.written, b.written) || (!NewerThan(b.written, a.written) && a.path > b.path);
    });
    return dumps;
}

}  // namespace

void InstallCrashReports(const QString& folder) {
    if (folder.IsEmpty() || folder.GetLength() >= MAX_PATH) return;
    CreateDirectoryW(folder, nullptr);
    const std::vector<DumpFile> dumps = DumpsOf(folder.c_str());
    for (size_t i = kKeptCrashDumps; i < dumps.size(); ++i) DeleteFileW(dumps[i].path.c_str());
    lstrcpynW(dumpFolder, folder, MAX_PATH);
    if (const HMODULE help = kiln::qstd::LoadSystemLibrary(L"dbghelp.dll")) {
        writeDump = reinterpret_cast<WriteDumpFunction>(
            reinterpret_cast<void*>(GetProcAddress(help, "MiniDumpWriteDump")));
    }
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
}

QString UnseenCrashDump(const QString& folder) {
    if (folder.IsEmpty()) return QString();
    const std::vector<DumpFile> dumps = DumpsOf(folder.c_str());
    if (dumps.empty()) return QString();
    WIN32_FILE_ATTRIBUTE_DATA seen;
    if (GetFileAttributesExW(folder + kSeenMark, GetFileExInfoStandard, &seen) &&
        !NewerThan(dumps.front().written, seen.ftLastWriteTime)) {
        return QString();
    }
    return QString(dumps.front().path.c_str());
}

void MarkCrashDumpsSeen(const QString& folder) {
    if (folder.IsEmpty()) return;
    const HANDLE mark = CreateFileW(folder + kSeenMark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark == INVALID_HANDLE_VALUE) return;
    // Stamped with the newest dump's own time: a dump written in the same
    // instant as the mark is not taken as seen.
    const std::vector<DumpFile> dumps = DumpsOf(folder.c_str());
    if (!dumps.empty()) SetFileTime(mark, nullptr, nullptr, &dumps.front().written);
    CloseHandle(mark);
}
