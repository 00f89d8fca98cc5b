#pragma once

#include <unknwn.h>

// Owner of one COM interface pointer: releases it when destroyed.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (pointer) {
            pointer->Release();
        }
    }

    // For functions that hand out a new reference through an out parameter.
    void** ReceiveVoid() { return reinterpret_cast<void**>(&pointer); }
    // Takes over a reference the caller already holds.
    void Attach(T* owned) { pointer = owned; }

    T* Get() const { return pointer; }
    T* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

private:
    T* pointer = nullptr;
};
