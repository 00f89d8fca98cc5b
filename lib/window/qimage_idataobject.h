#pragma once

#include <objidl.h>

#include "window/qrichedit.h"

namespace kiln {
namespace qwin {

// Hands one bitmap to the call that makes a static picture object of it.
// It lives on its creator's stack for that one call, so reference counting
// does nothing; GetData gives out a duplicate, never the held bitmap.
class QRichEdit::QImageIDataObject : public IDataObject {
public:
    explicit QImageIDataObject(HBITMAP bitmap);
    QImageIDataObject(const QImageIDataObject&) = delete;
    QImageIDataObject& operator=(const QImageIDataObject&) = delete;
    virtual ~QImageIDataObject() = default;

    const FORMATETC& GetFormat() const { return format; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* wanted, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* given, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* wanted, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

private:
    FORMATETC format = {};
    STGMEDIUM medium = {};
};

}  // namespace qwin
}  // namespace kiln
