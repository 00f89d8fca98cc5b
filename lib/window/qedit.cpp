#include "window/qedit.h"

namespace kiln {
namespace qwin {

const wchar_t* QEdit::GetClassName() const {
    return L"EDIT";
}

bool QEdit::PreCreateWindow(CREATESTRUCTW& create) {
    QWindow::PreCreateWindow(create);
    create.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_WANTRETURN | ES_MULTILINE;
    create.dwExStyle = WS_EX_CLIENTEDGE;
    return true;
}

bool QEdit::Create(HWND parent, const RECT& rect, int id, DWORD style) {
    return CreateEx(0, GetClassName(), L"", style | WS_CHILD | WS_VISIBLE, rect, parent, id,
                    GetModuleHandleW(nullptr));
}

}  // namespace qwin
}  // namespace kiln
