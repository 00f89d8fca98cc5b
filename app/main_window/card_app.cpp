#include "app/main_window/card_app.h"

#include <shellapi.h>
#include <shobjidl.h>

#include "app/frame/main_layout.h"
#include "app/settings/app_settings.h"
#include "app/settings/window_placement.h"
#include "window/display_scale.h"
#include "app/product.h"
#include "window/qgraphics.h"

using kiln::qstd::QString;
using kiln::qwin::MeasureDisplayScale;

CardApp::CardApp(HINSTANCE module, const QString& startupPath, int showCommand)
    : QApp(module), ole(L"OLE init err"), mainWindow(prompts, startupPath, SettingsFilePath()),
      showCommand(showCommand) {}

bool CardApp::InitInstance() {
    SetCurrentProcessExplicitAppUserModelID(kProductName);
    {
        kiln::qwin::QClientGraphics screen(nullptr);
        MeasureDisplayScale(screen);
    }
    mainWindow.Create(nullptr, 0, 0);
    if (!mainWindow.GetHandle()) return false;
    // Back where it was, on the monitor it was on, as far as that monitor is still there.
    const RECT placed = PlaceWindow(mainWindow.GetSettings().windowRect, MonitorWorkAreas(),
                                    ComputeMinimumSize(kiln::qwin::scaleX, kiln::qwin::scaleY));
    SetWindowPos(mainWindow.GetHandle(), nullptr, placed.left, placed.top, placed.right - placed.left,
                 placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    mainWindow.FollowMonitorScale();
    SetWindowLongPtrW(mainWindow.GetHandle(), GWL_EXSTYLE,
                      GetWindowLongPtrW(mainWindow.GetHandle(), GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    ShowWindow(mainWindow.GetHandle(), showCommand);
    mainWindow.OfferCrashReport(CrashDumpFolder());
    return true;
}

void CardApp::ExitInstance() {}

bool CardApp::PreTranslateMessage(MSG* msg) {
    return mainWindow.PreTranslateMessage(msg);
}

QString CrashDumpFolder() {
    const QString settings = SettingsFolderPath();
    return settings.IsEmpty() ? settings : settings + L"\\CrashDumps";
}

QString DatabaseFromCommandLine(const wchar_t* commandLine) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments) return QString();
    const QString path = count >= 2 ? QString(arguments[1]) : QString();
    LocalFree(arguments);
    return path;
}
