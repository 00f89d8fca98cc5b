#include "app/frame/main_layout.h"

#include <algorithm>

namespace {

int Truncate(double value) {
    return static_cast<int>(value);
}

Placement Place(int x, int y, int width, int height) {
    return Placement{x, y, std::max(width, 0), std::max(height, 0)};
}

// At 96 pixels per inch.
const int kCornerSize = 10;
const int kBorderSize = 3;

}  // namespace

FrameMetrics ComputeFrameMetrics(double sx, double sy) {
    FrameMetrics metrics;
    metrics.toolbarHeight = Truncate(32 * sy);
    metrics.statusHeight = Truncate(22 * sy);
    metrics.captionHeight = Truncate(30 * sy + 1);
    metrics.menuButtonWidth = Truncate(93 * sx);
    metrics.splitterWidth = Truncate(4 * sy);
    metrics.marginX = Truncate(8 * sx);
    metrics.marginY = Truncate(5 * sy);
    return metrics;
}

MainLayout ComputeMainLayout(int cx, int cy, int treeWidth, bool maximised, const FrameMetrics& m) {
    const int TH = m.toolbarHeight, SH = m.statusHeight, CH = m.captionHeight;
    const int BW = m.menuButtonWidth, PW = m.splitterWidth, W = treeWidth;
    MainLayout layout;
    if (!maximised) {
        const int top = CH + TH;
        const int H = cy - TH - CH - SH - 1;
        layout.caption = Place(1, 1, cx - 2, CH);
        layout.menuButton = Place(6, 1, BW, SH);
        layout.toolbar = Place(1, CH + 1, cx - 2, TH);
        layout.tree = Place(1, top, W, H);
        layout.body = Place(W + PW + 1, top, cx - W - PW - 2, H);
        layout.splitter = Place(W + 1, top, PW, H);
        layout.status = Place(1, cy - SH - 1, cx - 2, SH);
        layout.searchPanel = Place(1, top, W, cy - SH - 1 - top);
        return layout;
    }
    // Maximised, the window reaches beyond the screen's edges: the margins
    // keep the content on the screen.
    const int mx = m.marginX, my = m.marginY;
    const int Y = my + CH + TH;
    const int H = cy - TH - 2 * my - CH - SH - 1;
    layout.caption = Place(mx, my + 3, cx - 2 * mx - 2, CH);
    layout.menuButton = Place(mx + 3, my + 4, BW, SH);
    layout.toolbar = Place(mx, my + CH, cx - 2, TH);
    layout.tree = Place(mx, Y, W - mx, H);
    layout.splitter = Place(W, Y, PW, H);
    layout.body = Place(W + PW, Y, cx - W - mx - 2, H);
    layout.status = Place(mx, cy - my - SH - 1, cx - 2, SH);
    layout.searchPanel = Place(mx, Y, W - mx, cy - my - SH - 1 - Y);
    return layout;
}

SIZE ComputeMinimumSize(double sx, double sy) {
    return SIZE{Truncate(kMinTrackWidth * sx), Truncate(kMinTrackHeight * sy)};
}

LRESULT FrameHitTest(const RECT& window, POINT p, double sx, double sy) {
    const LONG L = window.left, T = window.top, R = window.right, B = window.bottom;
    const int cornerX = Truncate(kCornerSize * sx), cornerY = Truncate(kCornerSize * sy);
    const int borderX = Truncate(kBorderSize * sx), borderY = Truncate(kBorderSize * sy);
    const bool nearLeft = p.x < L + cornerX, nearRight = p.x >= R - cornerX;
    const bool nearTop = p.y < T + cornerY, nearBottom = p.y >= B - cornerY;
    if (nearLeft && nearTop) return HTTOPLEFT;
    if (nearRight && nearTop) return HTTOPRIGHT;
    if (nearLeft && nearBottom) return HTBOTTOMLEFT;
    if (nearRight && nearBottom) return HTBOTTOMRIGHT;
    if (p.x < L + borderX) return HTLEFT;
    if (p.y < T + borderY) return HTTOP;
    if (p.y > B - borderY) return HTBOTTOM;
    if (p.x > R - borderX) return HTRIGHT;
    if (p.y < T + Truncate(30 * sy + 2)) return HTCAPTION;
    return HTNOWHERE;
}

CaptionButtons ComputeCaptionButtons(int captionWidth, double sx, double sy) {
    const int bw = Truncate(45 * sx), bh = Truncate(29 * sy);
    CaptionButtons buttons;
    buttons.minimise = RECT{captionWidth - 3 * bw, 0, captionWidth - 2 * bw, bh};
    buttons.maximise = RECT{captionWidth - 2 * bw, 0, captionWidth - bw, bh};
    buttons.close = RECT{captionWidth - bw, 0, captionWidth, bh};
    return buttons;
}

int TreeWidthForPointer(int x, int screenWidth) {
    const int width = x - 1;
    if (width < 0) return 0;
    if (width > screenWidth) return 0;
    return std::min(width, kMaxTreeWidth);
}
