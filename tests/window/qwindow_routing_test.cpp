#include <gtest/gtest.h>

#include <windowsx.h>

#include <stdexcept>
#include <string>

#include "core/qerror.h"
#include "gui_harness.h"
#include "window/qgraphics.h"
#include "window/qwindow.h"

namespace {

using kiln::qstd::QError;
using kiln::qwin::QGraphics;
using kiln::qwin::QWindow;

std::wstring Describe(const wchar_t* name, long a = 0, long b = 0, long c = 0) {
    wchar_t text[128];
    swprintf(text, 128, L"%ls %ld %ld %ld", name, a, b, c);
    return text;
}

// Records the decoded arguments of the last handler that ran and handles
// every message it records.
class RecordingWindow : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestRecording"; }

    bool OnCommand(int id, int code, HWND control) override {
        return Record(Describe(L"Command", id, code, control == sentinel));
    }
    bool OnSysCommand(UINT command, LPARAM) override { return Record(Describe(L"SysCommand", command)); }
    bool OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        *result = 99;
        return Record(Describe(L"User", msg - WM_USER, static_cast<long>(wParam), static_cast<long>(lParam)));
    }
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override {
        *result = 5;
        return Record(Describe(L"Notify", controlId, static_cast<long>(header->code)));
    }
    bool OnSize(UINT type, int cx, int cy) override { return Record(Describe(L"Size", type, cx, cy)); }
    bool OnMove(int x, int y) override { return Record(Describe(L"Move", x, y)); }
    bool OnLButtonDown(UINT keys, POINT* point) override {
        return Record(Describe(L"LButtonDown", keys, point->x, point->y));
    }
    bool OnRButtonDblClk(UINT keys, POINT* point) override {
        return Record(Describe(L"RButtonDblClk", keys, point->x, point->y));
    }
    bool OnXButton1Up(UINT keys, POINT* point) override {
        return Record(Describe(L"XButton1Up", keys, point->x, point->y));
    }
    bool OnXButton2Down(UINT keys, POINT* point) override {
        return Record(Describe(L"XButton2Down", keys, point->x, point->y));
    }
    bool OnNcXButton2DblClk(UINT hitCode, POINT* point) override {
        return Record(Describe(L"NcXButton2DblClk", hitCode, point->x, point->y));
    }
    bool OnNcLButtonDown(UINT hitCode, POINT* point) override {
        return Record(Describe(L"NcLButtonDown", hitCode, point->x, point->y));
    }
    bool OnMouseWheel(UINT keys, int delta, POINT* point) override {
        return Record(Describe(L"MouseWheel", keys, delta, point->x));
    }
    bool OnKeyDown(UINT key, UINT repeat, LPARAM) override { return Record(Describe(L"KeyDown", key, repeat)); }
    bool OnChar(UINT code, UINT repeat, LPARAM) override { return Record(Describe(L"Char", code, repeat)); }
    bool OnHotKey(int id, UINT modifiers, UINT key) override {
        return Record(Describe(L"HotKey", id, modifiers, key));
    }
    bool OnVScroll(UINT code, int position) override { return Record(Describe(L"VScroll", code, position)); }
    bool OnActivate(HWND, UINT state, bool minimised) override {
        return Record(Describe(L"Activate", state, minimised));
    }
    bool OnContextMenu(HWND window, POINT* point) override {
        return Record(Describe(L"ContextMenu", window == sentinel, point->x, point->y));
    }
    bool OnTimer(UINT_PTR id) override { return Record(Describe(L"Timer", static_cast<long>(id))); }
    bool OnParentNotify(UINT event, UINT childId, LPARAM) override {
        return Record(Describe(L"ParentNotify", event, childId));
    }
    bool OnNcHitTest(POINT* point, LRESULT* result) override {
        *result = HTCAPTION;
        return Record(Describe(L"NcHitTest", point->x, point->y));
    }

    std::wstring last;
    HWND sentinel = reinterpret_cast<HWND>(0x1234);

private:
    bool Record(const std::wstring& call) {
        last = call;
        return true;
    }
};

class RoutingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create(nullptr, 0, 0));
        ASSERT_NE(window.GetHandle(), nullptr);
    }
    RecordingWindow window;
};

struct RoutedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring expected;
    LRESULT result;
};

