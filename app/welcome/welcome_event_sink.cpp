#include "app/welcome/welcome_event_sink.h"

#include <exdisp.h>
#include <exdispid.h>

#include <cwchar>

#include "app/welcome/welcome_browser.h"
#include "resources/command_ids.h"

namespace {

// The text of a string argument, passed by value or by reference; null for
// anything else.
const wchar_t* StringArgument(const VARIANT& argument) {
    const VARIANT* value = &argument;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
    if (value->vt == VT_BSTR) return value->bstrVal;
    if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal) return *value->pbstrVal;
    return nullptr;
}

void Cancel(const VARIANT& argument) {
    if (argument.vt == (VT_BYREF | VT_BOOL) && argument.pboolVal) *argument.pboolVal = VARIANT_TRUE;
}

// Arguments arrive last first: index n of an event with count arguments.
const VARIANT* Argument(const DISPPARAMS& params, UINT count, UINT n) {
    if (params.cArgs != count || !params.rgvarg) return nullptr;
    return &params.rgvarg[count - 1 - n];
}

// BeforeNavigate2(browser, url, flags, target, post data, headers, cancel),
// NewWindow2(browser, cancel) and NewWindow3(browser, cancel, flags, context, url).
const UINT kBeforeNavigateArguments = 7;
const UINT kNewWindow2Arguments = 2;
const UINT kNewWindow3Arguments = 5;

}  // namespace

HRESULT WelcomeEventSink::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG WelcomeEventSink::AddRef() {
    return ++references;
}

ULONG WelcomeEventSink::Release() {
    if (references > 0) --references;
    return references;
}

HRESULT WelcomeEventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT WelcomeEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
}

HRESULT WelcomeEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT WelcomeEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    if (!params) return S_OK;
    switch (id) {
        case DISPID_BEFORENAVIGATE2:
            BeforeNavigate(*params);
            break;
        case DISPID_NEWWINDOW2:
            if (const VARIANT* cancel = Argument(*params, kNewWindow2Arguments, 1)) Cancel(*cancel);
            break;
        case DISPID_NEWWINDOW3:
            if (const VARIANT* cancel = Argument(*params, kNewWindow3Arguments, 1)) Cancel(*cancel);
            break;
        case DISPID_DOCUMENTCOMPLETE:
            browser.OnDocumentComplete();
            break;
        default:
            break;
    }
    return S_OK;
}

void WelcomeEventSink::BeforeNavigate(const DISPPARAMS& params) {
    const VARIANT* address = Argument(params, kBeforeNavigateArguments, 1);
    const VARIANT* cancel = Argument(params, kBeforeNavigateArguments, 6);
    if (!address || !cancel) return;
    const wchar_t* url = StringArgument(*address);
    if (!url || std::wcsncmp(url, L"app:", 4) != 0) return;
    // An "app:" address is the program's own: never a page to go to.
    Cancel(*cancel);
    const wchar_t* action = url + 4;
    if (std::wcsncmp(action, L"NewDatabase", 11) == 0) {
        browser.SendCommand(IDM_NEW_DATABASE);
    } else if (std::wcsncmp(action, L"OpenDatabase", 12) == 0) {
        browser.SendCommand(IDM_OPEN_DATABASE);
    }
}
