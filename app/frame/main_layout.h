#pragma once

#include <windows.h>

// The numbers of the main window's frame, without any window: the pixel
// metrics at a display scale, where each child sits for a client size, the
// hit test of the self-drawn border and caption, and the tree width rules.

struct Placement {
    int x;
    int y;
    int width;
    int height;

    bool operator==(const Placement& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

struct FrameMetrics {
    int toolbarHeight;    // TH
    int statusHeight;     // SH
    int captionHeight;    // CH
    int menuButtonWidth;  // BW
    int splitterWidth;    // PW: scaled vertically, as it always was
    int marginX;          // maximised only
    int marginY;
};

FrameMetrics ComputeFrameMetrics(double sx, double sy);

struct MainLayout {
    Placement caption;
    Placement menuButton;
    Placement toolbar;
    Placement tree;
    Placement splitter;
    // The welcome page and the tab container share this rectangle.
    Placement body;
    Placement status;
    Placement searchPanel;
};

// Where every child of the main window goes for a client area of cx x cy.
// A window too small for its content gets empty rectangles, never negative
// sizes.
MainLayout ComputeMainLayout(int cx, int cy, int treeWidth, bool maximised, const FrameMetrics& metrics);

// The smallest size the user can drag the window to, at 96 pixels per inch.
const int kMinTrackWidth = 640;
const int kMinTrackHeight = 480;
SIZE ComputeMinimumSize(double sx, double sy);

// The self-drawn frame's answer for a screen point inside the window's
// rectangle: a resizing corner or border, HTCAPTION over the caption band, or
// HTNOWHERE when the point is left to the default (the client area).
LRESULT FrameHitTest(const RECT& window, POINT screen, double sx, double sy);

// The caption's three buttons in the caption bar's own co-ordinates.
struct CaptionButtons {
    RECT minimise;
    RECT maximise;
    RECT close;
};
CaptionButtons ComputeCaptionButtons(int captionWidth, double sx, double sy);

// The tree width for a pointer at client x while the splitter is dragged.
int TreeWidthForPointer(int x, int screenWidth);
// The width a double click on the splitter gives, also the largest a drag gives.
const int kMaxTreeWidth = 333;
