#include "mutation.h"

namespace ziptest {

std::string Mutate(const std::string& original, size_t focus, Random& random) {
    std::string s = original;
    const size_t changes = 1 + random.Below(4);
    for (size_t n = 0; n < changes && !s.empty(); ++n) {
        const size_t from = random.Below(2) && focus < s.size() ? focus : 0;
        const size_t at = from + random.Below(s.size() - from);
        switch (random.Below(6)) {
            case 0:
                s[at] = static_cast<char>(random.Next());
                break;
            case 1: {
                static const uint32_t extremes[] = {0, 1, 0x7F, 0x80, 0xFF, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
                const uint32_t value = extremes[random.Below(8)];
                for (size_t i = 0; i < 4 && at + i < s.size(); ++i) {
                    s[at + i] = static_cast<char>(value >> (8 * i));
                }
                break;
            }
            case 2:
                s.resize(at);
                break;
            case 3:
                s.erase(at, 1 + random.Below(64));
                break;
            case 4:
                s.insert(at, s.substr(at, 1 + random.Below(64)));
                break;
            default:
                s[at] = static_cast<char>(s[at] ^ (1 << random.Below(8)));
                break;
        }
    }
    return s;
}

}  // namespace ziptest
