#pragma once

// The benchmarks' card file: 100,000 cards of 2 KB of text made of a few
// common words; one card in a thousand holds "needlework".
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "core/qbuffer.h"
#include "store/card_database.h"
#include "store/transaction.h"

namespace benchcards {

// 100,000 unless VORLEN_BENCH_CARDS says how many.
inline int cardCount() {
    const char* wanted = std::getenv("VORLEN_BENCH_CARDS");
    const int count = wanted ? std::atoi(wanted) : 0;
    return count > 0 ? count : 100000;
}
constexpr size_t kTextBytes = 2048;

inline std::wstring makeText(std::mt19937& random, int id) {
    static const wchar_t* const words[] = {L"card",   L"note",    L"idea",  L"tree",  L"draft",
                                           L"summary", L"meeting", L"plan",  L"review", L"later",
                                           L"list",   L"call",    L"budget", L"travel", L"photo",
                                           L"recipe", L"book",    L"todo",  L"link",  L"garden"};
    std::wstring text;
    while (text.size() < kTextBytes) {
        text += words[random() % (sizeof words / sizeof words[0])];
        text += L' ';
    }
    text.resize(kTextBytes);
    if (id % 1000 == 0) text.replace(kTextBytes / 2, 11, L"needlework ");
    return text;
}

// Fills the open, empty card table.
inline void fill(CardDatabase& database) {
    std::mt19937 random(42);
    const kiln::qstd::QBuffer rtf;
    Transaction transaction(database);
    const int cards = cardCount();
    for (int id = 1; id <= cards; ++id) {
        wchar_t title[32];
        std::swprintf(title, 32, L"Card %d", id);
        database.prepareInsert(title, 0, makeText(random, id).c_str(), rtf).step();
    }
    transaction.commit();
}

}  // namespace benchcards
