#include <gtest/gtest.h>

#include <vector>

#include "gui_harness.h"
#include "window/qapp.h"
#include "window/qedit.h"
#include "window/qmainframe.h"
#include "window_test_resources.h"

namespace {

using kiln::qapp::QApp;
using kiln::qwin::QEdit;
using kiln::qwin::QMainFrame;

const UINT kPressCtrlK = WM_APP + 10;

void SetControlKey(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

class KeyRecordingEdit : public QEdit {
public:
    bool OnKeyDown(UINT key, UINT, LPARAM) override {
        keys.push_back(key);
        return false;
    }
    std::vector<UINT> keys;
};

class CommandFrame : public QMainFrame {
public:
    bool OnCommand(int id, int code, HWND) override {
        if (code != 1) return true;  // not from an accelerator (the edit's notifications)
        commands.push_back(id);
        if (id == ID_COMMAND_F7) PostMessageW(GetHandle(), kPressCtrlK, 0, 0);
        if (id == ID_COMMAND_CTRL_K) {
            SetControlKey(false);
            DestroyWindow(GetHandle());
        }
        return true;
    }
    bool OnUserMessage(UINT msg, WPARAM, LPARAM, LRESULT*) override {
        if (msg != kPressCtrlK) return false;
        // Accelerators read the modifier state at translation time.
        SetControlKey(true);
        PostMessageW(edit->GetHandle(), WM_KEYDOWN, 'K', 1);
        return true;
    }
    std::vector<int> commands;
    KeyRecordingEdit* edit = nullptr;
};

// The application object of the program forwards messages to its frame.
class FrameApp : public QApp {
public:
    FrameApp() : QApp(GetModuleHandleW(nullptr)) {}
    bool InitInstance() override {
        frame.edit = &edit;
        if (!frame.LoadAccelerators(IDR_ACCELERATORS)) return false;
        frame.Create(nullptr, 0, 0);
        edit.Create(frame.GetHandle(), RECT{0, 0, 100, 20}, 7, 0);
        edit.Subclass();
        SetFocus(edit.GetHandle());
        PostMessageW(edit.GetHandle(), WM_KEYDOWN, VK_F7, 1);
        PostMessageW(edit.GetHandle(), WM_KEYDOWN, 'Q', 1);
        return true;
    }
    bool PreTranslateMessage(MSG* msg) override { return frame.PreTranslateMessage(msg); }

    CommandFrame frame;
    KeyRecordingEdit edit;
};

TEST(MainFrame, AcceleratorsReachTheFrameFromAFocusedChild) {
    FrameApp app;
    guitest::ModalWatchdog watchdog;
    EXPECT_EQ(app.Run(), 0);
    ASSERT_FALSE(watchdog.Fired()) << "the loop did not end";
    EXPECT_EQ(app.frame.commands, (std::vector<int>{ID_COMMAND_F7, ID_COMMAND_CTRL_K}));
    // Translated keys are consumed; other keys reach the focused child.
    EXPECT_EQ(app.edit.keys, (std::vector<UINT>{'Q'}));
}

TEST(MainFrame, WithoutAcceleratorsKeysAreNotConsumed) {
    QMainFrame frame;
    EXPECT_FALSE(frame.LoadAccelerators(9999));
    MSG msg = {};
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_F7;
    EXPECT_FALSE(frame.PreTranslateMessage(&msg));
}

TEST(MainFrame, TheViewFillsTheClientAreaAndTakesTheFocus) {
    QMainFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, 0, WS_VISIBLE));
    QEdit view;
    ASSERT_TRUE(view.Create(frame.GetHandle(), RECT{0, 0, 10, 10}, 1, 0));
    frame.SetView(&view);

    SetWindowPos(frame.GetHandle(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT client, placed;
    GetClientRect(frame.GetHandle(), &client);
    GetClientRect(view.GetHandle(), &placed);
    GetWindowRect(view.GetHandle(), &placed);
    MapWindowPoints(nullptr, frame.GetHandle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(EqualRect(&client, &placed));

    SendMessageW(frame.GetHandle(), WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(400, 300));
    EXPECT_TRUE(frame.IsMaximizedLayout());
    SendMessageW(frame.GetHandle(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
    EXPECT_FALSE(frame.IsMaximizedLayout());

    // Away from the frame first: it took the focus when it was shown.
    SetFocus(nullptr);
    SetFocus(frame.GetHandle());
    EXPECT_EQ(GetFocus(), view.GetHandle());

    DestroyWindow(frame.GetHandle());
    EXPECT_TRUE(guitest::DrainQuit()) << "destroying the frame ends the message loop";
}

}  // namespace
