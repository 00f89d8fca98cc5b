#include "documents/read_only_stream.h"

HRESULT STDMETHODCALLTYPE ReadOnlyStream::QueryInterface(REFIID id, void** object) {
    if (!object) return E_POINTER;
    if (id == IID_IUnknown || id == IID_ISequentialStream || id == IID_IStream) {
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ReadOnlyStream::AddRef() {
    return InterlockedIncrement(&references);
}

ULONG STDMETHODCALLTYPE ReadOnlyStream::Release() {
    const LONG left = InterlockedDecrement(&references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}
