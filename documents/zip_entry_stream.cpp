#include "documents/zip_entry_stream.h"

#include "documents/read_only_stream.h"

namespace {

class ZipEntryStream : public ReadOnlyStream {
public:
    explicit ZipEntryStream(kiln::qzip::QZipEntryReader& entry) : entry(entry) {}

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

private:
    kiln::qzip::QZipEntryReader& entry;
};

}  // namespace

IStream* CreateZipEntryStream(kiln::qzip::QZipEntryReader& entry) {
    return new ZipEntryStream(entry);
}
