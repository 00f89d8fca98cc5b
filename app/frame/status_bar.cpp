#include "app/frame/status_bar.h"

#include "window/display_scale.h"
#include "window/qgraphics.h"
#include "window/ui_colors.h"

using kiln::qstd::QString;
using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QSelectObject;

StatusBar::StatusBar() : text(L"  Ready") {}

const wchar_t* StatusBar::GetClassName() const {
    return L"StatusBar";
}

bool StatusBar::OnCreate() {
    font.Reset(kiln::qwin::CreateMenuFont());
    return false;
}

void StatusBar::ApplyDisplayScale() {
    font.Reset(kiln::qwin::CreateMenuFont());
    InvalidateRect(handle, nullptr, FALSE);
}

void StatusBar::SetStatus(const QString& message) {
    text = L"  " + message;
    if (handle) {
        InvalidateRect(handle, nullptr, FALSE);
        UpdateWindow(handle);
        kiln::qwin::QAccessible::NotifyNameChange(handle);
    }
}

void StatusBar::SetDatabaseState(const QString& state) {
    databaseState = state;
    if (!handle) return;
    InvalidateRect(handle, nullptr, FALSE);
    kiln::qwin::QAccessible::NotifyNameChange(handle);
}

bool StatusBar::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) {
    return accessible.Answer(handle, flags, objectId, result);
}

QString StatusBar::AccessibleName() const {
    const QString right = RightText();
    if (right.IsEmpty()) return text;
    return text + L"  " + right;
}

long StatusBar::AccessibleRole() const {
    return ROLE_SYSTEM_STATUSBAR;
}

bool StatusBar::OnEraseBackground(QGraphics&) {
    return true;
}

bool StatusBar::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, kiln::qwin::PartColor(kiln::qwin::UiPart::StatusBar));
    QSelectObject fontIn(buffer, font.Get());
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, kiln::qwin::PartColor(kiln::qwin::UiPart::StatusText));
    RECT message = client;
    const QString right = RightText();
    if (!right.IsEmpty()) {
        // The state keeps its room; a long message is shortened instead.
        RECT state = client;
        state.right -= kiln::qwin::ScaleX(10);
        DrawTextW(buffer, right.c_str(), -1, &state, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        RECT measured = {};
        DrawTextW(buffer, right.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        message.right = state.right - (measured.right - measured.left) - kiln::qwin::ScaleX(20);
    }
    DrawTextW(buffer, text.c_str(), -1, &message, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    return true;
}

void StatusBar::SetSaveState(const QString& state) {
    if (state == saveState) return;
    saveState = state;
    if (!handle) return;
    InvalidateRect(handle, nullptr, FALSE);
    kiln::qwin::QAccessible::NotifyNameChange(handle);
}

QString StatusBar::RightText() const {
    if (saveState.IsEmpty()) return databaseState;
    if (databaseState.IsEmpty()) return saveState;
    return saveState + L"    " + databaseState;
}
