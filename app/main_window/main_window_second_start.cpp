// A later start of the program in this session hands its command line here:
// the window comes back from the tray or from being minimised, comes to the
// foreground and opens the file that start was given.

#include "app/main_window/main_window.h"
#include "app/main_window/running_instance.h"

using kiln::qstd::QString;

namespace {

// Whether two paths name one file (another spelling, a short name, a link):
// the volume and the file's index say, not the text.
bool IsSameFile(const QString& first, const QString& second) {
    BY_HANDLE_FILE_INFORMATION info[2] = {};
    const QString* paths[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        const HANDLE file = CreateFileW(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return first.CompareNoCase(second) == 0;
        const bool read = GetFileInformationByHandle(file, &info[i]) != FALSE;
        CloseHandle(file);
        if (!read) return first.CompareNoCase(second) == 0;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

}  // namespace

bool MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_COPYDATA) {
        QString path;
        if (ReadHandOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam), path)) {
            // The later start waits no longer: opening may ask for a password.
            ReplyMessage(TRUE);
            TakeOverStart(path);
            *result = TRUE;
            return true;
        }
    }
    return QMainFrame::OnMessage(msg, wParam, lParam, result);
}

void MainWindow::ComeBack() {
    if (iconInTray) {
        ShowWindow(handle, SW_SHOW);
        RemoveTrayIcon();
    } else if (IsIconic(handle)) {
        ShowWindow(handle, SW_RESTORE);
    } else if (!IsWindowVisible(handle)) {
        ShowWindow(handle, SW_SHOW);
    }
    // A dialog the window is showing comes forward with it.
    SetForegroundWindow(GetLastActivePopup(handle));
}

void MainWindow::TakeOverStart(const QString& path) {
    ComeBack();
    if (path.IsEmpty()) return;
    // A dialog open here owns the moment: the file would open behind it.
    if (!IsWindowEnabled(handle)) {
        SetStatusText(L"Not opened while a dialog is open: " + path);
        return;
    }
    if (IsDatabaseOpen() && IsSameFile(path, databasePath)) return;
    // As Open does: the pages are saved first, and edits that cannot be
    // saved keep the open file unless the user chose what becomes of them.
    if (IsDatabaseOpen() && !CloseDatabase()) return;
    OpenDatabase(path, false);
}
