// What the window's look for changes made elsewhere costs on each tick of its
// timer: the look when nothing changed (the usual case), and the look that
// finds another connection's commit, on a plain and an enciphered file.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_clock.h"
#include "store/card_operations.h"
#include "store/guarded_save.h"
#include "store/transaction.h"

using kiln::qstd::QString;

namespace {

constexpr int kCards = 5000;
constexpr int kQuietLooks = 5000;
constexpr int kChangedLooks = 200;
const wchar_t* const kPassword = L"bench-Secret12";

void open(CardDatabase& database, const QString& path, const wchar_t* password) {
    database.openFile(path);
    if (password) database.applyKey(password);
}

void measure(const char* name, const QString& path, const wchar_t* password) {
    CardDatabase window;
    open(window, path, password);
    CardDatabase other;
    open(other, path, password);
    store::FileChangeWatch watch;
    watch.reset(window);

    double start = secondsNow();
    int seen = 0;
    for (int i = 0; i < kQuietLooks; ++i) seen += watch.changed(window) ? 1 : 0;
    const double quiet = (secondsNow() - start) / kQuietLooks;

    // Each look follows another connection's rename: the engine drops its
    // cached pages and reads the header again.
    double changedTotal = 0;
    for (int i = 0; i < kChangedLooks; ++i) {
        store::renameCard(other, 1 + i % kCards, L"renamed");
        start = secondsNow();
        seen += watch.changed(window) ? 1 : 0;
        changedTotal += secondsNow() - start;
    }
    std::printf("%-11s nothing changed: %7.1f us per look (%d looks); after a commit elsewhere: %7.1f us per look "
                "(%d of %d seen)\n",
                name, quiet * 1e6, kQuietLooks, changedTotal / kChangedLooks * 1e6, seen, kChangedLooks);
    std::fflush(stdout);
}

}  // namespace

int main() {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    const QString plainPath = (std::wstring(dir, n) + L"vorlen-change-bench.data").c_str();
    const QString cipheredPath = (std::wstring(dir, n) + L"vorlen-change-bench-enciphered.data").c_str();
    {
        CardDatabase database;
        store::createCardDatabase(database, plainPath);
        Transaction transaction(database);
        CardStatement insert =
            database.prepare("INSERT INTO tab (title, parent, position, txt, rtf) VALUES ('Card', 0, '', '', '')");
        for (int i = 0; i < kCards; ++i) {
            insert.step();
            sqlite3_reset(insert.getHandle());
        }
        insert.finalize();
        transaction.commit();
    }
    CopyFileW(plainPath.c_str(), cipheredPath.c_str(), FALSE);
    {
        CardDatabase database;
        database.openFile(cipheredPath);
        database.changeKey(kPassword);
    }
    measure("plain", plainPath, nullptr);
    measure("enciphered", cipheredPath, kPassword);
    DeleteFileW(plainPath.c_str());
    DeleteFileW(cipheredPath.c_str());
    return 0;
}
