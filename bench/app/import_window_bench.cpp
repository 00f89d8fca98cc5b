// What the window adds to an import: the Import command on a real main
// window (the copy on its own thread, then the tree filled with every copy)
// against the store's copy alone, on fresh copies of the same target.
//
//   import_window_bench [cards]   default 20000; the files go to the temp folder

#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_window/main_window.h"
#include "bench_clock.h"
#include "bench_prompts.h"
#include "resources/command_ids.h"
#include "store/card_import.h"
#include "store/card_operations.h"
#include "store/card_tree.h"

using kiln::qstd::QString;

namespace {

std::wstring Temp(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void MakeSource(const std::wstring& path, int count) {
    DeleteFileW(path.c_str());
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    char sql[512];
    std::snprintf(sql, sizeof(sql),
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %d) "
                  "INSERT INTO tab (id, title, parent, position, txt, rtf) SELECT i, 'Card ' || i, "
                  "CASE WHEN i %% 10 = 1 THEN 0 ELSE i - (i - 1) %% 10 END, '', "
                  "replace(hex(zeroblob(1024)), '0', 'a'), '' FROM n",
                  count);
    database.execute(sql);
}

void MakeTarget(const std::wstring& path) {
    DeleteFileW(path.c_str());
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    store::addCard(database, 0, L"My notes");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int count = argc > 1 ? _wtoi(argv[1]) : 20000;
    OleInitialize(nullptr);
    const std::wstring source = Temp(L"vorlen-import-window-source.data");
    const std::wstring target = Temp(L"vorlen-import-window-target.data");
    const std::wstring settings = Temp(L"vorlen-import-window.config");
    MakeSource(source, count);
    std::printf("import of %d cards of 2 KB text\n", count);
    for (int round = 1; round <= 2; ++round) {
        MakeTarget(target);
        double start;
        double storeOnly;
        {
            CardDatabase into;
            into.openFile(target.c_str());
            // The window keeps the tree's index, which every insert then updates.
            ensureTreeIndex(into);
            CardDatabase from;
            from.openFile(source.c_str());
            start = secondsNow();
            store::importCardDatabase(into, from, nullptr);
            storeOnly = secondsNow() - start;
        }
        MakeTarget(target);
        BenchPrompts prompts;
        prompts.openPath = source;
        MainWindow window(prompts, target.c_str(), settings.c_str());
        window.Create(nullptr, 0, 0);
        start = secondsNow();
        SendMessageW(window.GetHandle(), WM_COMMAND, MAKEWPARAM(IDM_IMPORT, 0), 0);
        const double command = secondsNow() - start;
        std::printf("  round %d: the store's copy %.3f s; the Import command %.3f s (%.2fx), %d tree items\n", round,
                    storeOnly, command, command / storeOnly, window.GetCardTree().GetCount());
    }
    DeleteFileW(source.c_str());
    DeleteFileW(target.c_str());
    DeleteFileW(settings.c_str());
    return 0;
}
