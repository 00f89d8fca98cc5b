#include <gtest/gtest.h>
#include <windows.h>
#include <exdispid.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "app/welcome/welcome_browser.h"
#include "gui_harness.h"
#include "resources/command_ids.h"
#include "window/qwindow.h"

namespace {

// The main window: remembers the commands it receives.
class OwnerStandIn : public kiln::qwin::QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenWelcomeTestOwner"; }
    bool OnCommand(int id, int, HWND) override {
        commands.push_back(id);
        return true;
    }

    std::vector<int> commands;
};

class WelcomeBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        oleReady = SUCCEEDED(OleInitialize(nullptr));
        ASSERT_TRUE(owner.Create(nullptr, 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        ASSERT_NE(owner.GetHandle(), nullptr);
        SetWindowPos(owner.GetHandle(), nullptr, 0, 0, 1000, 700, SWP_NOZORDER);
        ASSERT_TRUE(welcome.Create(&owner, 1234, WS_VISIBLE));
        ASSERT_NE(welcome.GetHandle(), nullptr);
        SetWindowPos(welcome.GetHandle(), nullptr, 0, 0, 900, 600, SWP_NOZORDER);
    }

    void TearDown() override {
        DestroyWindow(owner.GetHandle());
        if (oleReady) OleUninitialize();
    }

    // The commands that reach the owner once everything posted is delivered.
    std::vector<int> Commands() {
        guitest::PumpPending();
        return owner.commands;
    }

    HWND NativePage() const { return welcome.GetNativePage().GetHandle(); }

    void Click(HWND window, POINT down, POINT up) {
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
        SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    }

    POINT ActionCentre(int index) const {
        const RECT rect = welcome.GetNativePage().GetActionRect(index);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    bool oleReady = false;
    OwnerStandIn owner;
    WelcomeBrowser welcome;
};

// Without an HTML engine (Wine here) the control never completes the page:
// the native page is what the user sees, never an empty pane.
TEST_F(WelcomeBrowserTest, TheNativePageShowsWhereTheBrowserCannotRenderTheWelcomePage) {
    welcome.ShowWelcomePage();
    guitest::PumpUntil([] { return false; }, 300);

    EXPECT_TRUE(welcome.IsShowingNativePage());
    ASSERT_NE(NativePage(), nullptr);
    EXPECT_TRUE(IsWindowVisible(NativePage()));
    EXPECT_EQ(GetParent(NativePage()), welcome.GetHandle());
    if (welcome.GetBrowser().GetHandle()) {
        EXPECT_FALSE(IsWindowVisible(welcome.GetBrowser().GetHandle()));
    }
    EXPECT_TRUE(welcome.GetNativePage().HasLogo());

    RECT page;
    GetClientRect(NativePage(), &page);
    EXPECT_EQ(page.right, 900);
    EXPECT_EQ(page.bottom, 600);
}

TEST_F(WelcomeBrowserTest, ADocumentCompleteWithoutAPageKeepsTheNativePage) {
    welcome.ShowWelcomePage();
    DISPPARAMS none = {};
    EXPECT_EQ(welcome.GetEventSink().Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                                            nullptr, nullptr),
              S_OK);
    EXPECT_TRUE(welcome.IsShowingNativePage());
    EXPECT_TRUE(IsWindowVisible(NativePage()));
}

TEST_F(WelcomeBrowserTest, TheNativeActionsSendNewAndOpenToTheOwner) {
    welcome.ShowWelcomePage();
    const HWND page = NativePage();
    ASSERT_NE(page, nullptr);
    for (int i = 0; i < WelcomeFallback::kActionCount; ++i) {
        const RECT rect = welcome.GetNativePage().GetActionRect(i);
        EXPECT_GT(rect.right - rect.left, 0);
        EXPECT_GT(rect.bottom - rect.top, 0);
    }

    Click(page, ActionCentre(0), ActionCentre(0));
    EXPECT_EQ(Commands(), (std::vector<int>{IDM_NEW_DATABASE}));
    Click(page, ActionCentre(1), ActionCentre(1));
    EXPECT_EQ(Commands(), (std::vector<int>{IDM_NEW_DATABASE, IDM_OPEN_DATABASE}));

    // Pressed on one action and released on the other, or beside both: nothing.
    Click(page, ActionCentre(0), ActionCentre(1));
    Click(page, {2, 2}, {2, 2});
    EXPECT_EQ(Commands().size(), 2u);
}

