#include "app/tree/card_tree_view.h"

#include <uxtheme.h>

#include <cstring>

#include "window/display_scale.h"
#include "resources/command_ids.h"

using kiln::qstd::QString;
using kiln::qwin::QWindow;
using kiln::qwin::ScaleX;
using kiln::qwin::ScaleY;

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
    if (!Create(&parent, IDC_CARD_TREE, kTreeStyle | (treeLines ? TVS_HASLINES : 0))) return false;
    SendMessageW(handle, TVM_SETEXTENDEDSTYLE, 0,
                 kExtendedStyle | (treeLines ? 0 : TVS_EX_FADEINOUTEXPANDOS));
    SetWindowTheme(handle, L"explorer", nullptr);
    strip.Reset(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_CARD_TREE),
                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ApplyDisplayScale();
    return true;
}

void CardTreeView::ApplyDisplayScale() {
    SendMessageW(handle, TVM_SETITEMHEIGHT, ScaleY(22), 0);
    // The control keeps drawing with the list it holds until it gets the
    // new one: the old list goes only after that.
    kiln::qwin::QImageList scaled;
    if (!scaled.CreateScaledFromBitmap(16, 16, ScaleX(16), ScaleY(16), ILC_COLOR32 | ILC_MASK | ILC_HIGHQUALITYSCALE,
                                       strip.Get(), RGB(0, 0, 0))) {
        return;
    }
    SendMessageW(handle, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(scaled.Get()));
    images.Reset(scaled.Detach());
}

void CardTreeView::AddLevel(HTREEITEM parent, const kiln::qstd::QObArray<CardNode>& cards) {
    for (unsigned i = 0; i < cards.GetCount(); ++i) cardIdToItemValue(cards[i]->id);
    SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    for (unsigned i = 0; i < cards.GetCount(); ++i) {
        InsertItem(cards[i]->title.c_str(), parent, cards[i]->id, cards[i]->hasChildren);
    }
    SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle, nullptr, TRUE);
}

bool CardTreeView::SaysHasChildren(HTREEITEM item) const {
    TVITEMW data = {};
    data.mask = TVIF_CHILDREN;
    data.hItem = item;
    return item && SendMessageW(handle, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) && data.cChildren > 0;
}

// An item whose button promises children it does not hold has not been read yet.
bool CardTreeView::LevelPending(HTREEITEM item) const {
    return item != TVI_ROOT && SaysHasChildren(item) && !GetChildItem(item);
}

