#pragma once

#include <cstdint>

namespace kiln {
namespace qzip {

// One canonical Huffman code of a DEFLATE block, in the form the bit-by-bit
// decoder walks: how many codes each length has, and the symbols sorted by
// code length, then by symbol value. No lookup tables: the decoder stays small
// and every table it builds is a few hundred bytes.
struct QHuffmanTree {
    static constexpr unsigned MaxCodeLength = 15;
    static constexpr unsigned MaxSymbols = 288;

    uint16_t counts[MaxCodeLength + 1];  // counts[0] is always 0
    uint16_t symbols[MaxSymbols];

    // lengths[i] is the code length of symbol i (0: the symbol has no code);
    // every length is at most MaxCodeLength and n at most MaxSymbols.
    // Over-subscribed or incomplete codes are accepted: decoding stays inside
    // the arrays either way and fails on a code no symbol owns.
    void Build(const uint8_t* lengths, unsigned n);
};

}  // namespace qzip
}  // namespace kiln
