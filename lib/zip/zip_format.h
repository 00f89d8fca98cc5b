#pragma once

#include <cstdint>

// Record signatures and little-endian field access of the ZIP format.
namespace kiln {
namespace qzip {
namespace format {

const uint32_t EndOfDirectorySignature = 0x06054B50;
const uint32_t Zip64LocatorSignature = 0x07064B50;
const uint32_t Zip64EndSignature = 0x06064B50;
const uint32_t CentralHeaderSignature = 0x02014B50;

const unsigned EndOfDirectorySize = 22;
const unsigned Zip64LocatorSize = 20;
const unsigned Zip64EndSize = 56;
const unsigned CentralHeaderSize = 46;
const unsigned LocalHeaderSize = 30;

const uint16_t Zip64ExtraId = 0x0001;
const uint32_t Zip64Marker32 = 0xFFFFFFFF;
const uint16_t Zip64Marker16 = 0xFFFF;

inline uint16_t Read16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Read32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t Read64(const unsigned char* p) {
    return static_cast<uint64_t>(Read32(p)) | (static_cast<uint64_t>(Read32(p + 4)) << 32);
}

}  // namespace format
}  // namespace qzip
}  // namespace kiln
