#include "zip/qinflater.h"

#include <cstddef>
#include <cstring>

namespace kiln {
namespace qzip {

namespace {

const unsigned LengthCodes = 29;    // symbols 257..285
const unsigned DistanceCodes = 30;  // symbols 0..29
const unsigned EndOfBlock = 256;

// The base and extra-bit tables follow the rule of the format: after the
// first few codes, every run of codes (4 for lengths, 2 for distances) adds
// one extra bit, and each base follows the previous range. Code 285 is the
// exception: exactly 258 with no extra bits.
struct CodeTables {
    uint16_t lengthBase[LengthCodes];
    uint8_t lengthExtra[LengthCodes];
    uint16_t distanceBase[DistanceCodes];
    uint8_t distanceExtra[DistanceCodes];
};

constexpr CodeTables MakeCodeTables() {
    CodeTables t{};
    unsigned base = 3;
    for (unsigned i = 0; i + 1 < LengthCodes; ++i) {
        t.lengthExtra[i] = static_cast<uint8_t>(i < 8 ? 0 : (i - 4) / 4);
        t.lengthBase[i] = static_cast<uint16_t>(base);
        base += 1u << t.lengthExtra[i];
    }
    t.lengthBase[LengthCodes - 1] = 258;
    t.lengthExtra[LengthCodes - 1] = 0;
    base = 1;
    for (unsigned i = 0; i < DistanceCodes; ++i) {
        t.distanceExtra[i] = static_cast<uint8_t>(i < 4 ? 0 : (i - 2) / 2);
        t.distanceBase[i] = static_cast<uint16_t>(base);
        base += 1u << t.distanceExtra[i];
    }
    return t;
}

constexpr CodeTables Tables = MakeCodeTables();
static_assert(Tables.lengthBase[27] == 227 && Tables.lengthExtra[27] == 5, "length table");
static_assert(Tables.distanceBase[29] == 24577 && Tables.distanceExtra[29] == 13, "distance table");

// The order in which a dynamic block lists the code lengths of the code-length code.
const uint8_t CodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Bits come least-significant first. Fewer than 8 bits are ever buffered, so
// a stored block can drop the partial byte by forgetting them.
class BitInput {
public:
    BitInput(const unsigned char* data, size_t length) : next(data), end(data + length) {}

    bool Exhausted() const { return bitCount == 0 && next == end; }
    bool NoBytesLeft() const { return next == end; }

    bool Bits(unsigned n, unsigned& value) {
        while (bitCount < n) {
            if (next == end) {
                return false;
            }
            buffer |= static_cast<uint32_t>(*next++) << bitCount;
            bitCount += 8;
        }
        value = buffer & ((1u << n) - 1);
        buffer >>= n;
        bitCount -= n;
        return true;
    }

    // -1: the input ended inside the code; -2: no symbol owns the code.
    int Decode(const QHuffmanTree& tree) {
        int code = 0;
        int first = 0;
        int index = 0;
        for (unsigned length = 1; length <= QHuffmanTree::MaxCodeLength; ++length) {
            if (bitCount == 0) {
                if (next == end) {
                    return -1;
                }
                buffer = *next++;
                bitCount = 8;
            }
            code |= static_cast<int>(buffer & 1);
            buffer >>= 1;
            --bitCount;
            const int count = tree.counts[length];
            if (code - first < count) {
                return tree.symbols[index + code - first];
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -2;
    }

    void DropPartialByte() {
        buffer = 0;
        bitCount = 0;
    }

    size_t BytesLeft() const { return static_cast<size_t>(end - next); }

    const unsigned char* TakeBytes(size_t n) {
        const unsigned char* taken = next;
        next += n;
        return taken;
    }

private:
    const unsigned char* next;
    const unsigned char* end;
    uint32_t buffer = 0;
    unsigned bitCount = 0;
};

InflateStatus DecodeFailure(int result) {
    return result == -1 ? InflateStatus::InputExhausted : InflateStatus::CodeTooLong;
}

}  // namespace

// Everything a decode needs between two reads: where the input is, which
// block it is in, a match not yet copied out, and the last 32 KB of output
// that matches refer back to.
struct QInflateStream::State {
    enum class Phase { BlockHeader, Stored, Codes, Finished };

    State(const unsigned char* src, size_t srcLength) : input(src, srcLength) {}

