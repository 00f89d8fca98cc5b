#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// Owner of a device context: the base deletes the context it holds unless a
// kind that obtained it differently (BeginPaint, GetDC) gave it back first.
class QGraphics {
public:
    explicit QGraphics(HDC dc = nullptr) : dc(dc) {}
    QGraphics(const QGraphics&) = delete;
    QGraphics& operator=(const QGraphics&) = delete;
    virtual ~QGraphics();

    HDC GetHandle() const { return Context(); }
    operator HDC() const { return Context(); }
    // Gives up the context without deleting it.
    HDC Detach();

    void FillSolidRect(const RECT& rect, COLORREF colour);

protected:
    // The context, for a kind that obtains it only when it is first used.
    virtual HDC Context() const { return dc; }

    mutable HDC dc;
};

// A context that belongs to a message (WM_ERASEBKGND, WM_CTLCOLOR...): never deleted.
class QBorrowedGraphics : public QGraphics {
public:
    explicit QBorrowedGraphics(HDC dc) : QGraphics(dc) {}
    ~QBorrowedGraphics() override { Detach(); }
};

// BeginPaint when the context is first used, EndPaint on destruction. A
// WM_PAINT that no handler draws thus leaves the update region to the
// window's own procedure: a control's own painting still finds it.
class QPaintGraphics : public QGraphics {
public:
    explicit QPaintGraphics(HWND window);
    ~QPaintGraphics() override;

    const PAINTSTRUCT& GetPaintStruct() const {
        Context();
        return paint;
    }

protected:
    HDC Context() const override;

private:
    HWND window;
    mutable PAINTSTRUCT paint;
    mutable bool begun;
};

// GetDC on construction, ReleaseDC on destruction.
class QClientGraphics : public QGraphics {
public:
    explicit QClientGraphics(HWND window);
    ~QClientGraphics() override;

private:
    HWND window;
};

// A double buffer: drawing goes to an off-screen bitmap in the target's
// co-ordinates, and the rectangle is copied to the target in one step when
// the object is destroyed, so that custom controls do not flicker.
class QMemoryGraphics : public QGraphics {
public:
    QMemoryGraphics(QGraphics& target, const RECT& rect);
    ~QMemoryGraphics() override;

private:
    QGraphics& target;
    RECT rect;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
};

}  // namespace qwin
}  // namespace kiln
