#pragma once

// Helpers for tests that create real windows in-process and drive them with
// messages. Every wait here has a deadline: a window that never appears or a
// dialog that never closes fails the test instead of hanging it.
//
// GoogleTest is built without thread support here, so scripts running on a
// helper thread record what they saw in plain variables and the test thread
// asserts on them after ScriptThread::Join.

#include <windows.h>

#include <functional>
#include <string>

namespace guitest {

const DWORD kDefaultTimeoutMs = 5000;

class Deadline {
public:
    explicit Deadline(DWORD milliseconds);
    bool Passed() const;
    DWORD Remaining() const;

private:
    ULONGLONG end;
};

// Dispatches the calling thread's pending messages; a WM_QUIT among them is
// removed and reported instead of ending anything.
bool PumpPending();
// Pumps the calling thread's messages until condition holds; false when the
// deadline passed first.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs);
// Polls without pumping, for helper threads that own no windows.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs);
// Removes a quit request (PostQuitMessage) of the calling thread, so that
// the next message loop or modal dialog of the test runs normally.
bool DrainQuit();

// A top-level window of this process with exactly this title (and class, if given).
HWND FindTopWindow(const wchar_t* title, const wchar_t* className = nullptr);
// The same, once it is visible: a dialog is shown after its controls exist.
HWND WaitForTopWindow(const wchar_t* title, DWORD timeoutMs = kDefaultTimeoutMs,
                      const wchar_t* className = nullptr);
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

// The first descendant of parent of this class (any class when null) whose
// text is text (any text when null).
HWND FindDescendant(HWND parent, const wchar_t* className, const wchar_t* text = nullptr);
std::wstring WindowText(HWND window);
// The texts of all descendants, one per line: the message of a message box,
// the labels of a dialog.
std::wstring DescendantTexts(HWND window);

// Sends with a deadline; false when the target did not answer in time.
bool SendWithTimeout(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr,
                     DWORD timeoutMs = kDefaultTimeoutMs);
// Clicks the push button with this text, as a user would (BM_CLICK).
bool ClickButton(HWND dialog, const wchar_t* text);
// Posts a key press and release to the window that has the keyboard focus in
// the thread of window (the dialog's own message loop translates it, as it
// would a key the user pressed).
bool PressKey(HWND window, UINT key);

// A 32-bit off-screen bitmap selected into a memory context, for handlers
// and graphics objects that draw: pixels can be read back exactly.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    HDC GetDC() const { return dc; }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc, x, y); }

private:
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

// Runs a script on a helper thread while the test thread sits in a modal
// loop (a dialog's Show, a message box).
class ScriptThread {
public:
    explicit ScriptThread(std::function<void()> script);
    ScriptThread(const ScriptThread&) = delete;
    ScriptThread& operator=(const ScriptThread&) = delete;
    // A script still running after the join deadline stops the whole test
    // program with a message: it would otherwise touch a finished test.
    ~ScriptThread();

    // Pumps the calling thread's messages while it waits, so that the script
    // may send to windows of that thread.
    bool Join(DWORD timeoutMs = kDefaultTimeoutMs);

private:
    static DWORD WINAPI Run(void* self);

    std::function<void()> script;
    HANDLE thread;
};

struct ModalOutcome {
    INT_PTR result;
    // The window titled as asked appeared (its script ran).
    bool windowFound;
    // Everything ended without the watchdog's help.
    bool inTime;
};

// Calls show, which enters a modal loop (a dialog's DoModal or Show, a call
// that shows a message box), while script drives the top-level window of
// this title (of class "#32770", a dialog) from a helper thread.
ModalOutcome DriveModal(const std::function<INT_PTR()>& show, const wchar_t* title,
                        const std::function<void(HWND)>& script, DWORD timeoutMs = kDefaultTimeoutMs);

// Ends a modal loop that nobody closes: once the time is up it posts WM_QUIT
// to the thread that made it, which ends dialogs and message boxes, and
// remembers that it had to. The destructor removes the quit it left behind.
class ModalWatchdog {
public:
    explicit ModalWatchdog(DWORD timeoutMs = kDefaultTimeoutMs);
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;
    ~ModalWatchdog();

    bool Fired() const;

private:
    static DWORD WINAPI Run(void* self);

    DWORD guardedThread;
    DWORD timeoutMs;
    HANDLE stop;
    HANDLE thread;
    volatile LONG fired;
};

}  // namespace guitest
