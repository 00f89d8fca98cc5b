// One search over 100,000 cards of 2 KB of text each, beside a bare LIKE count
// over the same table: the search should cost about what the scan costs.
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "bench_clock.h"
#include "core/qbuffer.h"
#include "store/card_operations.h"
#include "store/card_search.h"
#include "store/transaction.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QString;

namespace {

constexpr int kCards = 100000;
constexpr size_t kTextBytes = 2048;
constexpr int kRuns = 3;

const wchar_t* const kWords[] = {L"card",  L"note",   L"idea",  L"tree", L"draft", L"summary", L"meeting",
                                 L"plan",  L"review", L"later", L"list", L"call",  L"budget",  L"travel",
                                 L"photo", L"recipe", L"book",  L"todo", L"link",  L"garden"};

std::wstring makeText(std::mt19937& random, int id) {
    std::wstring text;
    while (text.size() < kTextBytes) {
        text += kWords[random() % (sizeof kWords / sizeof kWords[0])];
        text += L' ';
    }
    text.resize(kTextBytes);
    // One card in a thousand holds the word searched for.
    if (id % 1000 == 0) text.replace(kTextBytes / 2, 7, L"needle ");
    return text;
}

void fill(CardDatabase& database) {
    std::mt19937 random(42);
    const QBuffer rtf;
    Transaction transaction(database);
    for (int id = 1; id <= kCards; ++id) {
        wchar_t title[32];
        swprintf(title, 32, L"Card %d", id);
        database.prepareInsert(title, 0, makeText(random, id).c_str(), rtf).step();
    }
    transaction.commit();
}

}  // namespace

int main() {
    wchar_t dir[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, dir);
    const QString path = (std::wstring(dir, n) + L"vorlen-search-bench.data").c_str();

    double searchTotal = 0;
    double countTotal = 0;
    unsigned found = 0;
    int counted = 0;
    {
        CardDatabase database;
        store::createCardDatabase(database, path);
        std::printf("filling %d cards of %u characters...\n", kCards, static_cast<unsigned>(kTextBytes));
        std::fflush(stdout);
        const double fillStart = secondsNow();
        fill(database);
        std::printf("filled in %.1f s\n", secondsNow() - fillStart);

        // One pass of each first, so both start with the same warm file cache.
        searchCards(database, L"needle");
        database.execute("SELECT count(*) FROM tab WHERE txt LIKE '%needle%'");
        for (int run = 0; run < kRuns; ++run) {
            double start = secondsNow();
            found = searchCards(database, L"needle").GetCount();
            searchTotal += secondsNow() - start;

            start = secondsNow();
            CardStatement count = database.prepare("SELECT count(*) FROM tab WHERE txt LIKE '%needle%'");
            count.step();
            counted = count.getInt(0);
            countTotal += secondsNow() - start;
        }
    }
    DeleteFileW(path);

    std::printf("search for \"needle\": %u cards found, %.1f ms per search\n", found, searchTotal * 1000 / kRuns);
    std::printf("bare SELECT count(*) ... LIKE: %d cards, %.1f ms per scan\n", counted, countTotal * 1000 / kRuns);
    std::printf("ratio search / bare scan: %.2f\n", searchTotal / countTotal);
    return 0;
}
