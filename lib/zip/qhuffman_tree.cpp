#include "zip/qhuffman_tree.h"

namespace kiln {
namespace qzip {

void QHuffmanTree::Build(const uint8_t* lengths, unsigned n) {
    for (uint16_t& count : counts) {
        count = 0;
    }
    for (unsigned i = 0; i < n; ++i) {
        ++counts[lengths[i]];
    }
    counts[0] = 0;

    uint16_t next[MaxCodeLength + 1];
    next[0] = 0;
    next[1] = 0;
    for (unsigned length = 1; length < MaxCodeLength; ++length) {
        next[length + 1] = static_cast<uint16_t>(next[length] + counts[length]);
    }
    for (unsigned symbol = 0; symbol < n; ++symbol) {
        if (lengths[symbol] != 0) {
            symbols[next[lengths[symbol]]++] = static_cast<uint16_t>(symbol);
        }
    }
}

}  // namespace qzip
}  // namespace kiln
