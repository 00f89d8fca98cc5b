#include "window/qwebbrowser.h"

#include <exdispid.h>
#include <mshtml.h>
#include <urlmon.h>

namespace kiln {
namespace com {

QWebBrowser::~QWebBrowser() {
    // OnDestroy must still reach this class, not the bases.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
    ReleaseControl();
}

bool QWebBrowser::Create(qwin::QWindow* parent, int id, DWORD style) {
    if (!QControl::Create(parent, id, style) || !handle) return false;
    if (!CreateControl()) {
        ReleaseControl();
        return false;
    }
    return true;
}

bool QWebBrowser::CreateControl() {
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&control))) ||
        !control) {
        return false;
    }
    if (FAILED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&oleObject))) || !oleObject) {
        return false;
    }
    oleObject->SetClientSite(static_cast<IOleClientSite*>(this));
    if (FAILED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) || !browser) {
        return false;
    }
    // Script errors of a page must not open dialogs.
    browser->put_Silent(VARIANT_TRUE);
    Navigate(L"about:blank");
    GetClientRect(handle, &position);
    DoVerb(OLEIVERB_INPLACEACTIVATE);
    DoVerb(OLEIVERB_SHOW);
    DoVerb(OLEIVERB_UIACTIVATE);
    CoInternetSetFeatureEnabled(FEATURE_TABBED_BROWSING, SET_FEATURE_ON_PROCESS, TRUE);
    ConnectSink();
    return true;
}

void QWebBrowser::DoVerb(LONG verb) {
    if (oleObject) oleObject->DoVerb(verb, nullptr, static_cast<IOleClientSite*>(this), 0, handle, &position);
}

void QWebBrowser::ConnectSink() {
    if (!eventSink || !browser) return;
    IConnectionPointContainer* container = nullptr;
    if (FAILED(browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) ||
        !container) {
        return;
    }
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) && point) {
        if (FAILED(point->Advise(eventSink, &sinkCookie))) sinkCookie = 0;
        point->Release();
    }
    container->Release();
}

void QWebBrowser::DisconnectSink() {
    if (!sinkCookie || !browser) return;
    IConnectionPointContainer* container = nullptr;
    if (SUCCEEDED(browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) &&
        container) {
        IConnectionPoint* point = nullptr;
        if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) && point) {
            point->Unadvise(sinkCookie);
            point->Release();
        }
        container->Release();
    }
    sinkCookie = 0;
}

void QWebBrowser::ReleaseControl() {
    DisconnectSink();
    if (oleObject) {
        // An object active in place is deactivated before it is closed.
        IOleInPlaceObject* inPlace = nullptr;
        if (SUCCEEDED(oleObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) &&
            inPlace) {
            inPlace->UIDeactivate();
            inPlace->InPlaceDeactivate();
            inPlace->Release();
        }
        oleObject->Close(OLECLOSE_NOSAVE);
        oleObject->SetClientSite(nullptr);
        oleObject->Release();
        oleObject = nullptr;
    }
    if (browser) {
        browser->Release();
        browser = nullptr;
    }
    if (control) {
        control->Release();
        control = nullptr;
    }
}

bool QWebBrowser::OnSize(UINT, int cx, int cy) {
    position = {0, 0, cx, cy};
    SetControlRects(position);
    return true;
}

bool QWebBrowser::OnDestroy() {
    ReleaseControl();
    return false;
}

bool QWebBrowser::Navigate(const wchar_t* url) {
    if (!browser) return false;
    VARIANT address;
    VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(url);
    VARIANT empty;
    VariantInit(&empty);
    const HRESULT result = browser->Navigate2(&address, &empty, &empty, &empty, &empty);
    VariantClear(&address);
    return SUCCEEDED(result);
}

void QWebBrowser::ActivateUI() {
    DoVerb(OLEIVERB_UIACTIVATE);
}

bool QWebBrowser::HasLoadedDocument() const {
    READYSTATE state = READYSTATE_UNINITIALIZED;
    if (!browser || FAILED(browser->get_ReadyState(&state)) || state != READYSTATE_COMPLETE) return false;
    IDispatch* document = nullptr;
    if (FAILED(browser->get_Document(&document)) || !document) return false;
    bool hasBody = false;
    IHTMLDocument2* html = nullptr;
    if (SUCCEEDED(document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html))) && html) {
        IHTMLElement* body = nullptr;
        if (SUCCEEDED(html->get_body(&body)) && body) {
            hasBody = true;
            body->Release();
        }
        html->Release();
    }
    document->Release();
    return hasBody;
}

qstd::QString QWebBrowser::GetLocationURL() const {
    qstd::QString location;
    BSTR url = nullptr;
    if (browser && SUCCEEDED(browser->get_LocationURL(&url)) && url) location = qstd::QString(url);
    SysFreeString(url);
    return location;
}

// --- IUnknown ----------------------------------------------------------------

HRESULT QWebBrowser::QueryInterface(REFIID iid, void** object) {
    if (object && iid == IID_IDocHostUIHandler) {
        *object = static_cast<IDocHostUIHandler*>(this);
        AddRef();
        return S_OK;
    }
    return QAXControl::QueryInterface(iid, object);
}

ULONG QWebBrowser::AddRef() {
    return QAXControl::AddRef();
}

ULONG QWebBrowser::Release() {
    return QAXControl::Release();
}

// --- IDocHostUIHandler -------------------------------------------------------

HRESULT QWebBrowser::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_FALSE;
}

HRESULT QWebBrowser::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_FLAT_SCROLLBAR | DOCHOSTUIFLAG_DPI_AWARE;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT QWebBrowser::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                            IOleInPlaceUIWindow*) {
    return S_OK;
}

HRESULT QWebBrowser::HideUI() {
    return S_OK;
}

HRESULT QWebBrowser::UpdateUI() {
    return S_OK;
}

HRESULT QWebBrowser::EnableModeless(BOOL) {
    return E_NOTIMPL;
}

HRESULT QWebBrowser::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT QWebBrowser::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT QWebBrowser::ResizeBorder(const RECT*, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT QWebBrowser::TranslateAccelerator(MSG*, const GUID*, DWORD) {
    return S_FALSE;
}

HRESULT QWebBrowser::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (key) *key = nullptr;
    return S_FALSE;
}

HRESULT QWebBrowser::GetDropTarget(IDropTarget*, IDropTarget** target) {
    if (target) *target = nullptr;
    return S_FALSE;
}

HRESULT QWebBrowser::GetExternal(IDispatch** external) {
    if (external) *external = nullptr;
    return S_FALSE;
}

HRESULT QWebBrowser::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
    if (translated) *translated = nullptr;
    return S_FALSE;
}

HRESULT QWebBrowser::FilterDataObject(IDataObject*, IDataObject** filtered) {
    if (filtered) *filtered = nullptr;
    return S_FALSE;
}

}  // namespace com
}  // namespace kiln
