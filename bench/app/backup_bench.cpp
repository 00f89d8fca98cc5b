// Backups of card files of 50 and 250 MB, plain and enciphered: how long one
// copy takes, and how long the window's thread is kept from its messages
// while the window makes its daily backup of the file it just opened.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

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
    const unsigned cards = static_cast<unsigned>((size_t(megabytes) << 20) / (2 * kCardBytes));
    Transaction transaction(database);
    for (unsigned card = 1; card <= cards; ++card) {
        text.clear();
        while (text.size() < kCardBytes) {
            text += words[random() % 8];
            text += ' ';
        }
        const QString txt(text.data(), static_cast<int>(text.size()));
        QBuffer rtf;
        rtf.Append(text.data(), text.size());
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

// The window opens the file and backs it up on a thread of its own; a
// message sent from another thread is answered only when the window's thread
// looks for messages, so its round trip is how long that thread was busy.
void InWindow(const QString& path, const QString& root, double& seconds, double& longestBlock) {
    SetEnvironmentVariableW(L"VORLEN_BACKUPS", root.c_str());
    const QString settings = TempFile(L"vorlen-backup-bench.config");
    BenchPrompts prompts;
    prompts.password = kPassword;
    const double start = secondsNow();
    MainWindow window(prompts, path, settings);
    window.Create(nullptr, 0, 0);
    ShowWindow(window.GetHandle(), SW_SHOW);
    const HWND mainWindow = window.GetHandle();
    std::atomic<double> longest{0.0};
    std::atomic<bool> probing{true};
    std::atomic<bool> probed{false};
    std::thread prober([&] {
        while (probing) {
            const double sent = secondsNow();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
            const double blocked = secondsNow() - sent;
            if (blocked > longest) longest = blocked;
            Sleep(1);
        }
        probed = true;
    });
    const store::DatabaseBackups backups(root, path);
    while (backups.list().empty() && secondsNow() - start < 600) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    seconds = secondsNow() - start;
    longestBlock = longest;
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
}

}  // namespace

int wmain() {
    OleInitialize(nullptr);
    scaleX = scaleY = 1.0;
    std::printf("Backups: one copy, and the window's daily backup of the file it opened\n");
    const QString root = TempFile(L"vorlen-backup-bench");
    for (unsigned megabytes : {50u, 250u}) {
        const QString plain = TempFile(L"vorlen-backup-bench.data");
        const QString enciphered = TempFile(L"vorlen-backup-bench-enciphered.data");
        MakeFile(plain, megabytes);
        MakeEnciphered(plain, enciphered);
        for (const QString& path : {plain, enciphered}) {
            RemoveFolderTree(root.c_str());
            const double copy = CopyOnce(path, root);
            RemoveFolderTree(root.c_str());
            double inWindow = 0;
            double longestBlock = 0;
            InWindow(path, root, inWindow, longestBlock);
            std::printf("%4.0f MB %-10s  one copy %6.2f s; in the window: opened and backed up after %6.2f s, "
                        "window thread blocked at most %6.1f ms\n",
                        FileMegabytes(path), path == plain ? "plain" : "enciphered", copy, inWindow,
                        longestBlock * 1000);
            std::fflush(stdout);
        }
        RemoveFolderTree(root.c_str());
        DeleteFileW(plain.c_str());
        DeleteFileW(enciphered.c_str());
    }
    OleUninitialize();
    return 0;
}
