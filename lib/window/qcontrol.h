#pragma once

#include "window/qwindow.h"

namespace kiln {
namespace qwin {

// The system's mouse tracking for hover effects: one request at a time, for
// hover and leave, with a hover time short enough to feel immediate.
class QTrackMouseEvent {
protected:
    QTrackMouseEvent();

    bool tracking;
    TRACKMOUSEEVENT track;
};

// A custom-drawn child control. It asks for mouse tracking on the first move
// and repaints when the mouse leaves, so derived controls only draw their
// hover state from their own flags.
class QControl : public QWindow, private QTrackMouseEvent {
public:
    const wchar_t* GetClassName() const override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    bool OnMouseLeave() override;

protected:
    bool IsTracking() const { return tracking; }
};

}  // namespace qwin
}  // namespace kiln
