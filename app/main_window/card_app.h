#pragma once

#include "app/main_window/main_window.h"
#include "app/prompts/user_prompts.h"
#include "core/qstring.h"
#include "window/qapp.h"
#include "window/qsessions.h"

// The application: OLE and buffered painting for the whole run, the real
// dialogs and the one main window. Members go in reverse order, so the main
// window is gone before painting and OLE are shut down.
class CardApp : public kiln::qapp::QApp {
public:
    // startupPath: the database named on the command line, or empty;
    // showCommand: how the start asked the window to be shown (a shortcut
    // set to start minimised or maximised, say).
    CardApp(HINSTANCE module, const kiln::qstd::QString& startupPath, int showCommand = SW_SHOWNORMAL);

    bool InitInstance() override;
    void ExitInstance() override;
    bool PreTranslateMessage(MSG* msg) override;


private:
    kiln::qwin::QOleSession ole;
    kiln::qwin::QBufferedPaintSession bufferedPaint;
    Win32UserPrompts prompts;
    MainWindow mainWindow;
    int showCommand;
};

// Where the reports of abnormal ends go: %LOCALAPPDATA%\Vorlen\CrashDumps.
kiln::qstd::QString CrashDumpFolder();

// The first argument after the program's name, or empty.
kiln::qstd::QString DatabaseFromCommandLine(const wchar_t* commandLine);