    BitInput input;
    Phase phase = Phase::BlockHeader;
    bool anyBlock = false;
    bool lastBlock = false;
    size_t storedLeft = 0;
    const QHuffmanTree* literals = nullptr;
    const QHuffmanTree* distances = nullptr;
    QHuffmanTree dynamicLiterals;
    QHuffmanTree dynamicDistances;
    size_t matchLeft = 0;
    size_t matchDistance = 0;
    uint64_t total = 0;
    InflateStatus failure = InflateStatus::Ok;
    unsigned char window[WindowSize];
};

QInflateStream::QInflateStream(const QInflater& inflater, const unsigned char* src, size_t srcLength)
    : fixedLiterals(inflater.fixedLiterals), fixedDistances(inflater.fixedDistances),
      state(new State(src, srcLength)) {}

QInflateStream::~QInflateStream() = default;

bool QInflateStream::Finished() const {
    return state->phase == State::Phase::Finished;
}

void QInflateStream::Emit(unsigned char byte, unsigned char* dest, size_t& produced) {
    dest[produced++] = byte;
    state->window[state->total++ & (WindowSize - 1)] = byte;
}

InflateStatus QInflateStream::Read(unsigned char* dest, size_t room, size_t& produced) {
    produced = 0;
    if (state->failure == InflateStatus::Ok) state->failure = Decode(dest, room, produced);
    return state->failure;
}

InflateStatus QInflateStream::Decode(unsigned char* dest, size_t room, size_t& produced) {
    State& s = *state;
    while (produced < room) {
        switch (s.phase) {
        case State::Phase::Finished: return InflateStatus::Ok;
        case State::Phase::BlockHeader: {
            // Decoding ends after the final block, or cleanly where the input
            // ends between two blocks.
            if (s.anyBlock && (s.lastBlock || s.input.NoBytesLeft())) {
                s.phase = State::Phase::Finished;
                return InflateStatus::Ok;
            }
            const InflateStatus status = BlockHeader();
            if (status != InflateStatus::Ok) return status;
            break;
        }
        case State::Phase::Stored: {
            size_t n = room - produced;
            if (n > s.storedLeft) n = s.storedLeft;
            const unsigned char* from = s.input.TakeBytes(n);
            for (size_t i = 0; i < n; ++i) Emit(from[i], dest, produced);
            s.storedLeft -= n;
            if (s.storedLeft == 0) s.phase = State::Phase::BlockHeader;
            break;
        }
        case State::Phase::Codes: {
            const InflateStatus status = Codes(dest, room, produced);
            if (status != InflateStatus::Ok) return status;
            break;
        }
        }
    }
    return InflateStatus::Ok;
}

InflateStatus QInflateStream::BlockHeader() {
    State& s = *state;
    unsigned last;
    unsigned type;
    if (!s.input.Bits(1, last) || !s.input.Bits(2, type)) {
        return InflateStatus::InputExhausted;
    }
    s.anyBlock = true;
    s.lastBlock = last != 0;
    if (type == 0) return StoredHeader();
    if (type == 1) {
        s.literals = &fixedLiterals;
        s.distances = &fixedDistances;
        s.phase = State::Phase::Codes;
        return InflateStatus::Ok;
    }
    if (type == 2) return DynamicHeader();
    return InflateStatus::BadBlockType;
}

InflateStatus QInflateStream::StoredHeader() {
    State& s = *state;
    s.input.DropPartialByte();
    if (s.input.BytesLeft() < 4) {
        return InflateStatus::InputExhausted;
    }
    const unsigned char* header = s.input.TakeBytes(4);
    const unsigned length = header[0] | (header[1] << 8);
    const unsigned complement = header[2] | (header[3] << 8);
    if (length != (~complement & 0xFFFFu)) {
        return InflateStatus::StoredLengthMismatch;
    }
    if (s.input.BytesLeft() < length) {
        return InflateStatus::InputExhausted;
    }
    s.storedLeft = length;
    s.phase = length ? State::Phase::Stored : State::Phase::BlockHeader;
    return InflateStatus::Ok;
}

InflateStatus QInflateStream::DynamicHeader() {
    BitInput& input = state->input;
    unsigned literalCount;
    unsigned distanceCount;
    unsigned codeLengthCount;
    if (!input.Bits(5, literalCount) || !input.Bits(5, distanceCount) || !input.Bits(4, codeLengthCount)) {
        return InflateStatus::InputExhausted;
    }
    literalCount += 257;
    distanceCount += 1;
    codeLengthCount += 4;

    uint8_t codeLengthLengths[19] = {};
    for (unsigned i = 0; i < codeLengthCount; ++i) {
        unsigned length;
        if (!input.Bits(3, length)) {
            return InflateStatus::InputExhausted;
        }
        codeLengthLengths[CodeLengthOrder[i]] = static_cast<uint8_t>(length);
    }
    QHuffmanTree codeLengths;
    codeLengths.Build(codeLengthLengths, 19);

    // At most 288 literal/length and 32 distance lengths.
    uint8_t lengths[320];
    const unsigned total = literalCount + distanceCount;
    unsigned index = 0;
    while (index < total) {
        const int symbol = input.Decode(codeLengths);
        if (symbol < 0) {
            return DecodeFailure(symbol);
        }
        if (symbol < 16) {
            lengths[index++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t repeated = 0;
        unsigned run;
        bool ok;
        if (symbol == 16) {
            if (index == 0) {
                return InflateStatus::RepeatWithoutLength;
            }
            repeated = lengths[index - 1];
            ok = input.Bits(2, run);
            run += 3;
        } else if (symbol == 17) {
            ok = input.Bits(3, run);
            run += 3;
        } else {
            ok = input.Bits(7, run);
            run += 11;
        }
        if (!ok) {
            return InflateStatus::InputExhausted;
        }
        if (run > total - index) {
            return InflateStatus::LengthRunTooLong;
        }
        memset(lengths + index, repeated, run);
        index += run;
    }

    state->dynamicLiterals.Build(lengths, literalCount);
    state->dynamicDistances.Build(lengths + literalCount, distanceCount);
    state->literals = &state->dynamicLiterals;
    state->distances = &state->dynamicDistances;
    state->phase = State::Phase::Codes;
    return InflateStatus::Ok;
}

InflateStatus QInflateStream::Codes(unsigned char* dest, size_t room, size_t& produced) {
    State& s = *state;
    // Worked on in locals: stores through the byte pointers could otherwise
    // touch them as far as the compiler knows, and they would be fetched
    // again for every byte.
    BitInput input = s.input;
    uint64_t total = s.total;
    size_t at = produced;
    size_t matchLeft = s.matchLeft;
    unsigned char* const window = s.window;
    const QHuffmanTree& literals = *s.literals;
    const QHuffmanTree& distances = *s.distances;
    auto emit = [&](unsigned char byte) {
        dest[at++] = byte;
        window[total++ & (WindowSize - 1)] = byte;
    };
    size_t nextDistance = s.matchDistance;
    const InflateStatus status = [&]() -> InflateStatus {
        while (at < room) {
            if (matchLeft > 0) {
                // Byte by byte: a match may overlap its own output, repeating the pattern.
                emit(window[(total - nextDistance) & (WindowSize - 1)]);
                --matchLeft;
                continue;
            }
            // Input that runs out exactly between two symbols ends the block
            // without an error; running out inside a symbol is an error.
            if (input.Exhausted()) {
                s.phase = State::Phase::BlockHeader;
                return InflateStatus::Ok;
            }
            int symbol = input.Decode(literals);
            if (symbol < 0) {
                return DecodeFailure(symbol);
            }
            if (symbol < 256) {
                emit(static_cast<unsigned char>(symbol));
                continue;
            }
            if (symbol == EndOfBlock) {
                s.phase = State::Phase::BlockHeader;
                return InflateStatus::Ok;
            }
            symbol -= 257;
            if (symbol >= static_cast<int>(LengthCodes)) {
                return InflateStatus::BadSymbol;
            }
            unsigned extra;
            if (!input.Bits(Tables.lengthExtra[symbol], extra)) {
                return InflateStatus::InputExhausted;
            }
            const size_t length = Tables.lengthBase[symbol] + extra;

            symbol = input.Decode(distances);
            if (symbol < 0) {
                return DecodeFailure(symbol);
            }
            if (symbol >= static_cast<int>(DistanceCodes)) {
                return InflateStatus::BadSymbol;
            }
            if (!input.Bits(Tables.distanceExtra[symbol], extra)) {
                return InflateStatus::InputExhausted;
            }
            const size_t distance = Tables.distanceBase[symbol] + extra;
            if (distance > total) {
                return InflateStatus::DistanceTooFar;
            }
            matchLeft = length;
            nextDistance = distance;
        }
        return InflateStatus::Ok;
    }();
    s.input = input;
    s.total = total;
    s.matchLeft = matchLeft;
    s.matchDistance = nextDistance;
    produced = at;
    return status;
}

QInflater::QInflater() {
    uint8_t lengths[QHuffmanTree::MaxSymbols];
    memset(lengths, 8, 144);
    memset(lengths + 144, 9, 256 - 144);
    memset(lengths + 256, 7, 280 - 256);
    memset(lengths + 280, 8, 288 - 280);
    fixedLiterals.Build(lengths, 288);
    memset(lengths, 5, 32);
    fixedDistances.Build(lengths, 32);
}

InflateStatus QInflater::Inflate(unsigned char* dest, uint64_t& produced,
                                 const unsigned char* src, uint64_t srcLength) const {
    // Both buffers exist in memory, so their sizes fit in size_t; anything
    // larger is a caller's lie that must not turn into a wrapped pointer.
    const uint64_t room = produced;
    produced = 0;
    if (room > SIZE_MAX || srcLength > SIZE_MAX) {
        return InflateStatus::OutputFull;
    }
    QInflateStream stream(*this, src, static_cast<size_t>(srcLength));
    size_t written = 0;
    const InflateStatus status = stream.Read(dest, static_cast<size_t>(room), written);
    produced = written;
    if (status != InflateStatus::Ok || stream.Finished()) return status;
    // The room is full: one more byte means it was too small.
    unsigned char beyond;
    size_t more = 0;
    const InflateStatus after = stream.Read(&beyond, 1, more);
    if (after != InflateStatus::Ok) return after;
    return more ? InflateStatus::OutputFull : InflateStatus::Ok;
}

}  // namespace qzip
}  // namespace kiln
