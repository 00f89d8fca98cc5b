#pragma once

#include <cstdint>

#include "core/qbuffer.h"
#include "core/qstring.h"

namespace kiln {
namespace qzip {

// CRC-32 of the ZIP format (reflected, polynomial 0xEDB88320), continued from
// crc (0 to start).
uint32_t Crc32(const void* bytes, size_t n, uint32_t crc = 0);

// Raw DEFLATE of data in one final block of fixed Huffman codes, with
// back-references found through a hash of the next three bytes. Far from the
// best ratio, but text and markup shrink to a half or a third. Appends to out.
void DeflateFixed(const unsigned char* data, size_t n, qstd::QBuffer& out);

// Writes a ZIP archive into memory, entry after entry, then its central
// directory. Entries are stored or deflated; names are UTF-8 and flagged so.
// No ZIP64: an archive stays below 4 GB, which Finish checks.
class QZipWriter {
public:
    enum class Method { Stored, Deflated };

    void Add(const char* name, const void* data, size_t n, Method method);
    void Add(const char* name, const qstd::QBuffer& data, Method method) {
        Add(name, data.GetData(), data.GetCount(), method);
    }

    // Appends the central directory and its end record; false when the
    // archive is too large for 32-bit offsets. Adding after Finish is not
    // allowed.
    bool Finish();
    const qstd::QBuffer& GetBytes() const { return archive; }

private:
    qstd::QBuffer archive;
    qstd::QBuffer directory;
    uint32_t entries = 0;
    bool tooLarge = false;
};

}  // namespace qzip
}  // namespace kiln
