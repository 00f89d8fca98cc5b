#include "window/qmenu.h"

#include "window/ui_colors.h"

namespace kiln {
namespace qwin {

namespace {

POINT OnSomeMonitor(POINT point) {
    if (MonitorFromPoint(point, MONITOR_DEFAULTTONULL)) return point;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info)) {
        if (point.x < info.rcWork.left) point.x = info.rcWork.left;
        if (point.x >= info.rcWork.right) point.x = info.rcWork.right - 1;
    }
    return point;
}

}  // namespace

QMenuResource::QMenuResource(int resourceId)
    : menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId))) {}

QMenuResource::~QMenuResource() {
    if (menu) DestroyMenu(menu);
}

HMENU QMenuResource::Popup(int index) const {
    HMENU popup = menu ? GetSubMenu(menu, index) : nullptr;
    if (!popup) return nullptr;
    // In high contrast the system's menu colours are the user's; white
    // behind them could hide their text.
    if (IsHighContrast()) return popup;
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    SetMenuInfo(popup, &info);
    return popup;
}

UINT TrackPopup(HMENU popup, POINT screenPoint, HWND owner, UINT flags) {
    const POINT at = OnSomeMonitor(screenPoint);
    return static_cast<UINT>(
        TrackPopupMenuEx(popup, flags | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, owner, nullptr));
}

UINT TrackResourcePopup(int resourceId, int index, POINT screenPoint, HWND owner, UINT flags) {
    QMenuResource menu(resourceId);
    HMENU popup = menu.Popup(index);
    return popup ? TrackPopup(popup, screenPoint, owner, flags) : 0;
}

}  // namespace qwin
}  // namespace kiln
