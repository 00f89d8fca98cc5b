#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/qbuffer.h"
#include "zip/qinflater.h"
#include "zip/qzfileitem.h"

namespace kiln {
namespace qzip {

// One entry's bytes a piece at a time, for entries too large to hold
// unpacked: the compressed data is held, the output is not. Never gives more
// than the directory says the entry holds.
class QZipEntryReader {
public:
    QZipEntryReader() = default;
    QZipEntryReader(const QZipEntryReader&) = delete;
    QZipEntryReader& operator=(const QZipEntryReader&) = delete;

    void Start(qstd::QBuffer&& data, const QZFileItem& item, const QInflater& inflater);

    // Up to room bytes at dest; produced is 0 only at the end. False for
    // damaged data or data beyond the entry's size, then and ever after.
    bool Read(unsigned char* dest, size_t room, size_t& produced);

    uint64_t GetSize() const { return size; }

private:
    qstd::QBuffer data;
    std::unique_ptr<QInflateStream> inflating;
    uint64_t size = 0;
    uint64_t given = 0;
    bool failed = false;
};

}  // namespace qzip
}  // namespace kiln
