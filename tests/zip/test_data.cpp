#include "test_data.h"

#include "mutation.h"

namespace ziptest {

std::string ProseText(size_t size, uint32_t seed) {
    static const char* const words[] = {"the ",    "card ",  "keeps ",   "notes ",  "about ",    "a ",
                                        "tree ",   "of ",    "titled ",  "pages, ", "written ",  "in ",
                                        "rich ",   "text ",  "with ",    "pictures. ", "Every ", "evening\n"};
    const size_t wordCount = sizeof(words) / sizeof(words[0]);
    Random random(seed);
    std::string text;
    text.reserve(size + 16);
    while (text.size() < size) {
        text += words[random.Below(wordCount)];
    }
    text.resize(size);
    return text;
}

std::string NoiseBytes(size_t size, uint32_t seed) {
    Random random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random.Next() >> 24);
    }
    return bytes;
}

}  // namespace ziptest
