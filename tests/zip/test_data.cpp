#include "test_data.h"

#include <cstring>

namespace ziptest {

namespace {

uint32_t Next(uint32_t& state) {
    // xorshift32: small, seeded, the same on every machine.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace

std::string ProseText(size_t size, uint32_t seed) {
    static const char* const words[] = {"the ",    "card ",  "keeps ",   "notes ",  "about ",    "a ",
                                        "tree ",   "of ",    "titled ",  "pages, ", "written ",  "in ",
                                        "rich ",   "text ",  "with ",    "pictures. ", "Every ", "evening\n"};
    const size_t wordCount = sizeof(words) / sizeof(words[0]);
    uint32_t state = seed | 1;
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text += words[Next(state) % wordCount];
    }
    text.resize(size);
    return text;
}

std::string NoiseBytes(size_t size, uint32_t seed) {
    uint32_t state = seed | 1;
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(Next(state) >> 24);
    }
    return bytes;
}

}  // namespace ziptest
