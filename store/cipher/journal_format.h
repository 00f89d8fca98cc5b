#pragma once

#include <cstdint>

// The parts of the storage engine's rollback journal that the layer reads
// (to judge a key before a journal is played back) and that a rekey writes
// (its own journal, which the engine plays back like one of its own).
//
// A journal starts with a header of one sector: the magic bytes, the number
// of records, the checksum seed, the database's size in pages, the sector
// size and the page size, each field 32 bits big-endian. Records follow:
// the page number, the page image, and a checksum of the plain image.
namespace journal_format {

inline constexpr unsigned char kMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
constexpr uint32_t kHeaderFields = 28;
constexpr uint32_t kRecordCountOffset = 8;

// The engine fills a header past its fields with zeros. A rekey's journal
// carries this mark there: its page images are under the key the file had,
// and a key that cannot read them is the one the rekey was going to, not a
// key meeting a journal left by some other file.
inline constexpr unsigned char kRekeyMark[8] = {'V', 'o', 'r', 'l', 'e', 'n', 'R', 'K'};
constexpr uint32_t kRekeyMarkOffset = kHeaderFields;

inline uint32_t readBigEndian32(const unsigned char* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

inline void writeBigEndian32(unsigned char* bytes, uint32_t value) {
    bytes[0] = static_cast<unsigned char>(value >> 24);
    bytes[1] = static_cast<unsigned char>(value >> 16);
    bytes[2] = static_cast<unsigned char>(value >> 8);
    bytes[3] = static_cast<unsigned char>(value);
}

// The engine's record checksum: the seed plus every 200th byte of the plain
// image, counted from its end.
inline uint32_t recordChecksum(uint32_t seed, const unsigned char* image, uint32_t pageSize) {
    uint32_t checksum = seed;
    for (int i = static_cast<int>(pageSize) - 200; i > 0; i -= 200) checksum += image[i];
    return checksum;
}

}  // namespace journal_format
