// The tray icon, the Win+Esc hot key, the window menu's own items and
// always on top.

#include "app/main_window/main_window.h"
#include "app/product.h"
#include "resources/command_ids.h"
#include "window/qmenu.h"

namespace {
const UINT kTrayIconId = 0xCAFFE;
const int kShowHideHotKey = 0;
}  // namespace

void MainWindow::SetUpTrayAndWindowMenu() {
    const HMENU windowMenu = GetSystemMenu(handle, FALSE);
    AppendMenuW(windowMenu, MF_STRING, IDS_MINIMIZE_TO_TRAY, L"Minimize to Tray");
    AppendMenuW(windowMenu, MF_STRING, IDS_ALWAYS_ON_TOP, L"Always on top");
    AppendMenuW(windowMenu, MF_STRING, IDS_ABOUT, L"About...");

    trayRecord = NOTIFYICONDATAW{};
    trayRecord.cbSize = sizeof(trayRecord);
    trayRecord.hWnd = handle;
    trayRecord.uID = kTrayIconId;
    trayRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE | NIF_INFO | NIF_SHOWTIP;
    trayRecord.uCallbackMessage = kTrayMessage;
    // Drawn for the tray's own size rather than squeezed from the large icon.
    // Looked up by name: only version 6 of the common controls has it.
    using LoadIconMetricFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
    const auto loadIconMetric = reinterpret_cast<LoadIconMetricFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "LoadIconMetric")));
    HICON icon = nullptr;
    if (!loadIconMetric ||
        FAILED(loadIconMetric(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORLEN), 0 /* small */, &icon))) {
        icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORLEN), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    trayRecord.hIcon = icon;
    lstrcpynW(trayRecord.szTip, kProductCaption, 128);
    // Explorer announces a restart with this message; the icon is gone then.
    taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    // Another program holding Win+Esc is no reason not to start: the
    // program then goes without the key.
    hotKeyRegistered = RegisterHotKey(handle, kShowHideHotKey, MOD_WIN, VK_ESCAPE) != FALSE;
}

void MainWindow::TearDownTray() {
    RemoveTrayIcon();
    if (trayRecord.hIcon) DestroyIcon(trayRecord.hIcon);
    trayRecord.hIcon = nullptr;
    if (hotKeyRegistered) UnregisterHotKey(handle, kShowHideHotKey);
    hotKeyRegistered = false;
}

void MainWindow::RemoveTrayIcon() {
    if (!iconInTray) return;
    Shell_NotifyIconW(NIM_DELETE, &trayRecord);
    iconInTray = false;
}

bool MainWindow::OnSysCommand(UINT command, LPARAM) {
    switch (command) {
    case IDS_MINIMIZE_TO_TRAY:
    case IDS_ALWAYS_ON_TOP:
    case IDS_ABOUT: SendMessageW(handle, WM_COMMAND, MAKEWPARAM(command, 0), 0); return true;
    // Maximised by the system (a double click on the caption band, the
    // window menu), the window keeps its previous rectangle in the settings.
    case SC_MAXIMIZE: maximisedBySystemCommand = true; return false;
    default: return false;
    }
}

void MainWindow::AddTrayIcon() {
    // A tray that refuses the icon changes nothing: the flag says where the
    // window went.
    Shell_NotifyIconW(NIM_ADD, &trayRecord);
    // Keyboard selection and the context menu key arrive only in version 4.
    NOTIFYICONDATAW version = trayRecord;
    version.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &version);
    iconInTray = true;
}

void MainWindow::ShowFromTray() {
    ShowWindow(handle, SW_SHOW);
    SetForegroundWindow(handle);
    RemoveTrayIcon();
}

void MainWindow::OnTrayNotify(UINT event, POINT anchor) {
    switch (event) {
    // A press of the left button, or Enter or Space on the focused icon.
    case WM_LBUTTONDOWN:
    case NIN_KEYSELECT: ShowFromTray(); return;
    // The right button, Shift+F10 or the menu key: anchor is where to open.
    case WM_CONTEXTMENU: {
        kiln::qwin::QPopupMenu menu;
        AppendMenuW(menu.Get(), MF_STRING, kTrayShowCommand, L"Show Vorlen");
        AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.Get(), MF_STRING, kTrayExitCommand, L"Exit");
        SetMenuDefaultItem(menu.Get(), kTrayShowCommand, FALSE);
        // Without the foreground the menu would not close on a click elsewhere.
        SetForegroundWindow(handle);
        const UINT chosen = prompts.ChooseFromMenu(handle, menu.Get(), anchor);
        if (chosen == kTrayShowCommand) ShowFromTray();
        if (chosen == kTrayExitCommand) PostMessageW(handle, WM_CLOSE, 0, 0);
        return;
    }
    default: return;
    }
}

void MainWindow::OnTaskbarCreated() {
    if (!iconInTray) return;
    iconInTray = false;
    AddTrayIcon();
}

bool MainWindow::OnHotKey(int id, UINT, UINT) {
    if (id != kShowHideHotKey) return false;
    if (iconInTray) {
        ShowWindow(handle, SW_SHOW);
        RemoveTrayIcon();
        return true;
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(handle, &placement) && placement.showCmd == SW_SHOWMINIMIZED) {
        ShowWindow(handle, SW_RESTORE);
        return true;
    }
    CommandHideToTray(Command{IDS_MINIMIZE_TO_TRAY, 0, nullptr});
    return true;
}

void MainWindow::CommandHideToTray(const Command&) {
    // Out of sight, the edits are written now.
    SaveEverything();
    ShowWindow(handle, SW_HIDE);
    AddTrayIcon();
}

void MainWindow::CommandAlwaysOnTop(const Command&) {
    alwaysOnTop = !alwaysOnTop;
    SetWindowPos(handle, alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}
