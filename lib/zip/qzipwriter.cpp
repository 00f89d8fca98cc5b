#include "zip/qzipwriter.h"

#include <cstring>
#include <memory>

using kiln::qstd::QBuffer;

namespace kiln {
namespace qzip {

namespace {

const uint32_t kLocalHeaderSignature = 0x04034B50;
const uint32_t kCentralHeaderSignature = 0x02014B50;
const uint32_t kEndOfDirectorySignature = 0x06054B50;
const uint16_t kVersion = 20;
// Bit 11: the name is UTF-8.
const uint16_t kUtf8Names = 0x0800;
// 1980-01-01 00:00, the format's first day: the same content gives the same
// bytes, whenever it is written.
const uint16_t kDosDate = (1 << 5) | 1;
const uint16_t kDosTime = 0;

const unsigned kWindow = 32768;
const unsigned kMinMatch = 3;
const unsigned kMaxMatch = 258;
const unsigned kHashBits = 15;
const unsigned kChainLimit = 48;

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

struct CrcTable {
    uint32_t entries[256];
    CrcTable() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
    }
};

class BitWriter {
public:
    explicit BitWriter(QBuffer& out) : out(out) {}

    // value's low count bits, first bit first.
    void Bits(uint32_t value, unsigned count) {
        pending |= value << used;
        used += count;
        while (used >= 8) {
            const unsigned char byte = static_cast<unsigned char>(pending);
            out.Append(&byte, 1);
            pending >>= 8;
            used -= 8;
        }
    }
    // Huffman codes go out from their most significant bit.
    void Code(uint32_t code, unsigned length) {
        uint32_t reversed = 0;
        for (unsigned i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
        Bits(reversed, length);
    }
    void Flush() {
        if (used > 0) Bits(0, 8 - used);
    }

private:
    QBuffer& out;
    uint32_t pending = 0;
    unsigned used = 0;
};

void literalOrLength(BitWriter& bits, unsigned symbol) {
    if (symbol < 144) bits.Code(0x30 + symbol, 8);
    else if (symbol < 256) bits.Code(0x190 + symbol - 144, 9);
    else if (symbol < 280) bits.Code(symbol - 256, 7);
    else bits.Code(0xC0 + symbol - 280, 8);
}

void match(BitWriter& bits, unsigned length, unsigned distance) {
    unsigned l = 28;
    while (kLengthBase[l] > length) --l;
    literalOrLength(bits, 257 + l);
    bits.Bits(length - kLengthBase[l], kLengthExtra[l]);
    unsigned d = 29;
    while (kDistanceBase[d] > distance) --d;
    bits.Code(d, 5);
    bits.Bits(distance - kDistanceBase[d], kDistanceExtra[d]);
}

unsigned hashAt(const unsigned char* p) {
    return ((static_cast<unsigned>(p[0]) << 16 | static_cast<unsigned>(p[1]) << 8 | p[2]) * 2654435761u) >>
           (32 - kHashBits);
}

void put16(QBuffer& out, uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    out.Append(bytes, 2);
}

void put32(QBuffer& out, uint32_t value) {
    put16(out, static_cast<uint16_t>(value));
    put16(out, static_cast<uint16_t>(value >> 16));
}

}  // namespace

uint32_t Crc32(const void* bytes, size_t n, uint32_t crc) {
    static const CrcTable table;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table.entries[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void DeflateFixed(const unsigned char* data, size_t n, QBuffer& out) {
    BitWriter bits(out);
    bits.Bits(1, 1);  // the last block
    bits.Bits(1, 2);  // of fixed codes
    // Positions are kept as offsets + 1, so 0 means none.
    std::unique_ptr<size_t[]> head(new size_t[1u << kHashBits]());
    std::unique_ptr<size_t[]> previous(new size_t[kWindow]());
    size_t at = 0;
    auto remember = [&](size_t position) {
        if (position + kMinMatch > n) return;
        const unsigned h = hashAt(data + position);
        previous[position % kWindow] = head[h];
        head[h] = position + 1;
    };
    while (at < n) {
        unsigned bestLength = 0;
        size_t bestDistance = 0;
        if (at + kMinMatch <= n) {
            const size_t limit = n - at < kMaxMatch ? n - at : kMaxMatch;
            size_t candidate = head[hashAt(data + at)];
            for (unsigned chain = 0; candidate != 0 && chain < kChainLimit; ++chain) {
                const size_t from = candidate - 1;
                if (at - from > kWindow - 1) break;
                unsigned length = 0;
                while (length < limit && data[from + length] == data[at + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = at - from;
                    if (length == limit) break;
                }
                const size_t next = previous[from % kWindow];
                // An entry older than the window has been overwritten.
                if (next == 0 || next - 1 >= from) break;
                candidate = next;
            }
        }
        if (bestLength >= kMinMatch) {
            match(bits, bestLength, static_cast<unsigned>(bestDistance));
            for (unsigned i = 0; i < bestLength; ++i) remember(at + i);
            at += bestLength;
        } else {
            literalOrLength(bits, data[at]);
            remember(at);
            ++at;
        }
    }
    literalOrLength(bits, 256);
    bits.Flush();
}

void QZipWriter::Add(const char* name, const void* data, size_t n, Method method) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    QBuffer deflated;
    uint16_t used = 0;
    if (method == Method::Deflated) {
        DeflateFixed(bytes, n, deflated);
        // Data that does not shrink is stored as it is.
        if (deflated.GetCount() < n) used = 8;
    }
    const size_t storedSize = used == 8 ? deflated.GetCount() : n;
    const uint64_t offset = archive.GetCount();
    if (n > 0xFFFFFFF0u || offset + storedSize + 1024 > 0xFFFFFFF0u) {
        tooLarge = true;
        return;
    }
    const uint32_t crc = Crc32(bytes, n);
    const uint16_t nameLength = static_cast<uint16_t>(std::strlen(name));

    put32(archive, kLocalHeaderSignature);
    put16(archive, kVersion);
    put16(archive, kUtf8Names);
    put16(archive, used);
    put16(archive, kDosTime);
    put16(archive, kDosDate);
    put32(archive, crc);
    put32(archive, static_cast<uint32_t>(storedSize));
    put32(archive, static_cast<uint32_t>(n));
    put16(archive, nameLength);
    put16(archive, 0);
    archive.Append(name, nameLength);
    if (used == 8) archive.Append(deflated.GetData(), deflated.GetCount());
    else if (n > 0) archive.Append(bytes, static_cast<unsigned>(n));

    put32(directory, kCentralHeaderSignature);
    put16(directory, kVersion);
    put16(directory, kVersion);
    put16(directory, kUtf8Names);
    put16(directory, used);
    put16(directory, kDosTime);
    put16(directory, kDosDate);
    put32(directory, crc);
    put32(directory, static_cast<uint32_t>(storedSize));
    put32(directory, static_cast<uint32_t>(n));
    put16(directory, nameLength);
    put16(directory, 0);  // extra field
    put16(directory, 0);  // comment
    put16(directory, 0);  // disk
    put16(directory, 0);  // internal attributes
    put32(directory, 0);  // external attributes
    put32(directory, static_cast<uint32_t>(offset));
    directory.Append(name, nameLength);
    ++entries;
}

bool QZipWriter::Finish() {
    if (tooLarge || entries > 0xFFFF) return false;
    const uint32_t directoryOffset = archive.GetCount();
    archive.Append(directory.GetData(), directory.GetCount());
    put32(archive, kEndOfDirectorySignature);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, static_cast<uint16_t>(entries));
    put16(archive, static_cast<uint16_t>(entries));
    put32(archive, directory.GetCount());
    put32(archive, directoryOffset);
    put16(archive, 0);
    return true;
}

}  // namespace qzip
}  // namespace kiln
