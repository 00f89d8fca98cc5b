#include "window/qimage_list.h"

#include "window/qgdi_object.h"

namespace kiln {
namespace qwin {

bool QImageList::CreateFromBitmap(int width, int height, UINT flags, int initial, int grow, HBITMAP strip,
                                  COLORREF mask) {
    HIMAGELIST created = ImageList_Create(width, height, flags, initial, grow);
    if (!created) return false;
    if (strip && ImageList_AddMasked(created, strip, mask) < 0) {
        ImageList_Destroy(created);
        return false;
    }
    if (list) ImageList_Destroy(list);
    list = created;
    return true;
}

bool QImageList::CreateScaledFromBitmap(int width, int height, int scaledWidth, int scaledHeight, UINT flags,
                                        HBITMAP strip, COLORREF mask) {
    BITMAP source = {};
    if (!strip || !GetObjectW(strip, sizeof(source), &source) || width <= 0 || height <= 0) return false;
    const int count = source.bmWidth / width;
    if ((scaledWidth == width && scaledHeight == height) || count <= 0) {
        return CreateFromBitmap(width, height, flags, count, 2, strip, mask);
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = count * scaledWidth;
    info.bmiHeader.biHeight = scaledHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    QBitmap stretched(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!stretched.Get()) return false;
    const HDC from = CreateCompatibleDC(nullptr);
    const HDC to = CreateCompatibleDC(nullptr);
    if (from && to) {
        // The selections end before their contexts are deleted.
        QSelectObject fromIn(from, strip);
        QSelectObject toIn(to, stretched.Get());
        SetStretchBltMode(to, COLORONCOLOR);
        StretchBlt(to, 0, 0, count * scaledWidth, scaledHeight, from, 0, 0, count * width, height, SRCCOPY);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    return CreateFromBitmap(scaledWidth, scaledHeight, flags, count, 2, stretched.Get(), mask);
}

}  // namespace qwin
}  // namespace kiln
