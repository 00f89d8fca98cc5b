#include <windows.h>

#include "app/main_window/card_app.h"
#include "core/qerror.h"

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    try {
        CardApp app(module, DatabaseFromCommandLine(GetCommandLineW()));
        return app.Run();
    } catch (const kiln::qstd::QError&) {
        // OLE could not start: there is nothing to show a message with.
        return 0;
    }
}
