#pragma once

#include <windows.h>

#include "app/welcome/welcome_event_sink.h"
#include "app/welcome/welcome_fallback.h"
#include "core/qstring.h"
#include "window/qwebbrowser.h"
#include "window/qwindow.h"

// The welcome pane: the welcome page from the program's own resources in a
// web browser control, whose New and Open links become commands of the owner.
//
// Where the control cannot show the page (it cannot be created, or it never
// completes a document, as on systems without an HTML engine) the pane shows
// the same content drawn natively. The native page is what shows until the
// control reports the welcome document complete with a body; only then does
// the browser take its place. So there is never an empty pane to look at,
// and no deadline to guess.
class WelcomeBrowser : public kiln::qwin::QWindow {
public:
    WelcomeBrowser();
    ~WelcomeBrowser() override;

    // The owner is the parent and receives the commands.
    bool Create(QWindow* owner, int id, DWORD style) override;
    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnSetFocus(HWND losingFocus) override;

    // Navigates to res://<program file name>/doc.html; the native page shows
    // until the control has shown a page.
    void ShowWelcomePage();
    bool IsShowingNativePage() const;
    // The native page follows the display scale; the control scales itself.
    void ApplyDisplayScale() { fallback.ApplyDisplayScale(); }

    // For the event sink: a command of the page, and a document the control
    // finished loading.
    void SendCommand(int id);
    void OnDocumentComplete();

    WelcomeEventSink& GetEventSink() { return sink; }
    const WelcomeFallback& GetNativePage() const { return fallback; }
    kiln::com::QWebBrowser& GetBrowser() { return browser; }

private:
    void ShowNativePage(bool show);

    HWND owner = nullptr;
    // Declared before the browser, which disconnects it when destroyed.
    WelcomeEventSink sink;
    kiln::com::QWebBrowser browser;
    WelcomeFallback fallback;
    // The address ShowWelcomePage navigated to last.
    kiln::qstd::QString welcomeAddress;
    // The control has shown the welcome page once: it can render pages.
    bool browserShowsPages = false;
    bool nativePageShown = false;
};
