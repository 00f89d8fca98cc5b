// A program that ends as the tests ask, with the crash reports in place:
//   crash_child FOLDER access|throw|none

#include <cstring>
#include <stdexcept>

#include "app/crash/crash_reports.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    InstallCrashReports(kiln::qstd::QString(argv[1], -1, CP_UTF8));
    if (std::strcmp(argv[2], "access") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
    if (std::strcmp(argv[2], "throw") == 0) throw std::runtime_error("nobody catches this");
    return 0;
}
