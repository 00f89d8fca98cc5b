// Typing a ten-letter word into the search panel over 100,000 cards, one key
// every 100 ms, plain and enciphered, into the same window right after it
// opened the file, again, and right after a card was typed into and saved:
// the longest time the window's thread was kept from taking a message, and
// the time from the last key until the final results were in the list; and
// the process's peak working set.
#include <windows.h>
#include <ole2.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "window/display_scale.h"
#include "app/main_window/main_window.h"
#include "bench_prompts.h"
#include "bench_cards.h"
#include "bench_clock.h"
#include "resources/command_ids.h"
#include "store/card_operations.h"

using kiln::qstd::QString;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace {

const wchar_t kWord[] = L"needlework";
const wchar_t* const kPassword = L"bench-Secret12";
const DWORD kKeyInterval = 100;

void type(const QString& path, const QString& settings) {
    BenchPrompts prompts;
    prompts.password = kPassword;
    MainWindow window(prompts, path, settings);
    window.Create(nullptr, 0, 0);
    ShowWindow(window.GetHandle(), SW_SHOW);
    SendMessageW(window.GetHandle(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_PANEL, 0), 0);
    const HWND box = window.GetSearchPanel().GetSearchBox();
    const HWND mainWindow = window.GetHandle();

    std::atomic<bool> typing{false};
    std::atomic<double> lastKey{0.0};
    std::atomic<double> longestBlock{0.0};
    std::atomic<bool> probing{true};
    std::atomic<bool> probed{false};
    // A message sent from another thread is taken only when the window's
    // thread looks for messages: its round trip is how long that thread
    // was busy with something else.
    std::thread prober([&] {
        while (probing) {
            const double start = secondsNow();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            const double blocked = secondsNow() - start;
            if (blocked > longestBlock) longestBlock = blocked;
            Sleep(1);
        }
        probed = true;
    });
    // The first round begins as the file opens, while the search still reads
    // the cards; the second should find them all kept; the third follows a
    // save, which moved the file's change counter.
    const char* const rounds[] = {"right after opening", "again", "right after a save"};
    for (const char* round : rounds) {
        if (round == rounds[2]) {
            EditorPage* page = window.GetTabs().GetActiveEditor();
            if (page) SendMessageW(page->GetEditor().GetHandle(), WM_CHAR, L'q', 1);
            window.SaveEverything();
        }
        SetWindowTextW(box, L"");
        longestBlock = 0.0;
        typing = true;
        std::thread typist([&] {
            for (const wchar_t* key = kWord; *key; ++key) {
                Sleep(kKeyInterval);
                PostMessageW(box, WM_CHAR, *key, 1);
                lastKey = secondsNow();
            }
            typing = false;
        });
        const double typingStart = secondsNow();
        double shown = 0;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (!typing && std::wcscmp(window.GetSearchPanel().GetShownText().c_str(), kWord) == 0) {
                shown = secondsNow();
                break;
            }
            if (secondsNow() - typingStart > 600) break;
        }
        typist.join();
        const unsigned results = static_cast<unsigned>(
            SendMessageW(window.GetSearchPanel().GetResultList(), TVM_GETCOUNT, 0, 0));
        std::printf("  %s: %u results for \"needlework\"; window thread blocked at most %.1f ms; "
                    "last key to final results %.0f ms\n",
                    round, results, longestBlock * 1000, shown > 0 ? (shown - lastKey) * 1000 : -1.0);
        std::fflush(stdout);
    }
    probing = false;
    // The prober may wait for an answer from this thread.
    while (!probed) {
        MSG pending;
        while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&pending);
        Sleep(1);
    }
    prober.join();
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("  working set %.0f MB, peak so far %.0f MB\n", counters.WorkingSetSize / 1048576.0,
                counters.PeakWorkingSetSize / 1048576.0);
}

}  // namespace

int wmain() {
    OleInitialize(nullptr);
    scaleX = scaleY = 1.0;
    wchar_t dir[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    const std::wstring folder(dir, n);
    const QString plainPath = (folder + L"vorlen-typing-bench.data").c_str();
    const QString cipheredPath = (folder + L"vorlen-typing-bench-enciphered.data").c_str();
    const QString settings = (folder + L"vorlen-typing-bench.config").c_str();
    {
        CardDatabase database;
        store::createCardDatabase(database, plainPath);
        std::printf("filling %d cards...\n", benchcards::cardCount());
        std::fflush(stdout);
        benchcards::fill(database);
    }
    CopyFileW(plainPath.c_str(), cipheredPath.c_str(), FALSE);
    {
        CardDatabase database;
        database.openFile(cipheredPath);
        database.changeKey(kPassword);
    }
    std::printf("typing \"needlework\", a key every %lu ms:\nplain:\n", kKeyInterval);
    type(plainPath, settings);
    // The first window's destruction asked the loop to end.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    std::printf("enciphered:\n");
    type(cipheredPath, settings);
    DeleteFileW(plainPath.c_str());
    DeleteFileW(cipheredPath.c_str());
    DeleteFileW(settings.c_str());
    OleUninitialize();
    return 0;
}
