#include <gtest/gtest.h>

#include "window/qcontrol.h"
#include "window/qwindow.h"

namespace {

using kiln::qwin::QControl;
using kiln::qwin::QWindow;

class Host : public QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenTestControlHost"; }
};

class HoverControl : public QControl {
public:
    using QControl::IsTracking;
};

TEST(Control, HoverTrackingStartsOnMoveAndEndsWithARepaint) {
    Host host;
    ASSERT_TRUE(host.Create(nullptr, 0, WS_VISIBLE));
    HoverControl control;
    ASSERT_TRUE(control.Create(&host, 4, 0));
    HWND handle = control.GetHandle();
    ASSERT_NE(handle, nullptr);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    SetWindowPos(handle, nullptr, 0, 0, 50, 20, SWP_NOZORDER);
    UpdateWindow(handle);
    ValidateRect(handle, nullptr);

    EXPECT_FALSE(control.IsTracking());
    SendMessageW(handle, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(control.IsTracking());

    SendMessageW(handle, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(control.IsTracking());
    RECT update;
    EXPECT_TRUE(GetUpdateRect(handle, &update, FALSE));
    EXPECT_EQ(update.right - update.left, 50);
}

}  // namespace
