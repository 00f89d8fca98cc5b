// Large branches out and large folders in, on a real main window behind the
// real progress dialog: how long each takes, and how long the window's own
// thread went without answering while it ran.
//
//   cards_io_bench [cards] [files]   default 5000 cards and 2000 files; the
//                                    files go to the temp folder

#include <ole2.h>
#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/main_window/main_window.h"
#include "bench_clock.h"
#include "bench_prompts.h"
#include "resources/command_ids.h"
#include "store/card_operations.h"

namespace {

std::wstring Temp(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

// The real progress dialog, and the export's file name.
class DialogPrompts : public BenchPrompts {
public:
    std::wstring savePath;
    bool AskSavePath(HWND, SavePathKind, kiln::qstd::QString& path) override {
        path = savePath.c_str();
        return true;
    }
    // When the work began its last phase (writing the file, storing the cards).
    double lastPhase = 0;
    void RunWithProgress(HWND owner, const kiln::qstd::QString& caption, const ProgressWork& work) override {
        real.RunWithProgress(owner, caption, [&](ProgressReport& report) {
            struct Watched : ProgressReport {
                ProgressReport& shown;
                double& lastPhase;
                Watched(ProgressReport& shown, double& lastPhase) : shown(shown), lastPhase(lastPhase) {}
                bool Report(unsigned permille, const kiln::qstd::QString& text) override {
                    const std::wstring said = text.c_str();
                    if (lastPhase == 0 && (said == L"Writing the file..." || said.rfind(L"Storing cards", 0) == 0)) {
                        lastPhase = secondsNow();
                    }
                    return shown.Report(permille, text);
                }
            } watched(report, lastPhase);
            work(watched);
        });
    }

private:
    Win32UserPrompts real;
};

// One top card with count cards below it, ten to a parent, each of about
// 1 KB of RTF.
void MakeCards(const std::wstring& path, int count) {
    DeleteFileW(path.c_str());
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    char sql[768];
    std::snprintf(sql, sizeof(sql),
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %d) "
                  "INSERT INTO tab (id, title, parent, position, txt, rtf) SELECT i + 1, 'Card ' || i, "
                  "CASE WHEN i <= 10 THEN 1 ELSE (i - 1) / 10 + 1 END, '', '', "
                  "'{\\rtf1\\ansi {\\b Card ' || i || '} ' || replace(hex(zeroblob(100)), '0', 'word ') || '\\par}' "
                  "FROM n",
                  count);
    database.execute("INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (1, 'Top', 0, '', '', '')");
    database.execute(sql);
}

// count text files of about 1 KB, a hundred to a subfolder.
void MakeFolder(const std::wstring& folder, int count) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string text(1000, 'x');
    for (int i = 0; i < count; ++i) {
        const std::wstring sub = folder + L"\\part " + std::to_wstring(i / 100);
        CreateDirectoryW(sub.c_str(), nullptr);
        const std::wstring file = sub + L"\\note " + std::to_wstring(i) + L".txt";
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(handle);
    }
}

void RemoveFolder(const std::wstring& folder, int count) {
    for (int i = 0; i < count; ++i) {
        DeleteFileW((folder + L"\\part " + std::to_wstring(i / 100) + L"\\note " + std::to_wstring(i) + L".txt").c_str());
    }
    for (int i = 0; i < count; i += 100) RemoveDirectoryW((folder + L"\\part " + std::to_wstring(i / 100)).c_str());
    RemoveDirectoryW(folder.c_str());
}

HDROP MakeDrop(const std::wstring& path) {
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::wmemcpy(reinterpret_cast<wchar_t*>(drop + 1), path.c_str(), path.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// A message sent from another thread is taken only when the window's thread
// looks for messages: its round trip is how long that thread was busy.
class Prober {
public:
    explicit Prober(HWND window)
        : thread([this, window] {
              while (probing) {
                  const double start = secondsNow();
                  DWORD_PTR answer = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
                  const double blocked = secondsNow() - start;
                  if (blocked > longest) {
                      longest = blocked;
                      longestAt = start - begun;
                  }
                  Sleep(1);
              }
              stopped = true;
          }) {}
    // The last probe may wait for this thread's answer.
    double Stop() {
        probing = false;
        while (!stopped) {
            MSG pending;
            while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&pending);
            Sleep(1);
        }
        thread.join();
        return longest;
    }

private:
    std::atomic<bool> probing{true};
    std::atomic<bool> stopped{false};
    std::atomic<double> longest{0.0};
    const double begun = secondsNow();

public:
    // Seconds from the start to the longest block.
    std::atomic<double> longestAt{0.0};

private:
    std::thread thread;
};

std::wstring Status(MainWindow& window) { return window.GetStatusBar().GetStatus().c_str(); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int cards = argc > 1 ? _wtoi(argv[1]) : 5000;
    const int files = argc > 2 ? _wtoi(argv[2]) : 2000;
    OleInitialize(nullptr);
    const std::wstring data = Temp(L"vorlen-cards-io-bench.data");
    const std::wstring settings = Temp(L"vorlen-cards-io-bench.config");
    const std::wstring folder = Temp(L"vorlen-cards-io-bench folder");
    MakeCards(data, cards);
    MakeFolder(folder, files);
    DialogPrompts prompts;
    MainWindow window(prompts, data.c_str(), settings.c_str());
    window.Create(nullptr, 0, 0);
    ShowWindow(window.GetHandle(), SW_SHOW);

    std::printf("export of a branch of %d cards of 1 KB RTF\n", cards + 1);
    for (const wchar_t* name : {L"vorlen-cards-io-bench.html", L"vorlen-cards-io-bench.docx"}) {
        prompts.savePath = Temp(name);
        window.GetCardTree().SelectItem(window.GetCardTree().GetChildItem(TVI_ROOT));
        Prober prober(window.GetHandle());
        const double start = secondsNow();
        prompts.lastPhase = 0;
        SendMessageW(window.GetHandle(), WM_COMMAND, MAKEWPARAM(IDM_EXPORT_BRANCH, 0), 0);
        const double took = secondsNow() - start;
        const double blocked = prober.Stop();
        WIN32_FILE_ATTRIBUTE_DATA attributes = {};
        GetFileAttributesExW(prompts.savePath.c_str(), GetFileExInfoStandard, &attributes);
        std::printf("  %ls: %.2f s (reading the cards %.2f s, writing %.2f s), %lu KB; window thread blocked at "
                    "most %.1f ms, %.2f s in; status \"%ls\"\n",
                    name, took, prompts.lastPhase - start, start + took - prompts.lastPhase,
                    attributes.nFileSizeLow / 1024, blocked * 1000, prober.longestAt.load(), Status(window).c_str());
        std::fflush(stdout);
        DeleteFileW(prompts.savePath.c_str());
    }

    std::printf("drop of a folder of %d text files of 1 KB\n", files);
    {
        Prober prober(window.GetHandle());
        const double start = secondsNow();
        prompts.lastPhase = 0;
        SendMessageW(window.GetHandle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(folder)), 0);
        const double took = secondsNow() - start;
        const double blocked = prober.Stop();
        std::printf("  %.2f s (reading the files %.2f s, storing the cards and showing them %.2f s); window thread "
                    "blocked at most %.1f ms, %.2f s in; %d tree items\n",
                    took, prompts.lastPhase - start, start + took - prompts.lastPhase, blocked * 1000,
                    prober.longestAt.load(), window.GetCardTree().GetCount());
    }
    RemoveFolder(folder, files);
    DeleteFileW(data.c_str());
    DeleteFileW(settings.c_str());
    return 0;
}
