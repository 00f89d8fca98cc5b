#include "window/qolecallback.h"

namespace kiln {
namespace qwin {

QOleCallback::QOleCallback(HWND control) : control(control) {}

HRESULT QOleCallback::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRichEditOleCallback)) {
        *object = static_cast<IRichEditOleCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG QOleCallback::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references));
}

ULONG QOleCallback::Release() {
    const LONG left = InterlockedDecrement(&references);
    // A COM object ends itself: the control may hold the last reference.
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

IStorage* CreateMemoryStorage() {
    ILockBytes* lockBytes = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes))) return nullptr;
    IStorage* storage = nullptr;
    const HRESULT created = StgCreateDocfileOnILockBytes(
        lockBytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &storage);
    // The storage keeps its own reference to the memory.
    lockBytes->Release();
    return SUCCEEDED(created) ? storage : nullptr;
}

HRESULT QOleCallback::GetNewStorage(LPSTORAGE* storage) {
    if (!storage) return E_INVALIDARG;
    *storage = CreateMemoryStorage();
    return *storage ? S_OK : E_OUTOFMEMORY;
}

HRESULT QOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* document,
                                        LPOLEINPLACEFRAMEINFO frameInfo) {
    if (frame) *frame = nullptr;
    if (document) *document = nullptr;
    if (frameInfo) {
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = GetParent(control);
        frameInfo->haccel = nullptr;
        frameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT QOleCallback::ShowContainerUI(BOOL) {
    return S_OK;
}

HRESULT QOleCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG) {
    return S_OK;
}

HRESULT QOleCallback::DeleteObject(LPOLEOBJECT) {
    return S_OK;
}

HRESULT QOleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) {
    return S_OK;
}

HRESULT QOleCallback::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// The control's own clipboard data is used.
HRESULT QOleCallback::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) {
    return E_NOTIMPL;
}

HRESULT QOleCallback::GetDragDropEffect(BOOL, DWORD, LPDWORD) {
    return E_NOTIMPL;
}

// The editor page shows its own menu on the right-button notification.
HRESULT QOleCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* menu) {
    if (menu) *menu = nullptr;
    return S_OK;
}

}  // namespace qwin
}  // namespace kiln
