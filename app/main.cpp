#include <windows.h>

#include "app/crash/crash_reports.h"
#include "app/main_window/card_app.h"
#include "app/main_window/running_instance.h"
#include "core/qerror.h"
#include "core/system_library.h"

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int showCommand) {
    kiln::qstd::HardenDllSearch();
    InstallCrashReports(CrashDumpFolder());
    const kiln::qstd::QString path = DatabaseFromCommandLine(GetCommandLineW());
    // Held until the program ends: later starts of this session find it.
    const RunningInstance instance;
    if (instance.IsAnotherRunning() && HandOverToRunningWindow(path)) return 0;
    try {
        CardApp app(module, path, showCommand);
        return app.Run();
    } catch (const kiln::qstd::QError&) {
        // OLE could not start: there is nothing to show a message with.
        return 0;
    }
}
