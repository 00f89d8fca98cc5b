#include "window/qgraphics.h"

namespace kiln {
namespace qwin {

QGraphics::~QGraphics() {
    if (dc) DeleteDC(dc);
}

HDC QGraphics::Detach() {
    HDC detached = dc;
    dc = nullptr;
    return detached;
}

void QGraphics::FillSolidRect(const RECT& rect, COLORREF colour) {
    // ETO_OPAQUE fills with the background colour without creating a brush.
    HDC context = Context();
    const COLORREF previous = SetBkColor(context, colour);
    ExtTextOutW(context, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(context, previous);
}

QPaintGraphics::QPaintGraphics(HWND window) : window(window), paint(), begun(false) {}

QPaintGraphics::~QPaintGraphics() {
    if (begun) EndPaint(window, &paint);
    Detach();
}

HDC QPaintGraphics::Context() const {
    if (!begun) {
        dc = BeginPaint(window, &paint);
        begun = true;
    }
    return dc;
}

QClientGraphics::QClientGraphics(HWND window) : window(window) {
    dc = GetDC(window);
}

QClientGraphics::~QClientGraphics() {
    if (dc) ReleaseDC(window, Detach());
}

QMemoryGraphics::QMemoryGraphics(QGraphics& target, const RECT& rect)
    : target(target), rect(rect), bitmap(nullptr), previousBitmap(nullptr) {
    dc = CreateCompatibleDC(target);
    bitmap = CreateCompatibleBitmap(target, rect.right - rect.left, rect.bottom - rect.top);
    if (dc && bitmap) previousBitmap = SelectObject(dc, bitmap);
    SetViewportOrgEx(dc, -rect.left, -rect.top, nullptr);
}

QMemoryGraphics::~QMemoryGraphics() {
    if (previousBitmap) {
        BitBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, dc, rect.left,
               rect.top, SRCCOPY);
        // The bitmap must leave the context before either is deleted.
        SelectObject(dc, previousBitmap);
    }
    if (bitmap) DeleteObject(bitmap);
    // The base deletes the memory context.
}

}  // namespace qwin
}  // namespace kiln
