// Where the children sit, the minimum size, and the splitter's dragging.

#include "window/display_scale.h"
#include "app/main_window/main_window.h"

using kiln::qstd::QString;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;

namespace {

void Move(HDWP& batch, HWND window, const Placement& at) {
    if (!window) return;
    if (batch) {
        batch = DeferWindowPos(batch, window, nullptr, at.x, at.y, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(window, nullptr, at.x, at.y, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

MainLayout MainWindow::CurrentLayout() const {
    RECT client = {0, 0, 0, 0};
    GetClientRect(handle, &client);
    return ComputeMainLayout(client.right, client.bottom, treeWidth, IsMaximizedLayout(),
                             ComputeFrameMetrics(scaleX, scaleY));
}

bool MainWindow::OnSize(UINT type, int cx, int cy) {
    QMainFrame::OnSize(type, cx, cy);
    if (type == SIZE_MINIMIZED) {
        // Put away for now: what was typed is written now.
        SaveEverything();
        return true;
    }
    LayoutChildren();
    // The maximise glyph changes with the window's state.
    InvalidateRect(captionBar.GetHandle(), nullptr, FALSE);
    return true;
}

void MainWindow::LayoutChildren() {
    const MainLayout layout = CurrentLayout();
    HDWP batch = BeginDeferWindowPos(9);
    Move(batch, captionBar.GetHandle(), layout.caption);
    Move(batch, menuButton.GetHandle(), layout.menuButton);
    Move(batch, toolbar.GetHandle(), layout.toolbar);
    Move(batch, statusBar.GetHandle(), layout.status);
    if (batch) EndDeferWindowPos(batch);
    LayoutBody();
}

// The part that follows the tree width: tree, splitter, editors, search panel.
void MainWindow::LayoutBody() {
    const MainLayout layout = CurrentLayout();
    HDWP batch = BeginDeferWindowPos(5);
    Move(batch, cardTree.GetHandle(), layout.tree);
    Move(batch, splitter.GetHandle(), layout.splitter);
    Move(batch, tabs.GetHandle(), layout.body);
    Move(batch, welcomeBrowser.GetHandle(), layout.body);
    if (searchPanelShown) Move(batch, searchPanel.GetHandle(), layout.searchPanel);
    if (batch) EndDeferWindowPos(batch);
}

bool MainWindow::OnDpiChanged(int dpiX, int dpiY, const RECT* suggested) {
    kiln::qwin::SetDisplayScale(dpiX, dpiY);
    ApplyDisplayScale();
    if (suggested) {
        SetWindowPos(handle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A window of the same size at another scale gets no WM_SIZE.
    LayoutChildren();
    ArrangeToolbarAtScale();
    return true;
}

void MainWindow::FollowMonitorScale() {
    const int dpi = kiln::qwin::WindowDpi(handle);
    if (dpi <= 0 || dpi == kiln::qwin::DisplayDpiY()) return;
    kiln::qwin::SetDisplayScale(dpi, dpi);
    ApplyDisplayScale();
    LayoutChildren();
    ArrangeToolbarAtScale();
}

// The toolbar's controls are placed at the scale in force; a toolbar whose
// size did not change gets no WM_SIZE to place them again.
void MainWindow::ArrangeToolbarAtScale() {
    RECT bar;
    if (GetClientRect(toolbar.GetHandle(), &bar)) toolbar.Arrange(bar.right - bar.left);
}

void MainWindow::ApplyDisplayScale() {
    captionBar.ApplyDisplayScale();
    menuButton.ApplyDisplayScale();
    statusBar.ApplyDisplayScale();
    cardTree.ApplyDisplayScale();
    tabs.ApplyDisplayScale();
    searchPanel.ApplyDisplayScale();
    welcomeBrowser.ApplyDisplayScale();
    InvalidateRect(handle, nullptr, FALSE);
}

bool MainWindow::OnGetMinMaxInfo(MINMAXINFO* info) {
    const SIZE smallest = ComputeMinimumSize(scaleX, scaleY);
    info->ptMinTrackSize.x = smallest.cx;
    info->ptMinTrackSize.y = smallest.cy;
    return true;
}

void MainWindow::SetStatusText(const QString& message) {
    statusBar.SetStatus(message);
}

bool MainWindow::OnLButtonDown(UINT, POINT*) {
    SetCapture(handle);
    return true;
}

bool MainWindow::OnMouseMove(UINT keys, POINT* point) {
    if (treeDragging) {
        DragCardTo(*point);
        return true;
    }
    if (GetCapture() != handle || !(keys & MK_LBUTTON)) return true;
    const int width = TreeWidthForPointer(point->x, GetSystemMetrics(SM_CXSCREEN));
    if (width == treeWidth) return true;
    treeWidth = width;
    LayoutBody();
    RedrawWindow(splitter.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return true;
}

bool MainWindow::OnLButtonUp(UINT, POINT*) {
    if (treeDragging) {
        DropCard();
        return true;
    }
    if (GetCapture() == handle) ReleaseCapture();
    return true;
}

bool MainWindow::OnLButtonDblClk(UINT, POINT*) {
    treeWidth = kMaxTreeWidth;
    LayoutBody();
    return true;
}
