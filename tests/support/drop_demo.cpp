// drop_demo: the program itself, with files dropped on it from inside the
// process at fixed times, in a drop made as the shell makes it. A drop's
// memory belongs to the process that receives it, so another program cannot
// post one; this stands in for a drag from the shell on a virtual display.
//
//   drop_demo.exe DATABASE SECONDS STEP [-- STEP]...
//   STEP: [-editor] PATH...
//
// The first step is dropped SECONDS after start, each further one SECONDS
// later: on the main window, or with -editor on the active editor.

#include <windows.h>

#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window/card_app.h"
#include "app/product.h"
#include "core/qerror.h"
#include "shell_drop.h"

namespace {

struct Step {
    bool onEditor = false;
    std::vector<std::wstring> paths;
};

BOOL CALLBACK FindVisibleEditor(HWND window, LPARAM lParam) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (!IsWindowVisible(window) || _wcsicmp(name, MSFTEDIT_CLASS) != 0) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
}

void DropInTurn(std::vector<Step> steps, DWORD interval) {
    for (const Step& step : steps) {
        Sleep(interval);
        HWND target = FindWindowW(kProductName, nullptr);
        if (target && step.onEditor) {
            HWND editor = nullptr;
            EnumChildWindows(target, FindVisibleEditor, reinterpret_cast<LPARAM>(&editor));
            target = editor;
        }
        const HDROP drop = target ? guitest::MakeShellDrop(step.paths) : nullptr;
        if (drop && !PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) GlobalFree(drop);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 4) return 1;
    std::vector<Step> steps(1);
    for (int i = 3; i < argc; ++i) {
        if (wcscmp(argv[i], L"--") == 0) {
            steps.emplace_back();
        } else if (wcscmp(argv[i], L"-editor") == 0) {
            steps.back().onEditor = true;
        } else {
            steps.back().paths.push_back(argv[i]);
        }
    }
    const DWORD interval = static_cast<DWORD>(_wtoi(argv[2])) * 1000;
    std::thread dropper(DropInTurn, steps, interval);
    dropper.detach();
    try {
        CardApp app(module, argv[1]);
        return app.Run();
    } catch (const kiln::qstd::QError&) {
        return 0;
    }
}
