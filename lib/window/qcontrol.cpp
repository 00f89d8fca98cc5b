#include "window/qcontrol.h"

namespace kiln {
namespace qwin {

namespace {
const DWORD kHoverTimeMs = 10;
}

QTrackMouseEvent::QTrackMouseEvent() : tracking(false), track() {
    track.cbSize = sizeof(track);
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.dwHoverTime = kHoverTimeMs;
}

const wchar_t* QControl::GetClassName() const {
    return L"CTRL";
}

bool QControl::PreCreateWindow(CREATESTRUCTW& create) {
    QWindow::PreCreateWindow(create);
    create.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    return true;
}

bool QControl::OnMouseMove(UINT, POINT*) {
    if (!tracking) {
        track.hwndTrack = handle;
        tracking = TrackMouseEvent(&track) == TRUE;
    }
    return false;
}

bool QControl::OnMouseLeave() {
    InvalidateRect(handle, nullptr, TRUE);
    tracking = false;
    return false;
}

}  // namespace qwin
}  // namespace kiln
