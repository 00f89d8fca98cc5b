#include "app/frame/menu_button.h"

#include "resources/command_ids.h"
#include "window/qgraphics.h"
#include "window/qmenu.h"
#include "window/ui_colors.h"

using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QSelectObject;
using kiln::qwin::QWindow;
using kiln::qwin::PartColor;
using kiln::qwin::UiPart;

MainMenuButton::MainMenuButton(QWindow& owner) : owner(owner) {}

const wchar_t* MainMenuButton::GetClassName() const {
    return L"MyButton";
}

bool MainMenuButton::OnCreate() {
    font.Reset(kiln::qwin::CreateMenuFont());
    return false;
}

void MainMenuButton::ApplyDisplayScale() {
    font.Reset(kiln::qwin::CreateMenuFont());
    InvalidateRect(handle, nullptr, FALSE);
}

bool MainMenuButton::OnEraseBackground(QGraphics&) {
    return true;
}

bool MainMenuButton::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, PartColor(UiPart::MenuButtonEdge));
    RECT face = {client.left + 1, client.top, client.right - 1, client.bottom - 1};
    buffer.FillSolidRect(face, PartColor(pressed   ? UiPart::MenuButtonPressed
                                         : hovered ? UiPart::MenuButtonHot
                                                   : UiPart::MenuButtonFace));
    QSelectObject fontIn(buffer, font.Get());
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, PartColor(pressed || hovered ? UiPart::MenuButtonHotText : UiPart::MenuButtonText));
    DrawTextW(buffer, L"VORLEN", 6, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return true;
}

bool MainMenuButton::OnMouseMove(UINT keys, POINT* point) {
    QControl::OnMouseMove(keys, point);
    if (!hovered) {
        hovered = true;
        InvalidateRect(handle, nullptr, FALSE);
    }
    return true;
}

bool MainMenuButton::OnMouseLeave() {
    hovered = false;
    return QControl::OnMouseLeave();
}

bool MainMenuButton::OnLButtonDown(UINT, POINT*) {
    if (dismissedByButton) {
        dismissedByButton = false;
        return true;
    }
    pressed = true;
    InvalidateRect(handle, nullptr, FALSE);
    UpdateWindow(handle);
    RECT own;
    GetWindowRect(handle, &own);
    const UINT command = kiln::qwin::TrackResourcePopup(IDR_POPUP_MENUS, POPUP_MAIN_BUTTON, POINT{own.left, own.bottom}, owner.GetHandle(),
                                           TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON);
    pressed = false;
    InvalidateRect(handle, nullptr, FALSE);
    if (command) {
        SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        return true;
    }
    // A click on this button while the menu was open closed the menu; the
    // same click is about to arrive here as a new press.
    POINT cursor;
    GetCursorPos(&cursor);
    dismissedByButton = PtInRect(&own, cursor) && (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
    return true;
}

bool MainMenuButton::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) {
    return accessible.Answer(handle, flags, objectId, result);
}

kiln::qstd::QString MainMenuButton::AccessibleName() const {
    return L"Main menu";
}

long MainMenuButton::AccessibleRole() const {
    return ROLE_SYSTEM_BUTTONMENU;
}
