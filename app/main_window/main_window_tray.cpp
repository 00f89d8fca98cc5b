// The tray icon, the Win+Esc hot key, the window menu's own items and
// always on top.

#include "app/main_window/main_window.h"
#include "app/product.h"
#include "resources/command_ids.h"

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
    trayRecord.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VORLEN));
    lstrcpynW(trayRecord.szTip, kProductCaption, 128);
    // Another program holding Win+Esc is no reason not to start: the
    // program then goes without the key.
    hotKeyRegistered = RegisterHotKey(handle, kShowHideHotKey, MOD_WIN, VK_ESCAPE) != FALSE;
}

void MainWindow::TearDownTray() {
    RemoveTrayIcon();
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

void MainWindow::OnTrayNotify(UINT mouseMessage) {
    // Only a press of the left button brings the window back; every other
    // mouse event on the icon is ignored.
    if (mouseMessage != WM_LBUTTONDOWN) return;
    ShowWindow(handle, SW_SHOW);
    RemoveTrayIcon();
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
    // A tray that refuses the icon changes nothing: the flag says where the
    // window went.
    Shell_NotifyIconW(NIM_ADD, &trayRecord);
    iconInTray = true;
}

void MainWindow::CommandAlwaysOnTop(const Command&) {
    alwaysOnTop = !alwaysOnTop;
    SetWindowPos(handle, alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}
