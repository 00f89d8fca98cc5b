#include "documents/zip_entry_stream.h"

namespace {

class ZipEntryStream : public IStream {
public:
    explicit ZipEntryStream(kiln::qzip::QZipEntryReader& entry) : entry(entry) {}
    virtual ~ZipEntryStream() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (id == IID_IUnknown || id == IID_ISequentialStream || id == IID_IStream) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* done) override {
        size_t produced = 0;
        auto* out = static_cast<unsigned char*>(buffer);
        // Filled as far as the data goes: a short read means the end.
        while (produced < wanted) {
            size_t got = 0;
            if (!entry.Read(out + produced, wanted - produced, got)) {
                if (done) *done = 0;
                return E_FAIL;
            }
            if (got == 0) break;
            produced += got;
        }
        if (done) *done = static_cast<ULONG>(produced);
        return produced == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    LONG references = 1;
    kiln::qzip::QZipEntryReader& entry;
};

}  // namespace

IStream* CreateZipEntryStream(kiln::qzip::QZipEntryReader& entry) {
    return new ZipEntryStream(entry);
}
