// An Office part is unpacked as the XML parser reads it: a small package
// that unpacks to tens of megabytes of markup costs little memory. A peak
// never comes down, so the extraction is measured in a process of its own:
// this test program started again for this one test.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/qerror.h"
#include "core/qstring.h"
#include "documents/office_text.h"
#include "zip_builder.h"

namespace {

const char kMeasuredPackage[] = "VORLEN_OFFICE_PEAK_PACKAGE";

double PeakWorkingSetMegabytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1 << 20);
}

// The child's half: extract, and say how far the peak rose.
void MeasureInThisProcess(const char* package) {
    const double before = PeakWorkingSetMegabytes();
    kiln::qstd::QString text;
    std::wstring path(package, package + std::strlen(package));
    bool read = false;
    try {
        read = ExtractOfficeText(path.c_str(), text);
    } catch (const kiln::qstd::QError&) {
        // Refused is an outcome like read.
    }
    std::printf("peak rise: %.1f MB, read: %d, characters: %d\n", PeakWorkingSetMegabytes() - before, read ? 1 : 0,
                text.GetLength());
}

// Runs this program again on the one test, with the package named, and
// returns what it printed.
std::string RunChild(const std::string& package) {
    SetEnvironmentVariableA(kMeasuredPackage, package.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --gtest_filter=OfficeTextMemory.*";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(kMeasuredPackage, nullptr);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) output.append(chunk, got);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    return output;
}

TEST(OfficeTextMemory, APartOfTensOfMegabytesIsReadWithoutHoldingIt) {
    if (const char* package = std::getenv(kMeasuredPackage)) {
        MeasureInThisProcess(package);
        return;
    }
    // 64 MB of empty elements around one word: about 64 KB packed.
    std::string document = "<w:document xmlns:w=\"urn:w\"><w:body><w:p><w:r><w:t>word</w:t></w:r></w:p>";
    std::string elements;
    for (int i = 0; i < (1 << 20) / 8; ++i) elements += "<w:bdr/>";
    for (int i = 0; i < 64; ++i) document += elements;
    document += "</w:body></w:document>";
    ziptest::ZipBuilder builder;
    builder.AddStored("[Content_Types].xml", "<Types/>");
    builder.AddDeflated("word/document.xml", document, 9);
    const std::string bytes = builder.Build();
    document.clear();
    document.shrink_to_fit();
    ziptest::TempFile file(bytes, L".docx");
    const std::wstring wide = file.Path();
    const std::string path(wide.begin(), wide.end());

    const std::string output = RunChild(path);
    double rise = -1;
    int read = 0, characters = -1;
    const size_t at = output.find("peak rise:");
    ASSERT_NE(at, std::string::npos) << output;
    std::printf("64 MB part, %u bytes packed: %s", static_cast<unsigned>(bytes.size()), output.c_str() + at);
    ASSERT_EQ(std::sscanf(output.c_str() + at, "peak rise: %lf MB, read: %d, characters: %d", &rise, &read, &characters),
              3)
        << output;
    EXPECT_EQ(read, 1);
    EXPECT_EQ(characters, 5);  // "word" and its paragraph's line feed
    // The part alone is 64 MB; the parser's buffers and the window are a
    // few hundred kilobytes.
    EXPECT_LT(rise, 16.0) << "the part was held whole";
}

}  // namespace
