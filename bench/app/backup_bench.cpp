// Backups of card files of 50 and 250 MB, plain and enciphered: how long one
// copy takes, and what a backup made beside an open window costs the window.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window/main_window.h"
#include "bench_clock.h"
#include "bench_prompts.h"
#include "store/backup/database_backup.h"
#include "store/card_database.h"
#include "store/card_operations.h"
#include "store/cipher/database_key.h"
#include "store/transaction.h"
#include "tests/support/folder_removal.h"
#include "window/display_scale.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace {

const wchar_t* const kPassword = L"bench-Secret12";
// Text and RTF of one card: the file grows by about twice this a card.
const size_t kCardBytes = 32 * 1024;

QString TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return QString(folder) + name;
}

double FileMegabytes(const QString& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1048576.0;
}

// Cards of words that do not repeat in a pattern, up to the wanted size.
void MakeFile(const QString& path, unsigned megabytes) {
    DeleteFileW(path.c_str());
    CardDatabase database;
    store::createCardDatabase(database, path);
    std::mt19937 random(megabytes);
    static const char* const words[] = {"card", "note", "idea", "tree", "draft", "river", "lamp", "thread"};
    std::string text;
    std::string rtfText;
    const unsigned cards = static_cast<unsigned>((size_t(megabytes) << 20) / (2 * kCardBytes));
    Transaction transaction(database);
    for (unsigned card = 1; card <= cards; ++card) {
        text.clear();
        rtfText = "{\\rtf1\\ansi ";
        // Lines of a dozen words: the editor shows the first card as the
        // window opens, and wraps one long paragraph slowly.
        for (unsigned word = 1; text.size() < kCardBytes; ++word) {
            const char* next = words[random() % 8];
            text += next;
            rtfText += next;
            text += word % 12 ? " " : "\r\n";
            rtfText += word % 12 ? " " : "\\par\r\n";
        }
        rtfText += "}";
        const QString txt(text.data(), static_cast<int>(text.size()));
        QBuffer rtf;
        rtf.Append(rtfText.data(), rtfText.size());
        wchar_t title[32];
        std::swprintf(title, 32, L"Card %u", card);
        database.prepareInsert(title, 0, txt, rtf).step();
    }
    transaction.commit();
}

void MakeEnciphered(const QString& plain, const QString& enciphered) {
    CopyFileW(plain.c_str(), enciphered.c_str(), FALSE);
    CardDatabase database;
    database.openFile(enciphered);
    database.changeKey(kPassword);
}

double CopyOnce(const QString& path, const QString& root) {
    CipherKey key;
    {
        CardDatabase database;
        database.openFile(path);
        if (path.FindNoCase(L"enciphered") >= 0) database.applyKey(kPassword);
        key = databaseKey(database.getConnection());
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    const double start = secondsNow();
    store::DatabaseBackups(root, path).backUp(key, now);
    return secondsNow() - start;
}

// The window has the file open and its user types and saves, every 50 ms,
// while a backup is made on another thread as the window makes its own: how
// long the window's thread is kept from its messages meanwhile (a message
// sent from another thread is answered only when that thread looks for
// messages), and how many saves had to wait for the backup's read to end.
struct InWindowFigures {
    double backupSeconds = 0;
    double longestBlock = 0;
    double longestSave = 0;
    int saves = 0;
    int savesLeftWaiting = 0;
    int probes = 0;
};

InWindowFigures InWindow(const QString& path, const QString& root) {
    // Today's backup is made first, so that opening makes none of its own.
    SetEnvironmentVariableW(L"VORLEN_BACKUPS", root.c_str());
    CopyOnce(path, root);
    const QString settings = TempFile(L"vorlen-backup-bench.config");
    BenchPrompts prompts;
    prompts.password = kPassword;
    MainWindow window(prompts, path, settings);
    window.Create(nullptr, 0, 0);
    ShowWindow(window.GetHandle(), SW_SHOW);
    const HWND mainWindow = window.GetHandle();
    const HWND editor = window.GetTabs().GetActiveEditor()->GetEditor().GetHandle();
    std::atomic<double> longest{0.0};
    std::atomic<int> answered{0};
    std::atomic<bool> probing{true};
    std::atomic<bool> probed{false};
    std::thread prober([&] {
        while (probing) {
            const double sent = secondsNow();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            const double blocked = secondsNow() - sent;
            if (blocked > longest) longest = blocked;
            ++answered;
            Sleep(1);
        }
        probed = true;
    });
    InWindowFigures figures;
    // Backups are named by the second they were made in.
    Sleep(1100);
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    longest = 0.0;
    answered = 0;
    std::atomic<bool> backingUp{true};
    const double start = secondsNow();
    std::thread backup([&] {
        CopyOnce(path, root);
        figures.backupSeconds = secondsNow() - start;
        backingUp = false;
    });
    double lastSave = 0;
    while (backingUp || answered < 2) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (secondsNow() - lastSave > 0.05) {
            SendMessageW(editor, EM_SETSEL, -1, -1);
            SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"typed "));
            const double saveStart = secondsNow();
            window.SaveEverything();
            lastSave = secondsNow();
            figures.longestSave = std::max(figures.longestSave, lastSave - saveStart);
            ++figures.saves;
            figures.savesLeftWaiting += window.HasUnsavedPages();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    backup.join();
    figures.longestBlock = longest;
    figures.probes = answered;
    probing = false;
    while (!probed) {
        MSG pending;
        while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&pending);
        Sleep(1);
    }
    prober.join();
    DestroyWindow(mainWindow);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    DeleteFileW(settings.c_str());
    return figures;
}

}  // namespace

// The sizes in megabytes may be given as arguments; 50 and 250 by default.
int wmain(int argc, wchar_t** argv) {
    std::vector<unsigned> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(static_cast<unsigned>(_wtoi(argv[i])));
    if (sizes.empty()) sizes = {50u, 250u};
    OleInitialize(nullptr);
    scaleX = scaleY = 1.0;
    std::printf("Backups: one copy alone, and one beside a window in use\n");
    const QString root = TempFile(L"vorlen-backup-bench");
    for (unsigned megabytes : sizes) {
        const QString plain = TempFile(L"vorlen-backup-bench.data");
        const QString enciphered = TempFile(L"vorlen-backup-bench-enciphered.data");
        MakeFile(plain, megabytes);
        MakeEnciphered(plain, enciphered);
        for (const QString& path : {plain, enciphered}) {
            RemoveFolderTree(root.c_str());
            const double copy = CopyOnce(path, root);
            RemoveFolderTree(root.c_str());
            const InWindowFigures figures = InWindow(path, root);
            std::printf("%4.0f MB %-10s  one copy %6.2f s\n"
                        "                 beside a window saving every 50 ms: backup %6.2f s, window thread blocked "
                        "at most %6.1f ms (%d probes), longest save %6.1f ms, %d of %d saves left waiting\n",
                        FileMegabytes(path), path == plain ? "plain" : "enciphered", copy, figures.backupSeconds,
                        figures.longestBlock * 1000, figures.probes, figures.longestSave * 1000,
                        figures.savesLeftWaiting, figures.saves);
            std::fflush(stdout);
        }
        RemoveFolderTree(root.c_str());
        DeleteFileW(plain.c_str());
        DeleteFileW(enciphered.c_str());
    }
    OleUninitialize();
    return 0;
}
