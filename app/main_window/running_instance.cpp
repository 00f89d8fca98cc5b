#include "app/main_window/running_instance.h"

#include <string>

#include "app/product.h"

using kiln::qstd::QString;

namespace {

// The Local\ namespace is the session's own; the user's name keeps apart
// two users of one session (a program started as another user).
std::wstring MutexName() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    wchar_t user[257] = {};
    DWORD length = 257;
    if (!GetUserNameW(user, &length)) user[0] = 0;
    return std::wstring(L"Local\\") + kProductName + L".single-window." + std::to_wstring(session) + L"." + user;
}

std::wstring ImagePath(DWORD processId) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return std::wstring();
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = MAX_PATH * 2;
    const bool read = QueryFullProcessImageNameW(process, 0, path, &length) != FALSE;
    CloseHandle(process);
    return read ? std::wstring(path, length) : std::wstring();
}

// The main window of another process of this program: the class alone could
// also name a window of a program that hosts the main window (a test).
HWND FindRunningWindow() {
    const std::wstring self = ImagePath(GetCurrentProcessId());
    for (HWND window = FindWindowExW(nullptr, nullptr, kProductName, nullptr); window;
         window = FindWindowExW(nullptr, window, kProductName, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId()) continue;
        if (CompareStringOrdinal(ImagePath(owner).c_str(), -1, self.c_str(), -1, TRUE) == CSTR_EQUAL) return window;
    }
    return nullptr;
}

}  // namespace

RunningInstance::RunningInstance() {
    mutex = CreateMutexW(nullptr, FALSE, MutexName().c_str());
    anotherRunning = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

RunningInstance::~RunningInstance() {
    if (mutex) CloseHandle(mutex);
}

bool HandOverToRunningWindow(const QString& path) {
    // The first start may still be making its window.
    const DWORD kPatienceMs = 5000;
    const DWORD started = GetTickCount();
    HWND window = FindRunningWindow();
    while (!window && GetTickCount() - started < kPatienceMs) {
        Sleep(50);
        window = FindRunningWindow();
    }
    if (!window) return false;
    // The running window has a current folder of its own.
    QString full = path;
    if (!path.IsEmpty()) {
        wchar_t buffer[32768];
        const DWORD length = GetFullPathNameW(path.c_str(), 32768, buffer, nullptr);
        if (length > 0 && length < 32768) full = QString(buffer, static_cast<int>(length));
    }
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Only a process the user just started may give the foreground away.
    AllowSetForegroundWindow(owner);
    COPYDATASTRUCT data = {};
    data.dwData = kHandOverTag;
    data.cbData = static_cast<DWORD>(full.GetLength() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(full.c_str());
    DWORD_PTR answer = 0;
    // A window busy with a long operation still answers within the wait;
    // a hung one does not keep this start waiting for ever.
    const LRESULT sent = SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                             SMTO_ABORTIFHUNG, 30000, &answer);
    return sent != 0 && answer != 0;
}

bool ReadHandOver(const COPYDATASTRUCT& data, QString& path) {
    if (data.dwData != kHandOverTag || data.cbData % sizeof(wchar_t) != 0) return false;
    path = data.cbData == 0 ? QString()
                            : QString(static_cast<const wchar_t*>(data.lpData),
                                      static_cast<int>(data.cbData / sizeof(wchar_t)));
    return true;
}
