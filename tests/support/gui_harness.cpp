#include "gui_harness.h"

#include <cstdio>

namespace guitest {

namespace {

const DWORD kPollMs = 10;
const DWORD kQuitRepeatMs = 200;

struct TopWindowSearch {
    const wchar_t* title;
    const wchar_t* className;
    HWND found;
};

bool ClassIs(HWND window, const wchar_t* className) {
    if (!className) return true;
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return lstrcmpiW(name, className) == 0;
}

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<TopWindowSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !ClassIs(window, search->className)) return TRUE;
    if (WindowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

struct DescendantSearch {
    const wchar_t* className;
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DescendantSearch*>(lParam);
    if (!ClassIs(window, search->className)) return TRUE;
    if (search->text && WindowText(window) != search->text) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectText(HWND window, LPARAM lParam) {
    auto* texts = reinterpret_cast<std::wstring*>(lParam);
    const std::wstring text = WindowText(window);
    if (!text.empty()) {
        texts->append(text);
        texts->push_back(L'\n');
    }
    return TRUE;
}

}  // namespace

Deadline::Deadline(DWORD milliseconds) : end(GetTickCount64() + milliseconds) {}

bool Deadline::Passed() const {
    return GetTickCount64() >= end;
}

DWORD Deadline::Remaining() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end ? 0 : static_cast<DWORD>(end - now);
}

bool PumpPending() {
    bool quit = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return quit;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        PumpPending();
        if (condition()) return true;
        if (deadline.Passed()) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const Deadline deadline(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (deadline.Passed()) return false;
        Sleep(kPollMs);
    }
}

bool DrainQuit() {
    bool drained = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) drained = true;
    return drained;
}

HWND FindTopWindow(const wchar_t* title, const wchar_t* className) {
    TopWindowSearch search{title, className, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(const wchar_t* title, DWORD timeoutMs, const wchar_t* className) {
    HWND found = nullptr;
    // A dialog exists before its controls do; it is shown once they are built.
    WaitUntil([&] {
        found = FindTopWindow(title, className);
        return found && IsWindowVisible(found);
    }, timeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

HWND FindDescendant(HWND parent, const wchar_t* className, const wchar_t* text) {
    DescendantSearch search{className, text, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT with a deadline: GetWindowTextW would wait for a window of
    // another thread without limit.
    LRESULT length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length)) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied)) {
        return std::wstring();
    }
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring DescendantTexts(HWND window) {
    std::wstring texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool SendWithTimeout(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result, DWORD timeoutMs) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer)) return false;
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

bool ClickButton(HWND dialog, const wchar_t* text) {
    HWND button = FindDescendant(dialog, L"Button", text);
    return button && SendWithTimeout(button, BM_CLICK, 0, 0);
}

bool PressKey(HWND window, UINT key) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return false;
    HWND target = info.hwndFocus ? info.hwndFocus : window;
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    return PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16)) &&
           PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
}

Canvas::Canvas(int width, int height, COLORREF fill) : dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    previous = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

Canvas::~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

ScriptThread::ScriptThread(std::function<void()> script)
    : script(std::move(script)), thread(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}

ScriptThread::~ScriptThread() {
    if (!thread) return;
    if (!Join()) {
        std::fprintf(stderr, "A test script thread did not finish in time; stopping the test program.\n");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
}

DWORD WINAPI ScriptThread::Run(void* self) {
    static_cast<ScriptThread*>(self)->script();
    return 0;
}

bool ScriptThread::Join(DWORD timeoutMs) {
    if (!thread) return true;
    const Deadline deadline(timeoutMs);
    for (;;) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, deadline.Remaining(), QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) break;
        if (wait != WAIT_OBJECT_0 + 1 || deadline.Passed()) return false;
        PumpPending();
    }
    CloseHandle(thread);
    thread = nullptr;
    return true;
}

ModalOutcome DriveModal(const std::function<INT_PTR()>& show, const wchar_t* title,
                        const std::function<void(HWND)>& script, DWORD timeoutMs) {
    ModalOutcome outcome = {0, false, false};
    ModalWatchdog watchdog(timeoutMs);
    ScriptThread thread([&] {
        HWND window = WaitForTopWindow(title, timeoutMs, L"#32770");
        outcome.windowFound = window != nullptr;
        if (window) script(window);
    });
    outcome.result = show();
    const bool joined = thread.Join(timeoutMs);
    outcome.inTime = joined && !watchdog.Fired();
    return outcome;
}

ModalWatchdog::ModalWatchdog(DWORD timeoutMs)
    : guardedThread(GetCurrentThreadId()),
      timeoutMs(timeoutMs),
      stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      thread(nullptr),
      fired(0) {
    thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

ModalWatchdog::~ModalWatchdog() {
    SetEvent(stop);
    WaitForSingleObject(thread, INFINITE);  // it waits for nothing but the stop event
    CloseHandle(thread);
    CloseHandle(stop);
    DrainQuit();
}

bool ModalWatchdog::Fired() const {
    return fired != 0;
}

DWORD WINAPI ModalWatchdog::Run(void* self) {
    auto* watchdog = static_cast<ModalWatchdog*>(self);
    if (WaitForSingleObject(watchdog->stop, watchdog->timeoutMs) != WAIT_TIMEOUT) return 0;
    InterlockedExchange(&watchdog->fired, 1);
    // Nested modal loops each end on one quit; keep posting until released.
    do {
        PostThreadMessageW(watchdog->guardedThread, WM_QUIT, 0, 0);
    } while (WaitForSingleObject(watchdog->stop, kQuitRepeatMs) == WAIT_TIMEOUT);
    return 0;
}

}  // namespace guitest
