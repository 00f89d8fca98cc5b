#include "core/qarray.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace kiln {
namespace qstd {

QBaseArray::QBaseArray(unsigned elementSize) : elementSize(elementSize) {}

QBaseArray::QBaseArray(QBaseArray&& other) noexcept
    : capacity(other.capacity), count(other.count), elementSize(other.elementSize), elements(other.elements) {
    other.capacity = 0;
    other.count = 0;
    other.elements = nullptr;
}

QBaseArray& QBaseArray::operator=(QBaseArray&& other) noexcept {
    if (this != &other) {
        // Virtual, so an owning array deletes what it held before.
        RemoveAll();
        std::free(elements);
        capacity = other.capacity;
        count = other.count;
        elementSize = other.elementSize;
        elements = other.elements;
        other.capacity = 0;
        other.count = 0;
        other.elements = nullptr;
    }
    return *this;
}

QBaseArray::~QBaseArray() {
    RemoveAt(0, count);
    std::free(elements);
}

void QBaseArray::RemoveAt(unsigned index, unsigned n) {
    if (index >= count || n == 0) return;
    if (n > count - index) n = count - index;
    const unsigned behind = count - index - n;
    std::memmove(SlotAt(index), SlotAt(index + n), static_cast<size_t>(behind) * elementSize);
    count -= n;
}

void QBaseArray::SetCapacity(unsigned n) {
    if (n <= capacity) return;
    const uint64_t bytes = static_cast<uint64_t>(n) * elementSize;
    if (bytes > SIZE_MAX) throw std::bad_alloc();
    unsigned char* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(bytes)));
    if (!block) throw std::bad_alloc();
    if (elements) std::memcpy(block, elements, static_cast<size_t>(capacity) * elementSize);
    std::free(elements);
    elements = block;
    capacity = n;
}

void QBaseArray::CopyFrom(const QBaseArray& other) {
    RemoveAll();
    SetCapacity(other.count);
    if (other.count) std::memcpy(elements, other.elements, static_cast<size_t>(other.count) * elementSize);
    count = other.count;
}

// Small arrays grow by a few elements at a time, large ones by half.
void QBaseArray::GrowForOneMore() {
    if (count < capacity) return;
    uint64_t grown = capacity;
    if (capacity <= 8) {
        grown += 4;
    } else if (capacity <= 64) {
        grown += 8;
    } else {
        grown += capacity / 2;
    }
    if (grown > UINT32_MAX) throw std::bad_alloc();
    SetCapacity(static_cast<unsigned>(grown));
}

void* QBaseArray::AppendSlot() {
    GrowForOneMore();
    return SlotAt(count++);
}

void* QBaseArray::InsertSlot(unsigned index) {
    GrowForOneMore();
    if (index > count) index = count;
    std::memmove(SlotAt(index + 1), SlotAt(index), static_cast<size_t>(count - index) * elementSize);
    ++count;
    return SlotAt(index);
}

}  // namespace qstd
}  // namespace kiln