void CardTreeView::SetHasChildren(HTREEITEM item, bool hasChildren) {
    TVITEMW data = {};
    data.mask = TVIF_CHILDREN;
    data.hItem = item;
    data.cChildren = hasChildren ? 1 : 0;
    SendMessageW(handle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void CardTreeView::DeleteItem(HTREEITEM item) {
    SendMessageW(handle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

void CardTreeView::SetLines(bool treeLines) {
    LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
    style = treeLines ? (style | TVS_HASLINES | WS_BORDER) : (style & ~static_cast<LONG_PTR>(TVS_HASLINES | WS_BORDER));
    SetWindowLongPtrW(handle, GWL_STYLE, style);
    SendMessageW(handle, TVM_SETEXTENDEDSTYLE, 0, kExtendedStyle | (treeLines ? 0 : TVS_EX_FADEINOUTEXPANDOS));
    SetWindowPos(handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    InvalidateRect(handle, nullptr, TRUE);
}

void CardTreeView::DeleteAll() {
    SendMessageW(handle, TVM_SELECTITEM, TVGN_CARET, 0);
    SendMessageW(handle, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    itemsByCard.clear();
}

HTREEITEM CardTreeView::InsertItem(const wchar_t* text, HTREEITEM parent, CardId cardId, bool hasChildren) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.iImage = 0;
    insert.item.iSelectedImage = 1;
    insert.item.lParam = cardIdToItemValue(cardId);
    const HTREEITEM item =
        reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item && parent != TVI_ROOT) SetHasChildren(parent, true);
    if (item) itemsByCard[cardId] = item;
    return item;
}

HTREEITEM CardTreeView::GetSelectedItem() const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

HTREEITEM CardTreeView::GetDropTarget() const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
}

HTREEITEM CardTreeView::GetParentItem(HTREEITEM item) const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
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

void CardTreeView::SetItemText(HTREEITEM item, const QString& text) {
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(handle, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

bool CardTreeView::SelectItem(HTREEITEM item) {
    return SendMessageW(handle, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

void CardTreeView::SetDropTarget(HTREEITEM item) {
    SendMessageW(handle, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
}

void CardTreeView::Expand(HTREEITEM item) {
    SendMessageW(handle, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

HTREEITEM CardTreeView::HitTest(POINT point) const {
    // Anywhere on an item's row counts, beside its label as well as on it.
    TVHITTESTINFO hit = {};
    hit.pt = point;
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

HWND CardTreeView::EditLabel(HTREEITEM item) {
    // The control edits only while it has the focus.
    SetFocus(handle);
    return reinterpret_cast<HWND>(SendMessageW(handle, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)));
}

HWND CardTreeView::GetEditControl() const {
    return reinterpret_cast<HWND>(SendMessageW(handle, TVM_GETEDITCONTROL, 0, 0));
}

bool CardTreeView::IsDropAllowed(HTREEITEM target, HTREEITEM dragged) const {
    if (!target) return false;
    if (target == TVI_ROOT) return true;
    for (HTREEITEM item = target; item; item = GetParentItem(item)) {
        if (item == dragged) return false;
    }
    return true;
}

HTREEITEM CardTreeView::CopySubtree(HTREEITEM dragged, HTREEITEM target, CardId draggedId) {
    const HTREEITEM copy = InsertItem(GetItemText(dragged).c_str(), target, draggedId, SaysHasChildren(dragged));
    if (copy) CopyChildren(dragged, copy);
    return copy;
}

void CardTreeView::CopyChildren(HTREEITEM from, HTREEITEM to) {
    for (HTREEITEM child = GetChildItem(from); child; child = GetNextItem(child)) {
        const HTREEITEM copy = InsertItem(GetItemText(child).c_str(), to, GetCardId(child), SaysHasChildren(child));
        if (copy) CopyChildren(child, copy);
    }
}

HTREEITEM CardTreeView::GetChildItem(HTREEITEM item) const {
    if (item == TVI_ROOT) return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CardTreeView::GetNextItem(HTREEITEM item) const {
    return reinterpret_cast<HTREEITEM>(SendMessageW(handle, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CardTreeView::GetPreviousItem(HTREEITEM item) const {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(handle, TVM_GETNEXTITEM, TVGN_PREVIOUS, reinterpret_cast<LPARAM>(item)));
}

RECT CardTreeView::GetItemScreenRect(HTREEITEM item) const {
    RECT rect = {};
    // TVM_GETITEMRECT reads the item's handle from the rectangle it fills.
    std::memcpy(&rect, &item, sizeof(item));
    if (!item || !SendMessageW(handle, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return RECT{};
    MapWindowPoints(handle, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool CardTreeView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        *result = DefWindowProcW(handle, msg, wParam, lParam);
        return true;
    default: return QWindow::OnMessage(msg, wParam, lParam, result);
    }
}

HTREEITEM CardTreeView::ItemOfCard(CardId id) const {
    const auto found = itemsByCard.find(id);
    return found == itemsByCard.end() ? nullptr : found->second;
}

void CardTreeView::OnItemDeleted(const NMTREEVIEWW& info) {
    const auto found = itemsByCard.find(cardIdFromItemValue(static_cast<uint32_t>(info.itemOld.lParam)));
    // A moved card's copy is made before its old item goes.
    if (found != itemsByCard.end() && found->second == info.itemOld.hItem) itemsByCard.erase(found);
}

int CardTreeView::GetCount() const {
    return static_cast<int>(SendMessageW(handle, TVM_GETCOUNT, 0, 0));
}

