// How long the main window takes to open a big card file to a usable tree,
// and to show (and, after an edit, save) one card after another; what the
// tree's covering index costs to build and to keep up to date.
//
//   tree_open_bench [folder]   the card files are made there once and kept

#include <ole2.h>
#include <richedit.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "window/display_scale.h"
#include "app/main_window/main_window.h"
#include "bench_prompts.h"
#include "bench_clock.h"
#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/card_statements.h"
#include "store/card_tree.h"
#include "store/transaction.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace {

const int kTopLevel = 300;
const int kMaxDepth = 8;

// 2 KB of text per card, as plain text and as the RTF the editor writes;
// a realistic tree: a few hundred top-level cards, depth up to 8.
void MakeCardFile(const std::wstring& path, int count) {
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    std::mt19937 random(static_cast<unsigned>(count));
    std::vector<int> depth(static_cast<size_t>(count) + 1, 0);
    std::wstring text;
    while (text.size() < 2048) text += L"The quick brown fox jumps over the lazy dog and keeps running. ";
    text.resize(2048);
    const std::string rtfText = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Segoe UI;}}\\f0\\fs20 " +
                                std::string(text.begin(), text.end()) + "\\par}";
    QBuffer rtf;
    rtf.Append(rtfText.data(), static_cast<unsigned>(rtfText.size()));
    Transaction transaction(database);
    CardStatement insert = database.prepare("INSERT INTO tab (id, title, parent, position, txt, rtf) VALUES (?, ?, ?, '', ?, ?)");
    for (int id = 1; id <= count; ++id) {
        int parent = 0;
        if (id > kTopLevel) {
            do {
                parent = 1 + static_cast<int>(random() % static_cast<unsigned>(id - 1));
            } while (depth[static_cast<size_t>(parent)] >= kMaxDepth - 1);
            depth[static_cast<size_t>(id)] = depth[static_cast<size_t>(parent)] + 1;
        }
        insert.bindId(1, id);
        insert.bindText(2, (L"Card " + std::to_wstring(id)).c_str());
        insert.bindId(3, parent);
        insert.bindText(4, text.c_str());
        insert.bindBlob(5, rtf);
        insert.step();
        sqlite3_reset(insert.getHandle());
    }
    insert.finalize();
    transaction.commit();
}

int CountCards(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    CardDatabase database;
    database.openFile(path.c_str());
    try {
        CardStatement count = database.prepare(kCountCardsSql);
        count.step();
        return count.getInt(0);
    } catch (const kiln::qstd::QError&) {
        return 0;
    }
}

void DropTreeIndex(const std::wstring& path) {
    CardDatabase database;
    database.openFile(path.c_str());
    database.execute("DROP INDEX IF EXISTS tab_parent_id_title");
}

