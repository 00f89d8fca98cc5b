#include <windows.h>

#include "app/crash/crash_reports.h"
#include "app/main_window/card_app.h"
#include "core/qerror.h"
#include "core/system_library.h"

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int showCommand) {
    kiln::qstd::HardenDllSearch();
    InstallCrashReports(CrashDumpFolder());
    try {
        CardApp app(module, DatabaseFromCommandLine(GetCommandLineW()), showCommand);
        return app.Run();
    } catch (const kiln::qstd::QError&) {
        // OLE could not start: there is nothing to show a message with.
        return 0;
    }
}
