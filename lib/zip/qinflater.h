#pragma once

#include <cstdint>

#include "zip/qhuffman_tree.h"

namespace kiln {
namespace qzip {

// What stopped a decode. Every error keeps the decoder inside its buffers:
// the input is hostile until proven otherwise.
enum class InflateStatus {
    Ok,
    BadBlockType,          // BTYPE 3
    StoredLengthMismatch,  // LEN is not the complement of NLEN
    CodeTooLong,           // no symbol owns the bits read within 15 bits
    RepeatWithoutLength,   // code-length symbol 16 as the first length
    LengthRunTooLong,      // a repeat runs past HLIT + HDIST lengths
    BadSymbol,             // literal/length 286, 287 or distance 30, 31
    DistanceTooFar,        // a match reaching before the start of the output
    InputExhausted,        // the data ends inside a header, symbol or stored block
    OutputFull,            // more output than the destination has room for
};

// Raw DEFLATE decoder (no zlib or gzip wrapper) for a whole buffer at once.
// Symbols are decoded bit by bit against canonical code counts.
class QInflater {
public:
    QInflater();

    // Decodes srcLength bytes at src into dest. On entry `produced` is the
    // room at dest, on return the number of bytes written (partial output on
    // an error). Decoding ends after the final block, or cleanly where the
    // input ends between two symbols or two blocks.
    InflateStatus Inflate(unsigned char* dest, uint64_t& produced,
                          const unsigned char* src, uint64_t srcLength) const;

private:
    QHuffmanTree fixedLiterals;
    QHuffmanTree fixedDistances;
};

}  // namespace qzip
}  // namespace kiln
