#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

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
    friend class QInflateStream;
    QHuffmanTree fixedLiterals;
    QHuffmanTree fixedDistances;
};

// The same decoder a piece at a time, for output too large to hold at once:
// the compressed input stays whole in memory, the output goes out in reads
// of any size, and only the last 32 KB of it is kept for matches to refer
// to. After an error every further read gives it again or fails anew; the
// decoder never leaves its buffers.
class QInflateStream {
public:
    static const size_t WindowSize = 32768;

    QInflateStream(const QInflater& inflater, const unsigned char* src, size_t srcLength);
    QInflateStream(const QInflateStream&) = delete;
    QInflateStream& operator=(const QInflateStream&) = delete;
    ~QInflateStream();

    // Writes up to room bytes at dest and says how many in produced. Ok
    // with fewer than room bytes only at the end of the data.
    InflateStatus Read(unsigned char* dest, size_t room, size_t& produced);
    bool Finished() const;

private:
    struct State;
    InflateStatus Decode(unsigned char* dest, size_t room, size_t& produced);
    InflateStatus BlockHeader();
    InflateStatus StoredHeader();
    InflateStatus DynamicHeader();
    InflateStatus Codes(unsigned char* dest, size_t room, size_t& produced);
    void Emit(unsigned char byte, unsigned char* dest, size_t& produced);

    const QHuffmanTree& fixedLiterals;
    const QHuffmanTree& fixedDistances;
    std::unique_ptr<State> state;
};

}  // namespace qzip
}  // namespace kiln
