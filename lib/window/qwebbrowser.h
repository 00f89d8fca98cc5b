#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>

#include "window/qaxcontrol.h"
#include "window/qcontrol.h"

namespace kiln {
namespace com {

// The system's web browser control, filling a child window of its own. The
// owner may hand it an event sink before creation; the sink then hears the
// browser's events (navigations, new windows, completed documents).
class QWebBrowser : public QAXControl, public IDocHostUIHandler, public qwin::QControl {
public:
    QWebBrowser() = default;
    ~QWebBrowser() override;

    // Creates the window and the control in it, activated and showing
    // about:blank. False when the window or the control cannot be made.
    bool Create(qwin::QWindow* parent, int id, DWORD style) override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnDestroy() override;

    // Before Create; the sink must outlive the window.
    void SetEventSink(IDispatch* sink) { eventSink = sink; }
    bool Navigate(const wchar_t* url);
    // Gives the control the keyboard again, as after a click into it.
    void ActivateUI();
    // Whether the control holds a document that finished loading and has a
    // body: a page it could actually show.
    bool HasLoadedDocument() const;
    // The address of the document shown; empty without a control.
    qstd::QString GetLocationURL() const;
    bool HasControl() const { return browser != nullptr; }

    // IUnknown, shared by every interface of the site.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                                     IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    // Also the frame's EnableModeless: neither is supported.
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(const RECT* border, IOleInPlaceUIWindow* window, BOOL frame) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg, const GUID* group, DWORD id) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* proposed, IDropTarget** target) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* data, IDataObject** filtered) override;

    // The site's own TranslateAccelerator overloads stay visible beside the one above.
    using QAXControl::TranslateAccelerator;

protected:
    HWND GetSiteWindow() const override { return handle; }

private:
    bool CreateControl();
    void DoVerb(LONG verb);
    void ConnectSink();
    void DisconnectSink();
    // Deactivates and closes the control and lets go of every interface.
    void ReleaseControl();

    IUnknown* control = nullptr;
    IWebBrowser2* browser = nullptr;
    RECT position = {};
    IDispatch* eventSink = nullptr;
    DWORD sinkCookie = 0;
};

}  // namespace com
}  // namespace kiln
