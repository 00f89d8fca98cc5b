#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// A menu resource of the program, loaded for one showing and destroyed with
// this object.
// A popup menu built in code, destroyed with its owner.
class QPopupMenu {
public:
    QPopupMenu() : menu(CreatePopupMenu()) {}
    QPopupMenu(const QPopupMenu&) = delete;
    QPopupMenu& operator=(const QPopupMenu&) = delete;
    ~QPopupMenu() {
        if (menu) DestroyMenu(menu);
    }
    HMENU Get() const { return menu; }

private:
    HMENU menu;
};

class QMenuResource {
public:
    explicit QMenuResource(int resourceId);
    QMenuResource(const QMenuResource&) = delete;
    QMenuResource& operator=(const QMenuResource&) = delete;
    ~QMenuResource();

    // Popup `index`, with a white background on it and its submenus (the
    // system's colours in high contrast); null when the resource lacks it.
    HMENU Popup(int index) const;

private:
    HMENU menu;
};

// Shows a popup at a screen point and answers the chosen command (0 when
// none). A point on no monitor has its x moved into the nearest monitor's
// work area. `flags` add alignment and button flags.
UINT TrackPopup(HMENU popup, POINT screenPoint, HWND owner, UINT flags);

// TrackPopup of popup `index` of the program's menu resource `resourceId`.
UINT TrackResourcePopup(int resourceId, int index, POINT screenPoint, HWND owner, UINT flags);

}  // namespace qwin
}  // namespace kiln
