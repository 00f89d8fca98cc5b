// vorlen-cli: works on card databases from the command line, without the window.
#include <windows.h>

#include "cli/companion.h"
#include "core/system_library.h"

int wmain(int argc, wchar_t** argv) {
    kiln::qstd::HardenDllSearch();
    ConsoleInput in(STD_INPUT_HANDLE);
    ConsoleOutput out(STD_OUTPUT_HANDLE);
    ConsoleOutput err(STD_ERROR_HANDLE);
    return runCompanion(argv + 1, static_cast<unsigned>(argc - 1), in, out, err);
}
