#include "app/welcome/welcome_browser.h"

#include <cwchar>

using kiln::qstd::QString;

namespace {

// What follows the last backslash of the program's path.
QString ProgramFileName() {
    wchar_t module[512] = {};
    GetModuleFileNameW(nullptr, module, 512);
    const wchar_t* name = std::wcsrchr(module, L'\\');
    return QString(name ? name + 1 : module);
}

bool StartsWithNoCase(const QString& text, const QString& prefix) {
    return text.GetLength() >= prefix.GetLength() &&
           QString(text.c_str(), prefix.GetLength()).CompareNoCase(prefix) == 0;
}

}  // namespace

WelcomeBrowser::WelcomeBrowser() : sink(*this) {}

WelcomeBrowser::~WelcomeBrowser() {
    // The children are members: the window goes while they still exist.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
}

const wchar_t* WelcomeBrowser::GetClassName() const {
    return L"QP";
}

bool WelcomeBrowser::PreRegisterClass(WNDCLASSW& windowClass) {
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    return true;
}

bool WelcomeBrowser::PreCreateWindow(CREATESTRUCTW& create) {
    QWindow::PreCreateWindow(create);
    create.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return true;
}

bool WelcomeBrowser::Create(QWindow* ownerWindow, int id, DWORD style) {
    owner = ownerWindow ? ownerWindow->GetHandle() : nullptr;
    if (!QWindow::Create(ownerWindow, id, style) || !handle) return false;
    browser.SetEventSink(&sink);
    // Without the control the native page stands in for good.
    browser.Create(this, id, style);
    fallback.SetCommandTarget(owner);
    fallback.Create(this, 0, 0);
    RECT client;
    GetClientRect(handle, &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
    ShowNativePage(true);
    SetFocus(handle);
    return true;
}

bool WelcomeBrowser::OnSize(UINT, int cx, int cy) {
    if (browser.GetHandle()) MoveWindow(browser.GetHandle(), 0, 0, cx, cy, TRUE);
    if (fallback.GetHandle()) MoveWindow(fallback.GetHandle(), 0, 0, cx, cy, TRUE);
    return true;
}

bool WelcomeBrowser::OnSetFocus(HWND) {
    if (IsShowingNativePage()) {
        SetFocus(fallback.GetHandle());
    } else {
        SetFocus(browser.GetHandle());
        browser.ActivateUI();
    }
    return true;
}

void WelcomeBrowser::ShowWelcomePage() {
    welcomeAddress = QString(L"res://") + ProgramFileName() + L"/doc.html";
    // Until the control proves it can render, the native page shows; once
    // it has, a fresh navigation is not worth a flash of the native page.
    if (!browserShowsPages) ShowNativePage(true);
    browser.Navigate(welcomeAddress);
    if (handle) InvalidateRect(handle, nullptr, TRUE);
}

bool WelcomeBrowser::IsShowingNativePage() const {
    return nativePageShown;
}

void WelcomeBrowser::SendCommand(int id) {
    // Posted: the command may open dialogs or hide this pane, which must not
    // happen inside the control's own navigation.
    if (owner) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void WelcomeBrowser::OnDocumentComplete() {
    if (!IsShowingNativePage() || welcomeAddress.IsEmpty() || !browser.HasLoadedDocument()) return;
    // The first document is about:blank, and a missing page completes as
    // the control's own error page; neither is the welcome page.
    if (!StartsWithNoCase(browser.GetLocationURL(), QString(L"res://") + ProgramFileName() + L"/")) return;
    browserShowsPages = true;
    ShowNativePage(false);
}

void WelcomeBrowser::ShowNativePage(bool show) {
    nativePageShown = show;
    if (browser.GetHandle()) ShowWindow(browser.GetHandle(), show ? SW_HIDE : SW_SHOW);
    if (fallback.GetHandle()) ShowWindow(fallback.GetHandle(), show ? SW_SHOW : SW_HIDE);
}
