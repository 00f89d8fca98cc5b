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

    HDC GetHandle() const { return dc; }
    operator HDC() const { return dc; }
    // Gives up the context without deleting it.
    HDC Detach();

    void FillSolidRect(const RECT& rect, COLORREF colour);

protected:
    HDC dc;
};

// A context that belongs to a message (WM_ERASEBKGND, WM_CTLCOLOR...): never deleted.
class QBorrowedGraphics : public QGraphics {
public:
    explicit QBorrowedGraphics(HDC dc) : QGraphics(dc) {}
    ~QBorrowedGraphics() override { Detach(); }
};

// BeginPaint on construction, EndPaint on destruction.
class QPaintGraphics : public QGraphics {
public:
    explicit QPaintGraphics(HWND window);
    ~QPaintGraphics() override;

    const PAINTSTRUCT& GetPaintStruct() const { return paint; }

private:
    HWND window;
    PAINTSTRUCT paint;
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
