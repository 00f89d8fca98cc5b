// The tests' own entry point: the crash tests start this program again as
// their victim, with "--child" in front of the scenario.
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "concurrent_writer.h"

int main(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide && count > 1 && std::wstring(wide[1]) == L"--child") {
        const std::vector<std::wstring> arguments(wide + 2, wide + count);
        LocalFree(wide);
        if (!arguments.empty() && arguments[0] == L"writer") return runConcurrentWriter(arguments);
        return runChildScenario(arguments);
    }
    LocalFree(wide);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
