#pragma once

#include "core/qarray.h"

namespace kiln {
namespace qstd {

// Array of pointers to heap objects that it owns: removing an entry or
// destroying the array deletes the object (null entries are skipped).
template <class T>
class QObArray : public QArray<void*> {
public:
    QObArray() = default;
    QObArray(const QObArray&) = delete;
    QObArray& operator=(const QObArray&) = delete;
    QObArray(QObArray&& other) noexcept = default;
    QObArray& operator=(QObArray&& other) noexcept = default;
    ~QObArray() override { RemoveAt(0, count); }

    // Ownership passes on the call: an element that cannot be stored is deleted.
    void Add(T* element) {
        try {
            QArray<void*>::Add(element);
        } catch (...) {
            delete element;
            throw;
        }
    }
    void InsertAt(unsigned index, T* element) {
        try {
            QArray<void*>::InsertAt(index, element);
        } catch (...) {
            delete element;
            throw;
        }
    }

    // index must be below GetCount().
    T* operator[](unsigned index) const { return static_cast<T*>(GetData()[index]); }

    void RemoveAt(unsigned index, unsigned n) override {
        if (index >= count) return;
        const unsigned end = n > count - index ? count : index + n;
        for (unsigned i = index; i < end; ++i) {
            delete static_cast<T*>(GetData()[i]);
        }
        QArray<void*>::RemoveAt(index, n);
    }
};

}  // namespace qstd
}  // namespace kiln