// Renames, moves and saves of `rounds` cards, in seconds per change.
void TimeChanges(const std::wstring& path, int count, const char* label) {
    CardDatabase database;
    database.openFile(path.c_str());
    std::mt19937 random(99);
    const int rounds = 200;
    QBuffer rtf;
    const char body[] = "{\\rtf1\\ansi saved again\\par}";
    rtf.Append(body, sizeof(body) - 1);
    double renames = 0, moves = 0, saves = 0;
    for (int i = 0; i < rounds; ++i) {
        const CardId id = kTopLevel + 1 + static_cast<CardId>(random() % static_cast<unsigned>(count - kTopLevel));
        double start = secondsNow();
        database.rename((L"Renamed " + std::to_wstring(i)).c_str(), id);
        renames += secondsNow() - start;
        start = secondsNow();
        // Under a top-level card: never into its own subtree.
        database.prepareMove(1 + static_cast<CardId>(random() % kTopLevel), id).step();
        moves += secondsNow() - start;
        start = secondsNow();
        database.saveCardContent(L"saved again", rtf, id);
        saves += secondsNow() - start;
    }
    std::printf("  %-22s rename %7.2f ms   move %7.2f ms   save %7.2f ms   (mean of %d)\n", label,
                renames * 1e3 / rounds, moves * 1e3 / rounds, saves * 1e3 / rounds, rounds);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void BenchWindow(const std::wstring& path, const std::wstring& settings, int count) {
    BenchPrompts prompts;
    // An empty window first: what opening the file adds is the difference.
    double start = secondsNow();
    {
        MainWindow empty(prompts, L"", settings.c_str());
        empty.Create(nullptr, 0, 0);
        Pump();
    }
    const double emptyWindow = secondsNow() - start;

    start = secondsNow();
    MainWindow window(prompts, path.c_str(), settings.c_str());
    window.Create(nullptr, 0, 0);
    const double opened = secondsNow() - start;
    Pump();
    const double painted = secondsNow() - start;
    std::printf("  open to a filled tree  %7.3f s (window alone %.3f s; with the first paint %.3f s), %d items\n",
                opened, emptyWindow, painted, window.GetCardTree().GetCount());

    std::mt19937 random(7);
    std::vector<CardId> picks;
    for (int i = 0; i < 1000; ++i) picks.push_back(1 + static_cast<CardId>(random() % static_cast<unsigned>(count)));
    for (int edit = 0; edit < 2; ++edit) {
        start = secondsNow();
        int shown = 0;
        double revealing = 0;
        for (CardId id : picks) {
            const double revealStart = secondsNow();
            const HTREEITEM item = window.RevealCard(id);
            revealing += secondsNow() - revealStart;
            if (item == TVI_ROOT) continue;
            window.GetCardTree().SelectItem(item);
            ++shown;
            if (edit) {
                const HWND editor = window.GetTabs().GetActiveEditor()->GetEditor().GetHandle();
                SendMessageW(editor, EM_SETSEL, 0, 0);
                SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Edited. "));
            }
        }
        // The last edit is saved by the selection that leaves it.
        window.GetCardTree().SelectItem(nullptr);
        const double elapsed = secondsNow() - start;
        std::printf("  select %d cards%-8s %7.3f s, %.2f ms per card (finding the item %.2f ms); tree now %d items\n",
                    shown, edit ? ", edited" : "", elapsed, elapsed * 1e3 / shown, revealing * 1e3 / shown,
                    window.GetCardTree().GetCount());
    }
    // What showing a card costs without the tree: the read and the editor's load.
    CardDatabase database;
    database.openFile(path.c_str());
    EditorPage* page = window.GetTabs().GetActiveEditor();
    double reading = 0;
    start = secondsNow();
    for (CardId id : picks) {
        const double readStart = secondsNow();
        const QBuffer rtf = store::loadCardContent(database, id);
        reading += secondsNow() - readStart;
        page->LoadRtf(rtf.GetData(), rtf.GetCount());
    }
    const double loading = secondsNow() - start;
    std::printf("  read and load 1000 cards into the editor, no tree: %.2f ms per card (the read %.2f ms)\n",
                loading * 1e3 / picks.size(), reading * 1e3 / picks.size());
    DestroyWindow(window.GetHandle());
    Pump();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    OleInitialize(nullptr);
    LoadLibraryW(L"Msftedit.dll");
    scaleX = scaleY = 1.0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = argc > 1 ? std::wstring(argv[1]) + L"\\" : std::wstring(temp);
    const std::wstring settings = folder + L"vorlen-tree-bench.config";
    for (int count : {10000, 100000}) {
        const std::wstring path = folder + L"vorlen-tree-bench-" + std::to_wstring(count) + L".data";
        std::printf("%d cards of 2 KB\n", count);
        if (CountCards(path) != count) {
            const double start = secondsNow();
            MakeCardFile(path, count);
            std::printf("  made the file in %.1f s\n", secondsNow() - start);
        }
        // Alternated, so that neither side pays alone for a cold cache.
        DropTreeIndex(path);
        TimeChanges(path, count, "without the index:");
        {
            CardDatabase database;
            database.openFile(path.c_str());
            ensureTreeIndex(database);
        }
        TimeChanges(path, count, "with the index:");
        DropTreeIndex(path);
        TimeChanges(path, count, "without the index:");
        {
            CardDatabase database;
            database.openFile(path.c_str());
            const double start = secondsNow();
            ensureTreeIndex(database);
            std::printf("  building the index once %.3f s\n", secondsNow() - start);
        }
        TimeChanges(path, count, "with the index:");
        DeleteFileW(settings.c_str());
        BenchWindow(path, settings, count);
        std::fflush(stdout);
    }
    DeleteFileW(settings.c_str());
    OleUninitialize();
    return 0;
}
