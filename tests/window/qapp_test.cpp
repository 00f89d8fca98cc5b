#include <gtest/gtest.h>

#include <string>

#include "core/qerror.h"
#include "gui_harness.h"
#include "window/qapp.h"

namespace {

using kiln::qapp::QApp;
using kiln::qstd::QError;

const UINT kSwallowed = WM_APP + 1;
const UINT kDelivered = WM_APP + 2;

class ScriptedApp : public QApp {
public:
    ScriptedApp() : QApp(GetModuleHandleW(nullptr)) {}
    bool InitInstance() override {
        if (failInit) throw QError(L"Cannot start.");
        if (!startLoop) return false;
        PostThreadMessageW(GetCurrentThreadId(), kSwallowed, 0, 0);
        PostThreadMessageW(GetCurrentThreadId(), kDelivered, 0, 0);
        return true;
    }
    void ExitInstance() override { exited = true; }
    bool PreTranslateMessage(MSG* msg) override {
        seen += msg->message == kSwallowed ? L"s" : msg->message == kDelivered ? L"d" : L"";
        if (msg->message == kDelivered) PostQuitMessage(0);
        return msg->message == kSwallowed;
    }
    bool startLoop = true;
    bool failInit = false;
    bool exited = false;
    std::wstring seen;
};

TEST(App, RunLoopsUntilQuitThenExits) {
    ScriptedApp app;
    guitest::ModalWatchdog watchdog;
    EXPECT_EQ(app.Run(), 0);
    ASSERT_FALSE(watchdog.Fired());
    EXPECT_EQ(app.seen, L"sd");
    EXPECT_TRUE(app.exited);
}

TEST(App, AFailedInitialisationEndsWithMinusOne) {
    ScriptedApp app;
    app.startLoop = false;
    EXPECT_EQ(app.Run(), -1);
    EXPECT_FALSE(app.exited);
    EXPECT_TRUE(guitest::DrainQuit());
}

TEST(App, AnEscapingErrorIsShownAndRunEndsWithZero) {
    ScriptedApp app;
    app.failInit = true;
    std::wstring shown;
    const guitest::ModalOutcome outcome = guitest::DriveModal([&] { return app.Run(); }, L"Error", [&](HWND box) {
        shown = guitest::DescendantTexts(box);
        guitest::ClickButton(box, L"OK");
    });
    ASSERT_TRUE(outcome.windowFound && outcome.inTime);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_NE(shown.find(L"Cannot start."), std::wstring::npos);
    EXPECT_FALSE(app.exited);
}

}  // namespace
