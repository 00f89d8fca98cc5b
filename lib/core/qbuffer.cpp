#include "core/qbuffer.h"

#include <cstdint>
#include <new>

namespace kiln {
namespace qstd {

void QBuffer::Append(const void* bytes, unsigned n) {
    if (!bytes || n == 0) return;
    const unsigned char* source = static_cast<const unsigned char*>(bytes);
    // Bytes taken from this very buffer must be found again after growing
    // has moved the block.
    const uintptr_t address = reinterpret_cast<uintptr_t>(source);
    const uintptr_t start = reinterpret_cast<uintptr_t>(elements);
    const bool fromSelf = elements && address >= start && address < start + capacity;
    const size_t offset = fromSelf ? address - start : 0;
    if (static_cast<uint64_t>(capacity) < static_cast<uint64_t>(count) + n) {
        const uint64_t slack = capacity > 4096 ? capacity / 2 : 1024;
        const uint64_t wanted = static_cast<uint64_t>(count) + n + slack;
        if (wanted > UINT32_MAX) throw std::bad_alloc();
        SetCapacity(static_cast<unsigned>(wanted));
        if (fromSelf) source = elements + offset;
    }
    std::memmove(elements + count, source, n);
    count += n;
}

}  // namespace qstd
}  // namespace kiln
