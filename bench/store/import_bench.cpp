// Importing a card database of 100,000 cards of 2 KB text each, against the
// fastest copy there is: the storage engine copying the rows itself, the
// source attached and one INSERT ... SELECT in one transaction. Both read the
// same source in the same run, so the ratio holds where absolute seconds
// (file reads through Wine) say little.
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "bench_clock.h"
#include "store/card_import.h"
#include "store/card_operations.h"
#include "store/transaction.h"

using kiln::qstd::QString;

namespace {

constexpr int kCards = 100000;
constexpr int kTextBytes = 2048;

std::wstring tempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder, n) + name;
}

void removeDatabase(const std::wstring& path) {
    DeleteFileW(path.c_str());
    DeleteFileW((path + L"-journal").c_str());
}

// Words of random letters, so no two cards hold the same text; every card
// made under an older card or at the top level, the usual shape.
void makeSource(const std::wstring& path) {
    CardDatabase database;
    store::createCardDatabase(database, path.c_str());
    std::mt19937 random(2024);
    Transaction transaction(database);
    CardStatement insert = database.prepare("INSERT INTO tab VALUES (?, ?, ?, '', ?, ?)");
    std::string text;
    for (int id = 1; id <= kCards; ++id) {
        text.clear();
        while (text.size() < kTextBytes) {
            const int length = 2 + static_cast<int>(random() % 9);
            for (int i = 0; i < length; ++i) text += static_cast<char>('a' + random() % 26);
            text += ' ';
        }
        text.resize(kTextBytes);
        const std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Segoe UI;}}\\f0\\fs20 " + text + "\\par}";
        const int parent = (id < 20 || random() % 10 == 0) ? 0 : 1 + static_cast<int>(random() % (id - 1));
        const std::wstring title = L"Card " + std::to_wstring(id);
        insert.bindId(1, id);
        insert.bindText(2, title.c_str());
        insert.bindId(3, parent);
        sqlite3_bind_text(insert.getHandle(), 4, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert.getHandle(), 5, rtf.data(), static_cast<int>(rtf.size()), SQLITE_TRANSIENT);
        insert.step();
        sqlite3_reset(insert.getHandle());
    }
    insert.finalize();
    transaction.commit();
}

void makeTarget(CardDatabase& database, const std::wstring& path) {
    removeDatabase(path);
    store::createCardDatabase(database, path.c_str());
    store::addCard(database, 0);
}

double engineCopySeconds(const std::wstring& sourcePath, const std::wstring& targetPath) {
    CardDatabase target;
    makeTarget(target, targetPath);
    const double start = secondsNow();
    target.executeWithText("ATTACH ? AS src", sourcePath.c_str());
    Transaction transaction(target);
    target.execute("INSERT INTO main.tab (title, parent, position, txt, rtf) "
                   "SELECT title, parent, position, txt, rtf FROM src.tab");
    transaction.commit();
    const double elapsed = secondsNow() - start;
    target.execute("DETACH src");
    return elapsed;
}

double importSeconds(const std::wstring& sourcePath, const std::wstring& targetPath, unsigned& placed) {
    CardDatabase target;
    makeTarget(target, targetPath);
    const double start = secondsNow();
    CardDatabase source;
    source.openFile(sourcePath.c_str());
    const store::ImportResult result = store::importCardDatabase(target, source, nullptr);
    const double elapsed = secondsNow() - start;
    placed = result.cards.getCount() - 1;
    return elapsed;
}

}  // namespace

int main() {
    const std::wstring sourcePath = tempFile(L"vorlen-import-bench-source.data");
    const std::wstring targetPath = tempFile(L"vorlen-import-bench-target.data");
    removeDatabase(sourcePath);
    std::printf("making a source of %d cards of %d bytes of text...\n", kCards, kTextBytes);
    std::fflush(stdout);
    makeSource(sourcePath);

    std::printf("%6s %18s %18s %8s\n", "round", "engine copy s", "import s", "ratio");
    double bestEngine = 1e9;
    double bestImport = 1e9;
    for (int round = 1; round <= 2; ++round) {
        const double engine = engineCopySeconds(sourcePath, targetPath);
        unsigned placed = 0;
        const double import = importSeconds(sourcePath, targetPath, placed);
        std::printf("%6d %18.3f %18.3f %8.2f\n", round, engine, import, import / engine);
        if (placed != static_cast<unsigned>(kCards)) std::printf("  only %u of %d cards placed!\n", placed, kCards);
        std::fflush(stdout);
        if (engine < bestEngine) bestEngine = engine;
        if (import < bestImport) bestImport = import;
    }
    std::printf("best: engine copy %.3f s, import %.3f s (%.1f us per card), import / engine copy = %.2f\n",
                bestEngine, bestImport, bestImport * 1e6 / kCards, bestImport / bestEngine);
    removeDatabase(sourcePath);
    removeDatabase(targetPath);
    return 0;
}
