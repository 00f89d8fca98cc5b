#include "store/literal_pattern.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/qmultibytestr.h"

using kiln::qstd::QString;

namespace {

unsigned char foldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool isAsciiLetter(unsigned char c) {
    const unsigned char lower = static_cast<unsigned char>(c | 0x20);
    return lower >= 'a' && lower <= 'z';
}

// Sixteen places of a value looked at in one step. Where the processor has
// no vector registers the compiler splits the steps into plain ones, with
// the same results.
typedef unsigned char Lanes __attribute__((vector_size(16)));
constexpr size_t kLanes = sizeof(Lanes);

}  // namespace

LiteralPattern::LiteralPattern(const QString& text) {
    const kiln::qstd::QMultiByteStr utf8(text.c_str(), CP_UTF8);
    for (const char* c = utf8.c_str(); *c; ++c) {
        folded += static_cast<char>(foldAscii(static_cast<unsigned char>(*c)));
    }
    if (folded.empty()) return;
    const auto first = static_cast<unsigned char>(folded.front());
    const auto last = static_cast<unsigned char>(folded.back());
    firstMask = isAsciiLetter(first) ? 0x20 : 0;
    firstWanted = first;
    lastMask = isAsciiLetter(last) ? 0x20 : 0;
    lastWanted = last;
}

bool LiteralPattern::IsPrefixOf(const unsigned char* value, size_t size) const {
    return value && size >= folded.size() && matchesAt(value) && endsBeforeNul(value, folded.size());
}

// Most of a card's text holds neither the text's first byte at one place
// nor its last byte where the text would end, so the places are sifted
// sixteen at a time by those two bytes, and only the few left are compared
// whole. Matching the text's bytes one by one through every place cost four
// times as long as reading the cards from the page cache.
bool LiteralPattern::IsFoundIn(const unsigned char* value, size_t size) const {
    if (!value) return false;
    const size_t length = folded.size();
    if (length == 0) return true;
    if (size < length) return false;
    const Lanes none = {};
    const Lanes firstMasks = none | firstMask, firstWants = none | firstWanted;
    const Lanes lastMasks = none | lastMask, lastWants = none | lastWanted;
    size_t at = 0;
    // Each step reads sixteen bytes from at and sixteen from where a text
    // starting at at would end.
    for (; at + length - 1 + kLanes <= size; at += kLanes) {
        Lanes heads, tails;
        std::memcpy(&heads, value + at, kLanes);
        std::memcpy(&tails, value + at + length - 1, kLanes);
        const auto candidates = ((heads | firstMasks) == firstWants) & ((tails | lastMasks) == lastWants);
#ifdef __SSE2__
        // One bit per place that passed the sifting.
        unsigned places = static_cast<unsigned>(_mm_movemask_epi8(reinterpret_cast<__m128i>(candidates)));
        while (places != 0) {
            const unsigned lane = static_cast<unsigned>(__builtin_ctz(places));
            if (matchesAt(value + at + lane)) return endsBeforeNul(value, at + lane + length);
            places &= places - 1;
        }
#else
        uint64_t halves[2];
        std::memcpy(halves, &candidates, sizeof halves);
        if ((halves[0] | halves[1]) == 0) continue;
        for (size_t lane = 0; lane < kLanes; ++lane) {
            if (candidates[lane] && matchesAt(value + at + lane)) return endsBeforeNul(value, at + lane + length);
        }
#endif
    }
    for (; at + length <= size; ++at) {
        if ((value[at] | firstMask) == firstWanted && matchesAt(value + at)) {
            return endsBeforeNul(value, at + length);
        }
    }
    return false;
}

bool LiteralPattern::matchesAt(const unsigned char* value) const {
    for (const char c : folded) {
        if (foldAscii(*value++) != static_cast<unsigned char>(c)) return false;
    }
    return true;
}

// The first match counts only when no NUL ends the value before its end.
bool LiteralPattern::endsBeforeNul(const unsigned char* value, size_t end) const {
    return std::memchr(value, 0, end) == nullptr;
}
