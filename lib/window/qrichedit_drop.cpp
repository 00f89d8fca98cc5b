// Files dropped on the control. Some versions of the control take the drop
// without telling their parent; the notification is made here, as the
// control documents it, so that a drop behaves the same everywhere.

#include "window/qrichedit.h"

#include <commctrl.h>
#include <shellapi.h>

namespace kiln {
namespace qwin {

LRESULT CALLBACK QRichEdit::DropFilesProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR) {
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(window, DropFilesProc, id);
    if (msg != WM_DROPFILES || !(SendMessageW(window, EM_GETEVENTMASK, 0, 0) & ENM_DROPFILES)) {
        return DefSubclassProc(window, msg, wParam, lParam);
    }
    const HDROP drop = reinterpret_cast<HDROP>(wParam);
    ENDROPFILES notice = {};
    notice.nmhdr.hwndFrom = window;
    notice.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
    notice.nmhdr.code = EN_DROPFILES;
    notice.hDrop = drop;
    POINT point = {0, 0};
    DragQueryPoint(drop, &point);
    POINTL at = {point.x, point.y};
    notice.cp = static_cast<LONG>(SendMessageW(window, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
    // The parent owns the drop from here and releases it.
    SendMessageW(GetParent(window), WM_NOTIFY, notice.nmhdr.idFrom, reinterpret_cast<LPARAM>(&notice));
    return 0;
}

}  // namespace qwin
}  // namespace kiln
