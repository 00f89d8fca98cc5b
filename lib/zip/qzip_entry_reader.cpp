#include "zip/qzip_entry_reader.h"

#include <cstring>
#include <utility>

namespace kiln {
namespace qzip {

void QZipEntryReader::Start(qstd::QBuffer&& compressed, const QZFileItem& item, const QInflater& inflater) {
    data = std::move(compressed);
    size = item.uncompressedSize;
    given = 0;
    failed = false;
    inflating.reset();
    if (item.compressionMethod == QZFileItem::MethodDeflated && data.GetCount() > 0) {
        inflating.reset(new QInflateStream(inflater, data.GetData(), data.GetCount()));
    }
}

bool QZipEntryReader::Read(unsigned char* dest, size_t room, size_t& produced) {
    produced = 0;
    if (failed) return false;
    if (!inflating) {
        // Stored: the data is the entry.
        const uint64_t left = data.GetCount() - given;
        produced = static_cast<size_t>(left < room ? left : room);
        if (produced) std::memcpy(dest, data.GetData() + given, produced);
        given += produced;
        return true;
    }
    // One byte more than the directory allows tells a lie from the truth.
    const uint64_t allowed = size - given + 1;
    const size_t asked = allowed < room ? static_cast<size_t>(allowed) : room;
    failed = inflating->Read(dest, asked, produced) != InflateStatus::Ok || given + produced > size;
    if (failed) {
        produced = 0;
        return false;
    }
    given += produced;
    return true;
}

}  // namespace qzip
}  // namespace kiln
