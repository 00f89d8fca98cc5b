#include "window/qaxcontrol.h"

namespace kiln {
namespace com {

HRESULT QAXControl::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx || iid == IID_IOleWindow) {
        *object = static_cast<IOleInPlaceSiteEx*>(this);
    } else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow) {
        *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (iid == IID_IOleControlSite) {
        *object = static_cast<IOleControlSite*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG QAXControl::AddRef() {
    return ++references;
}

ULONG QAXControl::Release() {
    if (references > 0) --references;
    return references;
}

// --- IOleClientSite ----------------------------------------------------------

HRESULT QAXControl::SaveObject() {
    return E_NOTIMPL;
}

HRESULT QAXControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT QAXControl::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT QAXControl::ShowObject() {
    return S_OK;
}

HRESULT QAXControl::OnShowWindow(BOOL) {
    return E_NOTIMPL;
}

HRESULT QAXControl::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

// --- IOleWindow --------------------------------------------------------------

HRESULT QAXControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = GetSiteWindow();
    return *window ? S_OK : S_FALSE;
}

HRESULT QAXControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// --- IOleInPlaceSite ---------------------------------------------------------

HRESULT QAXControl::CanInPlaceActivate() {
    return S_OK;
}

HRESULT QAXControl::OnInPlaceActivate() {
    return S_OK;
}

HRESULT QAXControl::OnUIActivate() {
    return S_OK;
}

HRESULT QAXControl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                     RECT* clip, OLEINPLACEFRAMEINFO* info) {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    const HWND window = GetSiteWindow();
    RECT client = {};
    if (window) GetClientRect(window, &client);
    *position = client;
    *clip = client;
    info->fMDIApp = FALSE;
    info->hwndFrame = window;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT QAXControl::Scroll(SIZE) {
    return E_NOTIMPL;
}

HRESULT QAXControl::OnUIDeactivate(BOOL) {
    return E_NOTIMPL;
}

HRESULT QAXControl::OnInPlaceDeactivate() {
    return S_OK;
}

HRESULT QAXControl::DiscardUndoState() {
    return E_NOTIMPL;
}

HRESULT QAXControl::DeactivateAndUndo() {
    return E_NOTIMPL;
}

HRESULT QAXControl::OnPosRectChange(const RECT* rect) {
    if (!rect) return E_POINTER;
    return SetControlRects(*rect);
}

HRESULT QAXControl::SetControlRects(const RECT& rect) {
    IOleInPlaceObject* inPlace = nullptr;
    if (!oleObject || FAILED(oleObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) ||
        !inPlace) {
        return E_UNEXPECTED;
    }
    const HRESULT result = inPlace->SetObjectRects(&rect, &rect);
    inPlace->Release();
    return result;
}

// --- IOleInPlaceSiteEx -------------------------------------------------------

HRESULT QAXControl::OnInPlaceActivateEx(BOOL* noRedraw, DWORD) {
    if (noRedraw) *noRedraw = TRUE;
    return S_OK;
}

HRESULT QAXControl::OnInPlaceDeactivateEx(BOOL) {
    return S_OK;
}

HRESULT QAXControl::RequestUIActivate() {
    return S_OK;
}

// --- IOleInPlaceUIWindow and IOleInPlaceFrame --------------------------------

HRESULT QAXControl::GetBorder(RECT*) {
    return E_NOTIMPL;
}

HRESULT QAXControl::RequestBorderSpace(LPCBORDERWIDTHS) {
    return E_NOTIMPL;
}

HRESULT QAXControl::SetBorderSpace(LPCBORDERWIDTHS) {
    return E_NOTIMPL;
}

HRESULT QAXControl::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) {
    return E_NOTIMPL;
}

HRESULT QAXControl::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return E_NOTIMPL;
}

HRESULT QAXControl::SetMenu(HMENU, HOLEMENU, HWND) {
    return E_NOTIMPL;
}

HRESULT QAXControl::RemoveMenus(HMENU) {
    return E_NOTIMPL;
}

HRESULT QAXControl::SetStatusText(LPCOLESTR text) {
    return text ? S_OK : E_POINTER;
}

HRESULT QAXControl::EnableModeless(BOOL) {
    return E_NOTIMPL;
}

HRESULT QAXControl::TranslateAccelerator(MSG*, WORD) {
    return S_OK;
}

// --- IOleControlSite ---------------------------------------------------------

HRESULT QAXControl::OnControlInfoChanged() {
    return E_NOTIMPL;
}

HRESULT QAXControl::LockInPlaceActive(BOOL) {
    return E_NOTIMPL;
}

HRESULT QAXControl::GetExtendedControl(IDispatch** control) {
    // The site is no IDispatch: handing itself out under that type would
    // have the control call methods the site does not have.
    if (control) *control = nullptr;
    return E_NOTIMPL;
}

HRESULT QAXControl::TransformCoords(POINTL*, POINTF*, DWORD) {
    return E_NOTIMPL;
}

HRESULT QAXControl::TranslateAccelerator(MSG*, DWORD) {
    return S_FALSE;
}

HRESULT QAXControl::OnFocus(BOOL) {
    return S_OK;
}

HRESULT QAXControl::ShowPropertyFrame() {
    return E_NOTIMPL;
}

}  // namespace com
}  // namespace kiln
