// The peak memory and the time of replacing a card's content with a file's,
// as put does it, for text, RTF and Word files of 5, 50 and 500 MB, and for
// a file of 2 GB that no card can hold. Each measurement runs in a process
// of its own, since a peak never comes down. A refusal is a result like any
// other: its figures show what it cost to refuse.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/editor/editor_card_content.h"
#include "zip/qzipwriter.h"
#include "core/qerror.h"
#include "store/card_database.h"
#include "store/card_operations.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, length) + name;
}

enum class Kind { Text, Rtf, Word };

const wchar_t* NameOf(Kind kind) {
    return kind == Kind::Text ? L"text" : kind == Kind::Rtf ? L"RTF" : L"Word";
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

// Lines of prose, as a notes file holds them; RTF adds a bold word a line,
// and a Word document holds them as paragraphs of its main part (the size
// is that of the part's text, not of the packed file).
void WriteInput(const std::wstring& path, unsigned megabytes, Kind kind) {
    const size_t wanted = static_cast<size_t>(megabytes) << 20;
    if (megabytes > 1000) {
        // Beyond what the storage engine takes: refused before a byte is
        // read, so the bytes need take no room on the disk.
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(wanted);
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        return;
    }
    std::string bytes;
    bytes.reserve(wanted + 4096);
    if (kind == Kind::Rtf) bytes = "{\\rtf1\\ansi ";
    if (kind == Kind::Word) bytes = "<w:document xmlns:w=\"urn:w\"><w:body>";
    for (unsigned line = 0; bytes.size() < wanted; ++line) {
        char text[160];
        const char* format = kind == Kind::Rtf    ? "Line %u of the notes, {\\b with} some words.\\par\r\n"
                             : kind == Kind::Word ? "<w:p><w:r><w:t>Line %u of the notes, with some words.</w:t></w:r></w:p>"
                                                  : "Line %u of the notes, with some words.\r\n";
        const int n = std::snprintf(text, sizeof text, format, line);
        bytes.append(text, static_cast<size_t>(n));
    }
    if (kind == Kind::Rtf) bytes += "}";
    if (kind != Kind::Word) return WriteBytes(path, bytes);
    bytes += "</w:body></w:document>";
    kiln::qzip::QZipWriter zip;
    zip.Add("[Content_Types].xml", "<Types/>", 8, kiln::qzip::QZipWriter::Method::Stored);
    zip.Add("word/document.xml", bytes.data(), bytes.size(), kiln::qzip::QZipWriter::Method::Deflated);
    zip.Finish();
    const kiln::qstd::QBuffer& packed = zip.GetBytes();
    WriteBytes(path, std::string(reinterpret_cast<const char*>(packed.GetData()), packed.GetCount()));
}

std::wstring InputPath(Kind kind) {
    return TempPath(kind == Kind::Rtf    ? L"vorlen-put-bench.rtf"
                    : kind == Kind::Word ? L"vorlen-put-bench.docx"
                                         : L"vorlen-put-bench.txt");
}

// The input is written beforehand by the parent, so that making it counts
// in no peak.
int MeasureOne(unsigned megabytes, Kind kind) {
    const std::wstring input = InputPath(kind);
    const std::wstring database = TempPath(L"vorlen-put-bench.data");
    PROCESS_MEMORY_COUNTERS before = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    const DWORD start = GetTickCount();
    std::wstring refusal;
    try {
        CardDatabase cards;
        store::createCardDatabase(cards, database.c_str());
        const CardId id = store::addCard(cards, 0);
        CardContent content;
        ReadCardContentFromFile(input.c_str(), content);
        cards.saveCardContent(content.txt, content.rtf, id);
    } catch (const kiln::qstd::QError& error) {
        refusal = error.message.c_str();
    }
    const DWORD seconds10 = (GetTickCount() - start) / 100;
    PROCESS_MEMORY_COUNTERS after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    // The peak working set is the figure every system keeps; a private-bytes
    // peak is printed too, but some systems report the current value there.
    const double peak = static_cast<double>(after.PeakWorkingSetSize) / (1 << 20);
    const double baseline = static_cast<double>(before.PeakWorkingSetSize) / (1 << 20);
    std::wprintf(L"%4u MB %-4ls  peak working set %6.0f MB (%5.1f x the file above the start)  "
                 L"peak private %6.0f MB  %u.%u s%ls%ls\n",
                 megabytes, NameOf(kind), peak, (peak - baseline) / megabytes,
                 static_cast<double>(after.PeakPagefileUsage) / (1 << 20), seconds10 / 10, seconds10 % 10,
                 refusal.empty() ? L"" : L"  refused: ", refusal.c_str());
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
    if (argc == 3) {
        const Kind kind = std::wcscmp(argv[2], L"rtf") == 0    ? Kind::Rtf
                          : std::wcscmp(argv[2], L"word") == 0 ? Kind::Word
                                                               : Kind::Text;
        return MeasureOne(static_cast<unsigned>(_wtoi(argv[1])), kind);
    }
    std::wprintf(L"put: peak memory of reading a file into a card and saving it\n");
    int failures = 0;
    const struct {
        unsigned megabytes;
        Kind kind;
        const wchar_t* arguments;
    } runs[] = {{5, Kind::Text, L"5 text"},     {50, Kind::Text, L"50 text"},    {500, Kind::Text, L"500 text"},
                {5, Kind::Rtf, L"5 rtf"},       {50, Kind::Rtf, L"50 rtf"},      {500, Kind::Rtf, L"500 rtf"},
                {5, Kind::Word, L"5 word"},     {50, Kind::Word, L"50 word"},    {2048, Kind::Text, L"2048 text"},
                {2048, Kind::Rtf, L"2048 rtf"}};
    for (const auto& run : runs) {
        WriteInput(InputPath(run.kind), run.megabytes, run.kind);
        failures += RunChild(run.arguments) != 0;
        DeleteFileW(InputPath(run.kind).c_str());
    }
    return failures;
}
