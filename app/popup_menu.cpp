#include "app/popup_menu.h"

#include "resources/command_ids.h"

namespace {

// Owner of a menu loaded from the resources.
class LoadedMenu {
public:
    explicit LoadedMenu(int resource)
        : menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource))) {}
    LoadedMenu(const LoadedMenu&) = delete;
    LoadedMenu& operator=(const LoadedMenu&) = delete;
    ~LoadedMenu() {
        if (menu) DestroyMenu(menu);
    }
    HMENU Get() const { return menu; }

private:
    HMENU menu;
};

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

UINT TrackProgramPopup(int index, POINT screenPoint, HWND owner, UINT flags) {
    LoadedMenu menu(IDR_POPUP_MENUS);
    if (!menu.Get()) return 0;
    HMENU popup = GetSubMenu(menu.Get(), index);
    if (!popup) return 0;
    MENUINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    SetMenuInfo(popup, &info);
    const POINT at = OnSomeMonitor(screenPoint);
    return static_cast<UINT>(
        TrackPopupMenuEx(popup, flags | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, owner, nullptr));
}
