#include "window/qimage_list.h"

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

}  // namespace qwin
}  // namespace kiln
