// The peak memory of replacing a card's content with a file's, as put does
// it, for text and RTF files of 5 and 50 MB. Each measurement runs in a
// process of its own, since a peak never comes down.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/card_content_file.h"
#include "core/qerror.h"
#include "store/card_database.h"
#include "store/card_operations.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length) + name;
}

// Lines of prose, as a notes file holds them; RTF adds a bold word a line.
void WriteInput(const std::wstring& path, unsigned megabytes, bool rtf) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const unsigned long long wanted = static_cast<unsigned long long>(megabytes) << 20;
    std::string chunk;
    if (rtf) chunk = "{\\rtf1\\ansi ";
    unsigned long long written = 0;
    for (unsigned line = 0; written + chunk.size() < wanted; ++line) {
        char text[128];
        const int n = std::snprintf(text, sizeof text, rtf ? "Line %u of the notes, {\\b with} some words.\\par\r\n"
                                                           : "Line %u of the notes, with some words.\r\n",
                                    line);
        chunk.append(text, static_cast<size_t>(n));
        if (chunk.size() >= 1 << 20) {
            DWORD done = 0;
            WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &done, nullptr);
            written += chunk.size();
            chunk.clear();
        }
    }
    if (rtf) chunk += "}";
    DWORD done = 0;
    WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &done, nullptr);
    CloseHandle(file);
}

int MeasureOne(unsigned megabytes, bool rtf) {
    const std::wstring input = TempPath(rtf ? L"vorlen-put-bench.rtf" : L"vorlen-put-bench.txt");
    const std::wstring database = TempPath(L"vorlen-put-bench.data");
    WriteInput(input, megabytes, rtf);
    PROCESS_MEMORY_COUNTERS before = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    const DWORD start = GetTickCount();
    try {
        CardDatabase cards;
        store::createCardDatabase(cards, database.c_str());
        const CardId id = store::addCard(cards, 0);
        CardContent content;
        ReadCardContentFromFile(input.c_str(), content);
        cards.saveCardContent(content.txt, content.rtf, id);
    } catch (const kiln::qstd::QError& error) {
        std::wprintf(L"%3u MB %-4ls failed: %ls\n", megabytes, rtf ? L"RTF" : L"text", error.message.c_str());
        return 1;
    }
    const DWORD seconds10 = (GetTickCount() - start) / 100;
    PROCESS_MEMORY_COUNTERS after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    // The peak working set is the figure every system keeps; a private-bytes
    // peak is printed too, but some systems report the current value there.
    const double peak = static_cast<double>(after.PeakWorkingSetSize) / (1 << 20);
    const double baseline = static_cast<double>(before.PeakWorkingSetSize) / (1 << 20);
    std::wprintf(L"%3u MB %-4ls  peak working set %6.0f MB (%5.1f x the file above the start)  "
                 L"peak private %6.0f MB  %u.%u s\n",
                 megabytes, rtf ? L"RTF" : L"text", peak, (peak - baseline) / megabytes,
                 static_cast<double>(after.PeakPagefileUsage) / (1 << 20), seconds10 / 10, seconds10 % 10);
    DeleteFileW(input.c_str());
    DeleteFileW(database.c_str());
    return 0;
}

int RunChild(const wchar_t* arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = std::wstring(L"\"") + self + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3) return MeasureOne(static_cast<unsigned>(_wtoi(argv[1])), std::wcscmp(argv[2], L"rtf") == 0);
    std::wprintf(L"put: peak memory of reading a file into a card and saving it\n");
    int failures = 0;
    for (const wchar_t* run : {L"5 text", L"50 text", L"5 rtf", L"50 rtf"}) failures += RunChild(run) != 0;
    return failures;
}
