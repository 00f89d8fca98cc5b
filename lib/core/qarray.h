#pragma once

#include <cstring>
#include <type_traits>

namespace kiln {
namespace qstd {

// Untyped growable storage shared by every array: a block of capacity
// elements of elementSize bytes, count of them in use.
class QBaseArray {
public:
    QBaseArray(const QBaseArray&) = delete;
    QBaseArray& operator=(const QBaseArray&) = delete;
    virtual ~QBaseArray();

    // Removes up to n elements from index on; nothing happens when index is
    // not below the count.
    virtual void RemoveAt(unsigned index, unsigned n);
    void RemoveAll() { RemoveAt(0, count); }

    // Only ever grows; the new part of the block is not cleared.
    void SetCapacity(unsigned n);

    unsigned GetCount() const { return count; }
    unsigned GetCapacity() const { return capacity; }
    unsigned GetElementSize() const { return elementSize; }
    bool IsEmpty() const { return count == 0; }

protected:
    explicit QBaseArray(unsigned elementSize);
    QBaseArray(QBaseArray&& other) noexcept;
    QBaseArray& operator=(QBaseArray&& other) noexcept;

    // Replaces the contents with a bitwise copy of other's elements.
    void CopyFrom(const QBaseArray& other);
    // Make room at the end, or at index (clamped to the count) with the
    // elements behind it moved up; the count includes the new slot.
    void* AppendSlot();
    void* InsertSlot(unsigned index);
    void* SlotAt(unsigned index) const { return elements + static_cast<size_t>(index) * elementSize; }

    unsigned capacity = 0;
    unsigned count = 0;
    unsigned elementSize;
    unsigned char* elements = nullptr;

private:
    void GrowForOneMore();
};

// Array of plain data: elements are moved with memcpy, so only trivially
// copyable types may be stored (a QString never is).
template <class T>
class QArray : public QBaseArray {
    static_assert(std::is_trivially_copyable<T>::value, "QArray moves its elements bitwise");

public:
    QArray() : QBaseArray(sizeof(T)) {}
    QArray(const QArray& other) : QBaseArray(sizeof(T)) { CopyFrom(other); }
    QArray(QArray&& other) noexcept = default;
    QArray& operator=(const QArray& other) {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    QArray& operator=(QArray&& other) noexcept = default;

    void Add(const T& element) {
        // The element may live in the block that growing frees.
        const T value = element;
        std::memcpy(AppendSlot(), &value, sizeof(T));
    }
    void InsertAt(unsigned index, const T& element) {
        const T value = element;
        std::memcpy(InsertSlot(index), &value, sizeof(T));
    }

    // index must be below GetCount().
    T& operator[](unsigned index) { return GetData()[index]; }
    const T& operator[](unsigned index) const { return GetData()[index]; }

    T* GetData() { return reinterpret_cast<T*>(elements); }
    const T* GetData() const { return reinterpret_cast<const T*>(elements); }
};

}  // namespace qstd
}  // namespace kiln
