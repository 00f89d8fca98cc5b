#include "window/qimage_idataobject.h"

#include <ole2.h>

namespace kiln {
namespace qwin {

QRichEdit::QImageIDataObject::QImageIDataObject(HBITMAP bitmap) {
    FORMATETC bitmapFormat = {};
    bitmapFormat.cfFormat = CF_BITMAP;
    bitmapFormat.ptd = nullptr;
    bitmapFormat.dwAspect = DVASPECT_CONTENT;
    bitmapFormat.lindex = -1;
    bitmapFormat.tymed = TYMED_GDI;
    STGMEDIUM bitmapMedium = {};
    bitmapMedium.tymed = TYMED_GDI;
    bitmapMedium.hBitmap = bitmap;
    bitmapMedium.pUnkForRelease = nullptr;
    SetData(&bitmapFormat, &bitmapMedium, FALSE);
}

HRESULT QRichEdit::QImageIDataObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG QRichEdit::QImageIDataObject::AddRef() {
    return 1;
}

ULONG QRichEdit::QImageIDataObject::Release() {
    return 1;
}

HRESULT QRichEdit::QImageIDataObject::GetData(FORMATETC*, STGMEDIUM* out) {
    if (!out) return E_INVALIDARG;
    HANDLE copy = OleDuplicateData(medium.hBitmap, CF_BITMAP, 0);
    if (!copy) return E_HANDLE;
    out->tymed = TYMED_GDI;
    out->hBitmap = static_cast<HBITMAP>(copy);
    out->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT QRichEdit::QImageIDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

HRESULT QRichEdit::QImageIDataObject::QueryGetData(FORMATETC*) {
    return E_NOTIMPL;
}

HRESULT QRichEdit::QImageIDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) {
    return E_NOTIMPL;
}

HRESULT QRichEdit::QImageIDataObject::SetData(FORMATETC* given, STGMEDIUM* givenMedium, BOOL) {
    if (!given || !givenMedium) return E_INVALIDARG;
    format = *given;
    medium = *givenMedium;
    return S_OK;
}

HRESULT QRichEdit::QImageIDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC**) {
    return E_NOTIMPL;
}

HRESULT QRichEdit::QImageIDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT QRichEdit::QImageIDataObject::DUnadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT QRichEdit::QImageIDataObject::EnumDAdvise(IEnumSTATDATA**) {
    return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace qwin
}  // namespace kiln
