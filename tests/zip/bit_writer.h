#pragma once

// Writes hand-made DEFLATE streams: header fields least-significant bit
// first, Huffman codes most-significant bit first, as the format packs them.
#include <cstdint>
#include <string>
#include <vector>

namespace ziptest {

class BitWriter {
public:
    BitWriter& Bits(uint32_t value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            Bit((value >> i) & 1);
        }
        return *this;
    }

    BitWriter& Code(uint32_t code, unsigned length) {
        for (unsigned i = length; i > 0; --i) {
            Bit((code >> (i - 1)) & 1);
        }
        return *this;
    }

    // A literal/length symbol of the fixed code.
    BitWriter& FixedSymbol(unsigned symbol) {
        if (symbol < 144) return Code(0x30 + symbol, 8);
        if (symbol < 256) return Code(0x190 + symbol - 144, 9);
        if (symbol < 280) return Code(symbol - 256, 7);
        return Code(0xC0 + symbol - 280, 8);
    }

    BitWriter& Bytes(const std::string& bytes) {
        AlignToByte();
        data += bytes;
        return *this;
    }

    BitWriter& AlignToByte() {
        used = 0;
        return *this;
    }

    // A dynamic block header whose code-length code gives all 19 symbols
    // five bits (code = symbol), followed by the given code-length symbols,
    // each with its extra bits.
    struct LengthSymbol {
        unsigned symbol;
        unsigned extra;
    };
    BitWriter& DynamicHeader(unsigned literalCount, unsigned distanceCount, const std::vector<LengthSymbol>& symbols) {
        Bits(literalCount - 257, 5).Bits(distanceCount - 1, 5).Bits(19 - 4, 4);
        for (int i = 0; i < 19; ++i) {
            Bits(5, 3);
        }
        for (const LengthSymbol& s : symbols) {
            Code(s.symbol, 5);
            if (s.symbol == 16) Bits(s.extra, 2);
            if (s.symbol == 17) Bits(s.extra, 3);
            if (s.symbol == 18) Bits(s.extra, 7);
        }
        return *this;
    }

    const std::string& Data() const { return data; }

private:
    void Bit(unsigned bit) {
        if (used == 0) {
            data += '\0';
        }
        data.back() = static_cast<char>(data.back() | (bit << used));
        used = (used + 1) & 7;
    }

    std::string data;
    unsigned used = 0;
};

}  // namespace ziptest
