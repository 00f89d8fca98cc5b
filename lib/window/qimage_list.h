#pragma once

#include <windows.h>

#include <commctrl.h>

namespace kiln {
namespace qwin {

// Owner of an image list. A control keeps using the list it was given, so
// the owner outlives the control (it is declared before it).
class QImageList {
public:
    QImageList() = default;
    QImageList(const QImageList&) = delete;
    QImageList& operator=(const QImageList&) = delete;
    ~QImageList() {
        if (list) ImageList_Destroy(list);
    }

    // A list of width x height images cut from a bitmap strip of the
    // program's resources, with `mask` as the transparent colour.
    bool CreateFromBitmap(int width, int height, UINT flags, int initial, int grow, HBITMAP strip, COLORREF mask);
    // The same with every image stretched to scaledWidth x scaledHeight. Each
    // pixel is copied whole, never blended, so the transparent colour stays
    // exact at the edges.
    bool CreateScaledFromBitmap(int width, int height, int scaledWidth, int scaledHeight, UINT flags, HBITMAP strip,
                                COLORREF mask);
    HIMAGELIST Get() const { return list; }
    // Gives up the list without destroying it.
    HIMAGELIST Detach() {
        HIMAGELIST held = list;
        list = nullptr;
        return held;
    }
    // Takes over a list made elsewhere (a drag image), releasing the one held.
    void Reset(HIMAGELIST other = nullptr) {
        if (list) ImageList_Destroy(list);
        list = other;
    }

private:
    HIMAGELIST list = nullptr;
};

}  // namespace qwin
}  // namespace kiln
