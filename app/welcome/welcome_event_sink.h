#pragma once

#include <windows.h>
#include <oaidl.h>

class WelcomeBrowser;

// Hears the welcome pane's browser events. The page's "app:" links become
// commands of the welcome browser's owner instead of navigations; the
// browser never opens windows of its own; a completed document tells the
// welcome browser that the control can show pages.
//
// A member of its welcome browser: the reference count only counts.
class WelcomeEventSink : public IDispatch {
public:
    explicit WelcomeEventSink(WelcomeBrowser& browser) : browser(browser) {}
    WelcomeEventSink(const WelcomeEventSink&) = delete;
    WelcomeEventSink& operator=(const WelcomeEventSink&) = delete;
    virtual ~WelcomeEventSink() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    // Always S_OK: an event the sink does not act on is simply let through.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

private:
    void BeforeNavigate(const DISPPARAMS& params);

    WelcomeBrowser& browser;
    ULONG references = 0;
};