TEST_F(RoutingTest, HandlersReceiveDecodedArguments) {
    const LPARAM sentinel = reinterpret_cast<LPARAM>(window.sentinel);
    NMHDR header = {nullptr, 17, 1234u};
    const RoutedMessage cases[] = {
        {WM_COMMAND, MAKEWPARAM(42, EN_CHANGE), sentinel, Describe(L"Command", 42, EN_CHANGE, 1), 0},
        {WM_SYSCOMMAND, SC_MAXIMIZE | 2, 0, Describe(L"SysCommand", SC_MAXIMIZE), 0},
        {WM_USER + 5, 6, 7, Describe(L"User", 5, 6, 7), 99},
        {WM_APP + 1, 0, 0, Describe(L"User", WM_APP + 1 - WM_USER), 99},
        {WM_NOTIFY, 17, reinterpret_cast<LPARAM>(&header), Describe(L"Notify", 17, 1234), 5},
        {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480), Describe(L"Size", SIZE_MAXIMIZED, 640, 480), 0},
        {WM_MOVE, 0, MAKELPARAM(-20, 30), Describe(L"Move", -20, 30), 0},
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7),
         Describe(L"LButtonDown", MK_LBUTTON | MK_SHIFT, -5, 7), 0},
        {WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(3, 4), Describe(L"RButtonDblClk", MK_RBUTTON, 3, 4), 0},
        {WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON1), MAKELPARAM(1, 2), Describe(L"XButton1Up", 0, 1, 2), 0},
        {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), MAKELPARAM(8, 9),
         Describe(L"XButton2Down", MK_XBUTTON2, 8, 9), 0},
        {WM_NCXBUTTONDBLCLK, MAKEWPARAM(HTCAPTION, XBUTTON2), MAKELPARAM(100, -1),
         Describe(L"NcXButton2DblClk", HTCAPTION, 100, -1), 0},
        {WM_NCLBUTTONDOWN, HTLEFT, MAKELPARAM(11, 12), Describe(L"NcLButtonDown", HTLEFT, 11, 12), 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), MAKELPARAM(50, 60),
         Describe(L"MouseWheel", MK_CONTROL, -WHEEL_DELTA, 50), 0},
        {WM_KEYDOWN, VK_F3, 3, Describe(L"KeyDown", VK_F3, 3), 0},
        {WM_CHAR, L'x', 1, Describe(L"Char", L'x', 1), 0},
        {WM_HOTKEY, 7, MAKELPARAM(MOD_WIN, VK_ESCAPE), Describe(L"HotKey", 7, MOD_WIN, VK_ESCAPE), 0},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0, Describe(L"VScroll", SB_THUMBTRACK, 300), 0},
        {WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 1), 0, Describe(L"Activate", WA_CLICKACTIVE, 1), 0},
        {WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.sentinel), MAKELPARAM(-1, -1),
         Describe(L"ContextMenu", 1, -1, -1), 0},
        {WM_TIMER, 33, 0, Describe(L"Timer", 33), 0},
        {WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 77), 0, Describe(L"ParentNotify", WM_CREATE, 77), 0},
        {WM_NCHITTEST, 0, MAKELPARAM(400, 300), Describe(L"NcHitTest", 400, 300), HTCAPTION},
    };
    for (const RoutedMessage& routed : cases) {
        window.last.clear();
        const LRESULT result = SendMessageW(window.GetHandle(), routed.msg, routed.wParam, routed.lParam);
        EXPECT_EQ(window.last, routed.expected) << "message 0x" << std::hex << routed.msg;
        EXPECT_EQ(result, routed.result) << "message 0x" << std::hex << routed.msg;
    }
}

