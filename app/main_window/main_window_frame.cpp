// The self-drawn frame: no system caption or border, the whole window is
// client area; the border and caption band answer the hit test themselves.

#include "window/display_scale.h"
#include "app/main_window/main_window.h"
#include "app/product.h"
#include "window/qgraphics.h"
#include "window/ui_colors.h"

using kiln::qstd::QString;
using kiln::qwin::QGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

bool MainWindow::OnEraseBackground(QGraphics&) {
    return true;
}

bool MainWindow::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    // Only the one-pixel gaps between the children show this.
    graphics.FillSolidRect(client, kiln::qwin::PartColor(applicationActive ? kiln::qwin::UiPart::Caption
                                                                        : kiln::qwin::UiPart::InactiveFrame));
    UpdateCaption();
    return true;
}

void MainWindow::UpdateCaption() {
    if (databasePath.IsEmpty()) {
        captionBar.SetTitle(kProductCaption);
    } else {
        captionBar.SetTitle(QString(kProductCaption) + L"[" + databasePath + L"]" + (readOnly ? L" (Read-only)" : L""));
    }
}

bool MainWindow::OnActivateApp(bool active, DWORD) {
    applicationActive = active;
    // The user went elsewhere: what was typed is written now.
    if (!active) SaveEverything();
    return false;
}

// The child that had the focus gets it back, rather than the frame itself.
bool MainWindow::OnActivate(HWND, UINT state, bool minimised) {
    applicationActive = true;
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    if (state == WA_INACTIVE) {
        RememberFocus();
        return false;
    }
    // Looked at once the activation is over: a refresh may ask for a password.
    if (!minimised) PostMessageW(handle, kFileChangesMessage, FALSE, 0);
    return !minimised && RestoreFocus();
}

bool MainWindow::OnMouseActivate(HWND, UINT, UINT, LRESULT* result) {
    *result = MA_ACTIVATE;
    return true;
}

bool MainWindow::OnNcCalcSize(bool, NCCALCSIZE_PARAMS*) {
    return true;
}

bool MainWindow::OnNcHitTest(POINT* point, LRESULT* result) {
    // The desktop window manager's own answer (over its caption buttons) stands.
    if (*result) return true;
    RECT window;
    GetWindowRect(handle, &window);
    const LRESULT hit = FrameHitTest(window, *point, scaleX, scaleY);
    if (hit == HTNOWHERE) return false;
    *result = hit;
    return true;
}

namespace {
BOOL CALLBACK TellOfColourChange(HWND child, LPARAM) {
    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}
}  // namespace

bool MainWindow::OnSysColorChange() {
    tabs.SetBackground(kiln::qwin::PartColor(kiln::qwin::UiPart::Pane));
    // The common controls among the descendants (the trees, the combos)
    // take the new colours only when told.
    EnumChildWindows(handle, TellOfColourChange, 0);
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return false;
}