TEST_F(WelcomeBrowserTest, TheNativeActionsRunFromTheKeyboard) {
    welcome.ShowWelcomePage();
    const HWND page = NativePage();
    SendMessageW(page, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(page, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(page, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(page, WM_KEYDOWN, VK_TAB, 0);
    SendMessageW(page, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Commands(), (std::vector<int>{IDM_NEW_DATABASE, IDM_OPEN_DATABASE, IDM_NEW_DATABASE}));
}

// The arguments of a browser event as the control passes them: last first,
// the address as a variant by reference, the cancel flag as a bool by reference.
class EventArguments {
public:
    EventArguments(int count, int addressAt, int cancelAt, const wchar_t* address)
        : arguments(count), address(SysAllocString(address)) {
        for (VARIANT& argument : arguments) VariantInit(&argument);
        VariantInit(&addressValue);
        addressValue.vt = VT_BSTR;
        addressValue.bstrVal = this->address;
        At(addressAt).vt = VT_BYREF | VT_VARIANT;
        At(addressAt).pvarVal = &addressValue;
        At(cancelAt).vt = VT_BYREF | VT_BOOL;
        At(cancelAt).pboolVal = &cancel;
        params.rgvarg = arguments.data();
        params.cArgs = static_cast<UINT>(count);
    }
    EventArguments(const EventArguments&) = delete;
    EventArguments& operator=(const EventArguments&) = delete;
    ~EventArguments() { SysFreeString(address); }

    DISPPARAMS* Params() { return &params; }
    bool Cancelled() const { return cancel == VARIANT_TRUE; }

private:
    VARIANT& At(int index) { return arguments[arguments.size() - 1 - index]; }

    std::vector<VARIANT> arguments;
    BSTR address;
    VARIANT addressValue;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    DISPPARAMS params = {};
};

TEST_F(WelcomeBrowserTest, AppLinksBecomeCommandsAndNeverNavigate) {
    const struct {
        const wchar_t* address;
        bool cancelled;
        std::vector<int> commands;
    } cases[] = {
        {L"app:NewDatabase", true, {IDM_NEW_DATABASE}},
        {L"app:OpenDatabase", true, {IDM_OPEN_DATABASE}},
        {L"app:NewDatabase2", true, {IDM_NEW_DATABASE}},
        {L"app:OpenDatabaseNow", true, {IDM_OPEN_DATABASE}},
        {L"app:Recent", true, {}},
        {L"app:", true, {}},
        {L"app:newdatabase", true, {}},
        {L"App:NewDatabase", false, {}},
        {L"http://example.com/app:NewDatabase", false, {}},
        {L"https://vorlen.example/update", false, {}},
        {L"", false, {}},
    };
    for (const auto& c : cases) {
        owner.commands.clear();
        EventArguments arguments(7, 1, 6, c.address);
        EXPECT_EQ(welcome.GetEventSink().Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD,
                                                arguments.Params(), nullptr, nullptr, nullptr),
                  S_OK);
        EXPECT_EQ(arguments.Cancelled(), c.cancelled) << std::wstring(c.address);
        EXPECT_EQ(Commands(), c.commands) << std::wstring(c.address);
    }
}

TEST_F(WelcomeBrowserTest, TheBrowserNeverOpensANewWindow) {
    EventArguments newWindow2(2, 0, 1, L"");
    welcome.GetEventSink().Invoke(DISPID_NEWWINDOW2, IID_NULL, 0, DISPATCH_METHOD, newWindow2.Params(), nullptr,
                                  nullptr, nullptr);
    EXPECT_TRUE(newWindow2.Cancelled());

    EventArguments newWindow3(5, 4, 1, L"https://vorlen.example/");
    welcome.GetEventSink().Invoke(DISPID_NEWWINDOW3, IID_NULL, 0, DISPATCH_METHOD, newWindow3.Params(), nullptr,
                                  nullptr, nullptr);
    EXPECT_TRUE(newWindow3.Cancelled());
    EXPECT_TRUE(Commands().empty());
}

// The control itself reports the navigation to the sink, which the welcome
// browser connected when it created the control.
TEST_F(WelcomeBrowserTest, ALinkFollowedInTheControlRunsItsCommandAndTheControlStays) {
    ASSERT_TRUE(welcome.GetBrowser().HasControl());
    welcome.ShowWelcomePage();
    const auto location = [this] { return std::wstring(welcome.GetBrowser().GetLocationURL().c_str()); };
    const std::wstring page = L"res://app_tests.exe/doc.html";
    ASSERT_TRUE(guitest::PumpUntil([&] { return location() == page; }, 2000));

    ASSERT_TRUE(welcome.GetBrowser().Navigate(L"app:OpenDatabase"));
    EXPECT_TRUE(guitest::PumpUntil([this] { return !owner.commands.empty(); }, 2000));
    EXPECT_EQ(Commands(), (std::vector<int>{IDM_OPEN_DATABASE}));
    EXPECT_EQ(location(), page);
    EXPECT_TRUE(welcome.IsShowingNativePage());
}

// The page, its style sheet and the logo travel in the program, where the
// browser finds them under res://<program>/.
std::string Resource(const wchar_t* name) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, name, RT_HTML);
    if (!resource) return std::string();
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(bytes, SizeofResource(module, resource));
}

TEST(WelcomePageResourcesTest, ThePageItsStyleSheetAndItsLogoAreInTheProgram) {
    const std::string page = Resource(L"DOC.HTML");
    EXPECT_NE(page.find("<title>Vorlen</title>"), std::string::npos);
    EXPECT_NE(page.find("href=\"app:NewDatabase\">New Database</a>"), std::string::npos);
    EXPECT_NE(page.find("href=\"app:OpenDatabase\">Open Database</a>"), std::string::npos);
    EXPECT_NE(page.find("href=\"style.css\""), std::string::npos);
    EXPECT_NE(page.find("src=\"Vorlen.png\""), std::string::npos);

    EXPECT_NE(Resource(L"STYLE.CSS").find("#1A4EC2"), std::string::npos);

    const std::string logo = Resource(L"VORLEN.PNG");
    ASSERT_GT(logo.size(), 24u);
    EXPECT_EQ(logo.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    // The header's width and height, big-endian.
    EXPECT_EQ(logo.substr(16, 8), std::string("\0\0\x02\0\0\0\x02\0", 8));
}

}  // namespace
