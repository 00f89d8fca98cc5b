#include "app/card_tree_view.h"

#include <uxtheme.h>

#include "app/display_scale.h"
#include "core/qarray.h"
#include "resources/command_ids.h"

using kiln::qstd::QArray;
using kiln::qstd::QString;
using kiln::qwin::QWindow;

namespace {
const DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TVS_HASBUTTONS | TVS_LINESATROOT |
                         TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_TRACKSELECT;
const DWORD kExtendedStyle = TVS_EX_DOUBLEBUFFER | TVS_EX_RICHTOOLTIP | TVS_EX_AUTOHSCROLL;
const int kTitleLength = 260;
}  // namespace

CardTreeView::~CardTreeView() {
    // The control must go before the image list it draws with.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
}

bool CardTreeView::Create(QWindow* parent, int id, DWORD style) {
    // The class must exist before it is looked up, or a class of that name
    // would be registered in its place.
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    const RECT empty = {0, 0, 0, 0};
    if (!CreateEx(0, WC_TREEVIEWW, L"", style, empty, parent ? parent->GetHandle() : nullptr, id,
                  GetModuleHandleW(nullptr))) {
        return false;
    }
    return Subclass();
}

bool CardTreeView::CreateTree(QWindow& parent, bool treeLines) {
    if (!Create(&parent, kControlId, kTreeStyle | (treeLines ? TVS_HASLINES : 0))) return false;
    SendMessageW(handle, TVM_SETEXTENDEDSTYLE, 0,
                 kExtendedStyle | (treeLines ? 0 : TVS_EX_FADEINOUTEXPANDOS));
    SendMessageW(handle, TVM_SETITEMHEIGHT, ScaleY(22), 0);
    SetWindowTheme(handle, L"explorer", nullptr);
    strip.Reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_CARD_TREE),
                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (images.CreateFromBitmap(16, 16, ILC_COLOR32 | ILC_MASK | ILC_HIGHQUALITYSCALE, 2, 2, strip.Get(),
                                RGB(0, 0, 0))) {
        SendMessageW(handle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images.Get()));
    }
    return true;
}

bool CardTreeView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_PAINT) return false;
    return QWindow::OnMessage(msg, wParam, lParam, result);
}

void CardTreeView::Fill(const CardTree& cards) {
    // Every id must fit an item before the tree changes at all.
    for (unsigned i = 0; i < cards.getCount(); ++i) cardIdToItemValue(cards.getCard(i).id);
    SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    DeleteAll();
    // The last item inserted at each depth: the parent of the next deeper one.
    QArray<HTREEITEM> parents;
    for (unsigned i = 0; i < cards.getCount(); ++i) {
        const int depth = cards.getDepth(i);
        const CardRow& card = cards.getCard(i);
        const HTREEITEM parent = depth == 0 ? TVI_ROOT : parents[depth - 1];
        const HTREEITEM item = InsertItem(card.title.c_str(), parent, card.id);
        if (static_cast<unsigned>(depth) < parents.GetCount()) {
            parents[depth] = item;
        } else {
            parents.Add(item);
        }
    }
    SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle, nullptr, TRUE);
}

void CardTreeView::DeleteAll() {
    SendMessageW(handle, TVM_SELECTITEM, TVGN_CARET, 0);
    SendMessageW(handle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
}

HTREEITEM CardTreeView::InsertItem(const wchar_t* text, HTREEITEM parent, CardId cardId) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.iImage = 0;
    insert.item.iSelectedImage = 1;
    insert.item.lParam = cardIdToItemValue(cardId);
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM CardTreeView::GetSelectedItem() const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

HTREEITEM CardTreeView::GetFirstVisible() const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
}

CardId CardTreeView::GetCardId(HTREEITEM item) const {
    TVITEMW data = {};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!item || !SendMessageW(handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return 0;
    return cardIdFromItemValue(static_cast<uint32_t>(data.lParam));
}

QString CardTreeView::GetItemText(HTREEITEM item) const {
    wchar_t buffer[kTitleLength] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = buffer;
    data.cchTextMax = kTitleLength;
    if (!item || !SendMessageW(handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return QString();
    return QString(buffer);
}

bool CardTreeView::SelectItem(HTREEITEM item) {
    return SendMessageW(handle, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

HTREEITEM CardTreeView::ChildOf(HTREEITEM item) const {
    if (item == TVI_ROOT) return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CardTreeView::NextOf(HTREEITEM item) const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CardTreeView::FindItemByCardId(CardId id, HTREEITEM start) const {
    for (HTREEITEM child = ChildOf(start); child; child = NextOf(child)) {
        if (GetCardId(child) == id) return child;
        const HTREEITEM below = FindItemByCardId(id, child);
        if (below != TVI_ROOT) return below;
    }
    return TVI_ROOT;
}

int CardTreeView::GetCount() const {
    return static_cast<int>(SendMessageW(handle, TVM_GETCOUNT, 0, 0));
}
