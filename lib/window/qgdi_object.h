#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// Owner of one GDI object (font, bitmap, brush, pen): deleted when the owner
// goes. An object still selected into a device context must not be deleted,
// so selections go through QSelectObject, whose scope ends first.
template <class Handle>
class QGdiObject {
public:
    explicit QGdiObject(Handle object = nullptr) : object(object) {}
    QGdiObject(const QGdiObject&) = delete;
    QGdiObject& operator=(const QGdiObject&) = delete;
    ~QGdiObject() { Reset(); }

    void Reset(Handle replacement = nullptr) {
        if (object) DeleteObject(object);
        object = replacement;
    }
    Handle Get() const { return object; }
    explicit operator bool() const { return object != nullptr; }

private:
    Handle object;
};

using QFont = QGdiObject<HFONT>;
using QBitmap = QGdiObject<HBITMAP>;
using QBrush = QGdiObject<HBRUSH>;
using QPen = QGdiObject<HPEN>;

// Selects an object into a context for one scope and puts the previous one
// back, which must happen before the selected object is deleted.
class QSelectObject {
public:
    QSelectObject(HDC dc, HGDIOBJ object) : dc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    QSelectObject(const QSelectObject&) = delete;
    QSelectObject& operator=(const QSelectObject&) = delete;
    ~QSelectObject() {
        if (previous) SelectObject(dc, previous);
    }

private:
    HDC dc;
    HGDIOBJ previous;
};

// The menu font of the system's non-client metrics, which the program's
// custom-drawn controls use for their texts, at the display scale.
HFONT CreateMenuFont();

}  // namespace qwin
}  // namespace kiln
