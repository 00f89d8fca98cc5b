#include <gtest/gtest.h>

#include <map>

#include "gui_harness.h"
#include "window/qdialog.h"
#include "window_test_resources.h"

namespace {

using kiln::qwin::QDialog;

class AnchorDialog : public QDialog {
public:
    AnchorDialog() : QDialog(IDD_ANCHORS) {
        AddAnchor(IDC_MOVE_RIGHT, ANCHOR_RIGHT);
        AddAnchor(IDC_STRETCH_RIGHT, ANCHOR_LEFT_RIGHT);
        AddAnchor(IDC_MOVE_DOWN, ANCHOR_BOTTOM);
        AddAnchor(IDC_STRETCH_DOWN, ANCHOR_TOP_BOTTOM);
        AddAnchor(IDC_STRETCH_BOTH, ANCHOR_LEFT_RIGHT | ANCHOR_TOP_BOTTOM);
        AddAnchor(IDOK, ANCHOR_RIGHT | ANCHOR_BOTTOM);
    }

    bool ExchangeData(bool toControls) override {
        if (toControls) {
            // The anchors are recorded before the controls are filled.
            anchorsRecordedFirst = anchors[0].rect.left > 0;
            SetDlgItemTextW(GetHandle(), IDC_STRETCH_RIGHT, L"initial");
        } else {
            wchar_t text[64] = {};
            GetDlgItemTextW(GetHandle(), IDC_STRETCH_RIGHT, text, 64);
            readBack = text;
        }
        ++exchanges;
        return true;
    }
    bool OnClose() override {
        ++closeRequests;
        return allowClose;
    }
    bool OnHelp() override {
        ++helpRequests;
        return true;
    }
    void OnOK() override {
        ExchangeData(false);
        EndDialog(GetHandle(), IDOK);
    }
    void OnCancel() override { EndDialog(GetHandle(), IDCANCEL); }

    bool anchorsRecordedFirst = false;
    bool allowClose = false;
    int exchanges = 0;
    int closeRequests = 0;
    int helpRequests = 0;
    std::wstring readBack;
};

RECT ControlRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ResizeBy(HWND dialog, int dx, int dy) {
    RECT rect;
    GetWindowRect(dialog, &rect);
    SetWindowPos(dialog, nullptr, 0, 0, rect.right - rect.left + dx, rect.bottom - rect.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER);
}

struct Expected {
    int id;
    int left, top, right, bottom;  // multiples of the growth: 1 moves with the edge
};

TEST(Dialog, AnchoredControlsFollowTheEdgesInEachMode) {
    const Expected table[] = {
        {IDC_MOVE_RIGHT, 1, 0, 1, 0}, {IDC_STRETCH_RIGHT, 0, 0, 1, 0}, {IDC_MOVE_DOWN, 0, 1, 0, 1},
        {IDC_STRETCH_DOWN, 0, 0, 0, 1}, {IDC_STRETCH_BOTH, 0, 0, 1, 1}, {IDOK, 1, 1, 1, 1},
        {IDC_FIXED, 0, 0, 0, 0},
    };
    std::map<int, RECT> before, grown, restored;
    int dx = 0, dy = 0;
    bool stayedOpen = false;
    AnchorDialog dialog;
    guitest::ModalWatchdog watchdog;
    guitest::ScriptThread script([&] {
        HWND window = guitest::WaitForTopWindow(L"Anchors", guitest::kDefaultTimeoutMs, L"#32770");
        if (!window) return;
        RECT client;
        GetClientRect(window, &client);
        for (const Expected& row : table) before[row.id] = ControlRect(window, row.id);
        ResizeBy(window, 120, 70);
        RECT larger;
        GetClientRect(window, &larger);
        dx = larger.right - client.right;
        dy = larger.bottom - client.bottom;
        for (const Expected& row : table) grown[row.id] = ControlRect(window, row.id);
        ResizeBy(window, -120, -70);
        for (const Expected& row : table) restored[row.id] = ControlRect(window, row.id);

        // The close box: refused once, then allowed (which cancels).
        guitest::SendWithTimeout(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        stayedOpen = IsWindow(window) != FALSE;
        guitest::SendWithTimeout(window, WM_COMMAND, IDHELP, 0);
        dialog.allowClose = true;
        guitest::SendWithTimeout(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    const INT_PTR result = dialog.DoModal(nullptr);
    ASSERT_TRUE(script.Join());
    ASSERT_FALSE(watchdog.Fired());
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(dialog.anchorsRecordedFirst);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(dialog.closeRequests, 2);
    EXPECT_EQ(dialog.helpRequests, 1);
    EXPECT_EQ(dialog.GetHandle(), nullptr);
    ASSERT_GT(dx, 0);
    ASSERT_GT(dy, 0);
    for (const Expected& row : table) {
        const RECT& a = before[row.id];
        const RECT& b = grown[row.id];
        EXPECT_EQ(b.left, a.left + row.left * dx) << "control " << row.id;
        EXPECT_EQ(b.top, a.top + row.top * dy) << "control " << row.id;
        EXPECT_EQ(b.right, a.right + row.right * dx) << "control " << row.id;
        EXPECT_EQ(b.bottom, a.bottom + row.bottom * dy) << "control " << row.id;
        EXPECT_TRUE(EqualRect(&restored[row.id], &a)) << "control " << row.id;
    }
}

TEST(Dialog, OkReadsTheControlsAndEndsWithOne) {
    AnchorDialog dialog;
    guitest::ModalWatchdog watchdog;
    guitest::ScriptThread script([&] {
        HWND window = guitest::WaitForTopWindow(L"Anchors", guitest::kDefaultTimeoutMs, L"#32770");
        if (!window) return;
        HWND edit = GetDlgItem(window, IDC_STRETCH_RIGHT);
        guitest::SendWithTimeout(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
        guitest::ClickButton(window, L"OK");
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    ASSERT_TRUE(script.Join());
    ASSERT_FALSE(watchdog.Fired());
    EXPECT_EQ(dialog.exchanges, 2);
    EXPECT_EQ(dialog.readBack, L"typed");
}

}  // namespace
