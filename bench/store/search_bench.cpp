// Searching 100,000 cards of 2 KB of text each, plain and enciphered: the
// first search on a new connection (cold), the next ones (warm, from the
// connection's page cache), a bare LIKE count scan, and the warm floor, a
// scan that only reads every txt without matching. "Uncached" is a search on
// a connection with the engine's default cache, as searches ran before the
// cache was sized to the file.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_cards.h"
#include "bench_clock.h"
#include "core/qmultibytestr.h"
#include "store/card_operations.h"
#include "store/card_search.h"
#include "store/cipher/database_key.h"

using kiln::qstd::QMultiByteStr;
using kiln::qstd::QString;

namespace {

constexpr int kRuns = 3;
const wchar_t* const kPassword = L"bench-Secret12";
const wchar_t* const kNeedle = L"needle";
const char* const kBareCountSql = "SELECT count(*) FROM tab WHERE txt LIKE '%needle%'";

// A connection that reads only, keyed when password is set: how the search
// thread opens the file.
void openReading(CardDatabase& database, const QString& path, const wchar_t* password) {
    database.openUtf8(QMultiByteStr(path.c_str(), CP_UTF8).c_str(), false);
    if (password) setDatabaseKey(database.getConnection(), CipherKey(password));
}

double timeSearch(CardDatabase& database, unsigned& found) {
    const double start = secondsNow();
    found = searchCards(database, kNeedle).GetCount();
    return secondsNow() - start;
}

double timeBareCount(CardDatabase& database, int& counted) {
    const double start = secondsNow();
    CardStatement count = database.prepare(kBareCountSql);
    count.step();
    counted = count.getInt(0);
    return secondsNow() - start;
}

double timeFloor(CardDatabase& database) {
    const double start = secondsNow();
    CardStatement scan = database.prepare("SELECT txt FROM tab");
    size_t bytes = 0;
    while (scan.step() == SQLITE_ROW) {
        // Asking for the text makes the engine read all of it.
        sqlite3_column_text(scan.getHandle(), 0);
        bytes += static_cast<size_t>(sqlite3_column_bytes(scan.getHandle(), 0));
    }
    if (bytes == 0) std::printf("(the floor scan read nothing)\n");
    return secondsNow() - start;
}

// What the search reads, without matching: tells reading from matching.
double timeSearchColumns(CardDatabase& database) {
    const double start = secondsNow();
    CardStatement scan = database.prepare("SELECT id, title, txt FROM tab");
    while (scan.step() == SQLITE_ROW) {
        sqlite3_column_text(scan.getHandle(), 1);
        sqlite3_column_text(scan.getHandle(), 2);
    }
    return secondsNow() - start;
}

void measure(const char* label, const QString& path, const wchar_t* password) {
    unsigned found = 0;
    int counted = 0;
    double uncached = 0;
    {
        CardDatabase database;
        openReading(database, path, password);
        timeSearch(database, found);
        for (int run = 0; run < kRuns; ++run) uncached += timeSearch(database, found) / kRuns;
    }
    CardDatabase database;
    openReading(database, path, password);
    fitPageCacheToDatabase(database, kSearchCacheBound);
    const double cold = timeSearch(database, found);
    double warm = 0, bare = 0, floor = 0, columns = 0;
    for (int run = 0; run < kRuns; ++run) {
        warm += timeSearch(database, found) / kRuns;
        bare += timeBareCount(database, counted) / kRuns;
        floor += timeFloor(database) / kRuns;
        columns += timeSearchColumns(database) / kRuns;
    }
    std::printf("%s: %u cards found (bare count %d)\n", label, found, counted);
    std::printf("  uncached search (default page cache): %8.1f ms\n", uncached * 1000);
    std::printf("  cold search (new connection):         %8.1f ms\n", cold * 1000);
    std::printf("  warm search:                          %8.1f ms\n", warm * 1000);
    std::printf("  bare SELECT count(*) ... LIKE, warm:  %8.1f ms\n", bare * 1000);
    std::printf("  warm floor (read every txt):          %8.1f ms\n", floor * 1000);
    std::printf("  read id, title, txt without matching: %8.1f ms\n", columns * 1000);
    std::printf("  uncached / warm: %.1fx   warm / floor: %.2f   bare LIKE / floor: %.2f\n", uncached / warm,
                warm / floor, bare / floor);
    std::fflush(stdout);
}

}  // namespace

int main() {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    const QString plainPath = (std::wstring(dir, n) + L"vorlen-search-bench.data").c_str();
    const QString cipheredPath = (std::wstring(dir, n) + L"vorlen-search-bench-enciphered.data").c_str();
    {
        CardDatabase database;
        store::createCardDatabase(database, plainPath);
        std::printf("filling %d cards of %u characters...\n", benchcards::kCards,
                    static_cast<unsigned>(benchcards::kTextBytes));
        std::fflush(stdout);
        const double fillStart = secondsNow();
        benchcards::fill(database);
        std::printf("filled in %.1f s\n", secondsNow() - fillStart);
    }
    CopyFileW(plainPath.c_str(), cipheredPath.c_str(), FALSE);
    {
        CardDatabase database;
        database.openFile(cipheredPath);
        const double start = secondsNow();
        database.changeKey(kPassword);
        std::printf("enciphered a copy in %.1f s\n", secondsNow() - start);
        std::fflush(stdout);
    }
    measure("plain", plainPath, nullptr);
    measure("enciphered", cipheredPath, kPassword);
    DeleteFileW(plainPath.c_str());
    DeleteFileW(cipheredPath.c_str());
    return 0;
}
