// Extraction of single entries.
#include "zip/qzipreader.h"

#include <new>
#include <utility>

#include "zip/buffer_length.h"
#include "zip/zip_format.h"

namespace kiln {
namespace qzip {

using namespace format;

namespace {

// No DEFLATE stream expands more than this: a 258-byte match costs at least
// one bit of length code and one of distance code. A directory that claims
// more is lying, and the claim must not turn into an allocation.
const uint64_t MaxDeflateRatio = 1032;

}  // namespace

QZipReader::QZipReader() = default;
QZipReader::~QZipReader() = default;

int QZipReader::Inflate(unsigned char* dest, uint64_t& produced, const unsigned char* src, uint64_t srcLength) const {
    return inflater.Inflate(dest, produced, src, srcLength) == InflateStatus::Ok ? 0 : -1;
}

bool QZipReader::Extract(const qstd::QString& entryPath, qstd::QBuffer& out) {
    try {
        QZFileItem item;
        return tree.Find(entryPath, item) && ExtractItem(item, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool QZipReader::ReadEntryData(const QZFileItem& item, qstd::QBuffer& data) {
    data.RemoveAll();
    unsigned char header[LocalHeaderSize];
    if (!ReadAt(item.localHeaderOffset, header, LocalHeaderSize)) {
        return false;
    }
    if (item.uncompressedSize == 0) {
        return true;
    }
    if (item.compressedSize == 0 || item.uncompressedSize > UINT32_MAX) {
        return false;
    }
    // The local header's own name and extra lengths place the data; its
    // sizes are not trusted (they are zero when a data descriptor follows).
    const uint64_t dataOffset = item.localHeaderOffset + LocalHeaderSize + Read16(header + 26) + Read16(header + 28);
    if (dataOffset > size || item.compressedSize > size - dataOffset) {
        return false;
    }
    const uint32_t outSize = static_cast<uint32_t>(item.uncompressedSize);
    const uint32_t inSize = static_cast<uint32_t>(item.compressedSize);
    if (item.compressionMethod == QZFileItem::MethodStored ? inSize != outSize
        : item.compressionMethod != QZFileItem::MethodDeflated || outSize / MaxDeflateRatio > inSize) {
        return false;
    }
    data.SetCapacity(inSize);
    if (!ReadAt(dataOffset, data.GetData(), inSize)) {
        return false;
    }
    SetBufferLength(data, inSize);
    return true;
}

bool QZipReader::ExtractItem(const QZFileItem& item, qstd::QBuffer& out) {
    qstd::QBuffer data;
    if (!ReadEntryData(item, data)) {
        return false;
    }
    if (item.uncompressedSize == 0) {
        return true;
    }
    if (item.compressionMethod == QZFileItem::MethodStored) {
        out = std::move(data);
        return true;
    }
    const uint32_t outSize = static_cast<uint32_t>(item.uncompressedSize);
    out.RemoveAll();
    out.SetCapacity(outSize);
    uint64_t produced = outSize;
    const InflateStatus status = inflater.Inflate(out.GetData(), produced, data.GetData(), data.GetCount());
    // Data that ends early leaves the rest of the block unwritten; it must
    // never pass for content.
    SetBufferLength(out, static_cast<unsigned>(produced));
    return status == InflateStatus::Ok;
}

bool QZipReader::OpenEntry(const QZFileItem& item, QZipEntryReader& entry) {
    qstd::QBuffer data;
    if (!ReadEntryData(item, data)) {
        return false;
    }
    entry.Start(std::move(data), item, inflater);
    return true;
}

}  // namespace qzip
}  // namespace kiln
