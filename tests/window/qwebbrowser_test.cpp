#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "gui_harness.h"
#include "window/qwebbrowser.h"
#include "window/qwindow.h"

// The system's web browser control in its host window. Wine's control here
// has no HTML engine: it navigates and reports its events, but shows nothing.

namespace {

using kiln::com::QWebBrowser;
using kiln::qwin::QWindow;

class Host : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestBrowserHost"; }
};

// Remembers the addresses the browser is about to go to, and cancels those
// that begin with "stop:".
class RecordingSink : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id != DISPID_BEFORENAVIGATE2 || !params || params->cArgs != 7) return S_OK;
        const VARIANT& address = params->rgvarg[5];
        const VARIANT* value = address.vt == (VT_BYREF | VT_VARIANT) ? address.pvarVal : &address;
        const std::wstring url = value->vt == VT_BSTR && value->bstrVal ? value->bstrVal : L"";
        addresses.push_back(url);
        if (url.compare(0, 5, L"stop:") == 0 && params->rgvarg[0].vt == (VT_BYREF | VT_BOOL)) {
            *params->rgvarg[0].pboolVal = VARIANT_TRUE;
        }
        return S_OK;
    }

    ULONG references = 0;
    std::vector<std::wstring> addresses;
};

class WebBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        oleReady = SUCCEEDED(OleInitialize(nullptr));
        ASSERT_TRUE(host.Create(nullptr, 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        SetWindowPos(host.GetHandle(), nullptr, 0, 0, 640, 480, SWP_NOZORDER);
    }
    void TearDown() override {
        DestroyWindow(host.GetHandle());
        if (oleReady) OleUninitialize();
    }

    bool oleReady = false;
    Host host;
    RecordingSink sink;
};

TEST_F(WebBrowserTest, TheControlFillsItsWindowAndFollowsItsSize) {
    QWebBrowser browser;
    ASSERT_TRUE(browser.Create(&host, 9, WS_VISIBLE));
    ASSERT_TRUE(browser.HasControl());
    const HWND window = browser.GetHandle();
    EXPECT_EQ(GetParent(window), host.GetHandle());
    EXPECT_EQ(GetDlgCtrlID(window), 9);

    const HWND control = GetWindow(window, GW_CHILD);
    ASSERT_NE(control, nullptr);
    SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOZORDER);
    RECT area;
    GetWindowRect(control, &area);
    EXPECT_EQ(area.right - area.left, 300);
    EXPECT_EQ(area.bottom - area.top, 200);
}

TEST_F(WebBrowserTest, TheSinkHearsNavigationsAndCanCancelThem) {
    QWebBrowser browser;
    browser.SetEventSink(&sink);
    ASSERT_TRUE(browser.Create(&host, 9, WS_VISIBLE));
    EXPECT_GT(sink.references, 0u);

    EXPECT_TRUE(browser.Navigate(L"stop:here"));
    guitest::PumpUntil([this] { return !sink.addresses.empty() && sink.addresses.back() == L"stop:here"; }, 2000);
    ASSERT_FALSE(sink.addresses.empty());
    EXPECT_EQ(sink.addresses.back(), L"stop:here");
    EXPECT_NE(std::wstring(browser.GetLocationURL().c_str()), L"stop:here");
    EXPECT_FALSE(browser.HasLoadedDocument());
}

// Closing the window disconnects the sink and closes the control, which
// lets go of every reference it held to the site.
TEST_F(WebBrowserTest, DestroyingTheWindowReleasesTheSinkAndTheSite) {
    QWebBrowser browser;
    browser.SetEventSink(&sink);
    ASSERT_TRUE(browser.Create(&host, 9, WS_VISIBLE));
    ASSERT_GT(sink.references, 0u);
    ASSERT_GT(browser.AddRef(), 1u);
    browser.Release();

    DestroyWindow(browser.GetHandle());
    EXPECT_EQ(sink.references, 0u);
    EXPECT_FALSE(browser.HasControl());
    EXPECT_EQ(browser.AddRef(), 1u);
    browser.Release();
}

}  // namespace
