#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// The wait cursor for one scope; the previous cursor (the arrow when there
// was none) comes back at its end.
class QWaitCursor {
public:
    QWaitCursor() : previous(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    QWaitCursor(const QWaitCursor&) = delete;
    QWaitCursor& operator=(const QWaitCursor&) = delete;
    ~QWaitCursor() { SetCursor(previous ? previous : LoadCursorW(nullptr, IDC_ARROW)); }

private:
    HCURSOR previous;
};

}  // namespace qwin
}  // namespace kiln
