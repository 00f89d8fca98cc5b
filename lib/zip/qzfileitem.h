#pragma once

#include <cstdint>

#include "core/qstring.h"

namespace kiln {
namespace qzip {

// One entry of an archive's central directory, or a directory node that the
// path tree made up for a folder without an entry of its own.
struct QZFileItem {
    static constexpr uint32_t AttrDirectory = 0x10;
    static constexpr uint32_t AttrArchive = 0x20;

    static constexpr unsigned MethodStored = 0;
    static constexpr unsigned MethodDeflated = 8;

    // The path with every backslash turned into a slash; for a made-up
    // directory node, the bare folder name.
    qstd::QString name;
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;
    unsigned compressionMethod = 0;
    uint64_t localHeaderOffset = 0;
    uint32_t attributes = 0;
    // Seconds since 1970-01-01 UTC.
    int64_t modificationTime = 0;
};

}  // namespace qzip
}  // namespace kiln