TEST_F(RoutingTest, QueryEndSessionIsAlwaysAllowed) {
    EXPECT_EQ(SendMessageW(window.GetHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
    EXPECT_TRUE(window.last.empty());
}

// A window that handles nothing: every answer must be the default procedure's.
class PlainWindow : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestPlain"; }
};

TEST(RoutingDefaults, UnhandledMessagesGetTheDefaultAnswer) {
    PlainWindow window;
    ASSERT_TRUE(window.Create(nullptr, 0, WS_VISIBLE));
    HWND handle = window.GetHandle();
    RECT rect;
    GetWindowRect(handle, &rect);
    const LPARAM inside = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    EXPECT_EQ(SendMessageW(handle, WM_NCHITTEST, 0, inside), DefWindowProcW(handle, WM_NCHITTEST, 0, inside));
    EXPECT_EQ(SendMessageW(handle, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(SendMessageW(handle, WM_USER + 1, 0, 0), 0);
}

class ClosingWindow : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestClosing"; }
    bool OnClose() override {
        ++closeRequests;
        return allowClose;
    }
    bool OnNcDestroy() override {
        handleDuringNcDestroy = GetHandle();
        return false;
    }
    bool allowClose = false;
    int closeRequests = 0;
    HWND handleDuringNcDestroy = nullptr;
};

TEST(RoutingClose, OnCloseDecidesWhetherTheWindowIsDestroyed) {
    ClosingWindow window;
    ASSERT_TRUE(window.Create(nullptr, 0, 0));
    HWND handle = window.GetHandle();

    SendMessageW(handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(window.GetHandle(), handle);

    window.allowClose = true;
    EXPECT_TRUE(window.Close());
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(window.closeRequests, 2);
    // The object outlives its window and no longer refers to it.
    EXPECT_EQ(window.handleDuringNcDestroy, handle);
    EXPECT_EQ(window.GetHandle(), nullptr);
}

TEST(RoutingClose, DeletingTheObjectDestroysItsWindow) {
    HWND handle;
    {
        PlainWindow window;
        ASSERT_TRUE(window.Create(nullptr, 0, 0));
        handle = window.GetHandle();
        ASSERT_TRUE(IsWindow(handle));
    }
    EXPECT_FALSE(IsWindow(handle));
}

// Handlers that use the device context a message carries.
class PaintingWindow : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestPainting"; }
    bool OnEraseBackground(QGraphics& graphics) override {
        graphics.FillSolidRect(RECT{0, 0, 4, 4}, RGB(10, 20, 30));
        return true;
    }
    bool OnCtlColorStatic(QGraphics& graphics, int controlId, LRESULT* result) override {
        staticId = controlId;
        SetTextColor(graphics, RGB(1, 2, 3));
        *result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        return true;
    }
    int staticId = 0;
};

TEST(RoutingGraphics, MessageDeviceContextsAreLeftToTheirOwner) {
    PaintingWindow window;
    ASSERT_TRUE(window.Create(nullptr, 0, 0));
    HWND label = CreateWindowExW(0, L"STATIC", L"x", WS_CHILD, 0, 0, 10, 10, window.GetHandle(),
                                 reinterpret_cast<HMENU>(55), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(label, nullptr);

    guitest::Canvas canvas(8, 8);
    HDC dc = canvas.GetDC();

    EXPECT_EQ(SendMessageW(window.GetHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(10, 20, 30));

    const LRESULT brush = SendMessageW(window.GetHandle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(window.staticId, 55);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
}

// A handler that fails: the failure is shown and never leaves the window procedure.
class ThrowingWindow : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestThrowing"; }
    bool OnUserMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        *result = 77;
        if (msg == WM_USER + 1) throw QError(L"The handler broke.");
        SetLastError(ERROR_FILE_NOT_FOUND);
        throw std::runtime_error("not a QError");
    }
};

std::wstring SystemText(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = text ? text : L"";
    LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r')) result.pop_back();
    return result;
}

TEST(RoutingErrors, AnExceptionInAHandlerIsShownAndStopsThere) {
    struct Case {
        UINT msg;
        std::wstring expectedText;
    };
    const Case cases[] = {
        {WM_USER + 1, L"The handler broke."},
        {WM_USER + 2, SystemText(ERROR_FILE_NOT_FOUND)},
    };
    ThrowingWindow window;
    ASSERT_TRUE(window.Create(nullptr, 0, 0));
    for (const Case& c : cases) {
        std::wstring shown;
        bool closed = false;
        const guitest::ModalOutcome outcome = guitest::DriveModal(
            [&] { return SendMessageW(window.GetHandle(), c.msg, 0, 0); }, L"Error", [&](HWND box) {
                shown = guitest::DescendantTexts(box);
                closed = guitest::ClickButton(box, L"OK");
            });
        ASSERT_TRUE(outcome.windowFound && outcome.inTime);
        EXPECT_TRUE(closed);
        EXPECT_NE(shown.find(c.expectedText), std::wstring::npos)
            << "shown: " << std::string(shown.begin(), shown.end());
        EXPECT_EQ(outcome.result, 77);
        EXPECT_TRUE(IsWindow(window.GetHandle()));
    }
}

}  // namespace
