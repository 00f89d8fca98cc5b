#include "app/search/search_panel.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <utility>

#include "window/display_scale.h"
#include "resources/command_ids.h"
#include "window/qgraphics.h"
#include "window/ui_colors.h"

using kiln::qstd::QObArray;
using kiln::qstd::QString;
using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QPen;
using kiln::qwin::QSelectObject;
using kiln::qwin::QWindow;
using kiln::qwin::ScaleX;
using kiln::qwin::ScaleY;
using kiln::qwin::PartColor;
using kiln::qwin::UiPart;

namespace {
// At 96 pixels per inch.
const int kTitleBand = 48;
const int kTitleFontHeight = 30;
const int kCloseSize = 15;
const int kCloseRight = 17;
const int kCloseTop = 5;
// The panel's own message: put the next batch of results into the list.
const UINT kInsertMoreResults = WM_APP + 1;
// Small enough that a batch never keeps the window from its messages for
// long, large enough that a few thousand results are in at once.
const unsigned kResultBatch = 400;
}  // namespace

bool SearchBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_PAINT) return false;
    return QEdit::OnMessage(msg, wParam, lParam, result);
}

bool SearchBox::OnKeyDown(UINT key, UINT, LPARAM lParam) {
    if (key != VK_UP && key != VK_DOWN) return false;
    SendMessageW(panel.GetHandle(), WM_KEYDOWN, key, lParam);
    return true;
}

bool SearchBox::OnKeyUp(UINT key, UINT, LPARAM lParam) {
    if (key != VK_ESCAPE) return false;
    SendMessageW(panel.GetHandle(), WM_KEYUP, key, lParam);
    return true;
}

SearchPanel::SearchPanel() : searchBox(*this) {}

SearchPanel::~SearchPanel() {
    // The result list draws with the image list: the window goes first.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
}

const wchar_t* SearchPanel::GetClassName() const {
    return L"MySearchPanel";
}

bool SearchPanel::PreRegisterClass(WNDCLASSW& windowClass) {
    QWindow::PreRegisterClass(windowClass);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    return true;
}

bool SearchPanel::PreCreateWindow(CREATESTRUCTW& create) {
    QWindow::PreCreateWindow(create);
    create.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return true;
}

bool SearchPanel::OnCreate() {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    searchBox.CreateEx(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, RECT{0, 0, 0, 0}, handle,
                       IDC_SEARCH_BOX, module);
    searchBox.Subclass();
    strip.Reset(static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(IDB_CARD_TREE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    resultList = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | TVS_HASBUTTONS |
                                     TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT,
                                 0, 0, 0, 0, handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SEARCH_RESULTS)),
                                 module, nullptr);
    SendMessageW(resultList, TVM_SETEXTENDEDSTYLE, 0,
                 TVS_EX_DOUBLEBUFFER | TVS_EX_RICHTOOLTIP | TVS_EX_AUTOHSCROLL | TVS_EX_FADEINOUTEXPANDOS);
    SetWindowTheme(resultList, L"explorer", nullptr);
    ApplyDisplayScale();
    return false;
}

void SearchPanel::ApplyDisplayScale() {
    font.Reset(kiln::qwin::CreateMenuFont());
    titleFont.Reset(CreateFontW(ScaleY(kTitleFontHeight), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                0, 0, 0, 0, L"Segoe UI"));
    SendMessageW(searchBox.GetHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    SendMessageW(resultList, TVM_SETITEMHEIGHT, ScaleY(22), 0);
    // The list draws with the old images until it holds the new ones.
    kiln::qwin::QImageList scaled;
    if (scaled.CreateScaledFromBitmap(16, 13, ScaleX(16), ScaleY(13), ILC_COLOR32 | ILC_MASK | ILC_HIGHQUALITYSCALE,
                                      strip.Get(), RGB(0, 0, 0))) {
        SendMessageW(resultList, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(scaled.Get()));
        images.Reset(scaled.Detach());
    }
    RECT client;
    GetClientRect(handle, &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
}

bool SearchPanel::OnSize(UINT, int cx, int cy) {
    const int h = ScaleY(22), d = h + ScaleY(4);
    MoveWindow(searchBox.GetHandle(), 0, d + 12, cx, h, TRUE);
    MoveWindow(resultList, 0, 2 * d + 12, cx, cy - (2 * d + 12), TRUE);
    InvalidateRect(handle, nullptr, TRUE);
    return true;
}

RECT SearchPanel::CloseBox() const {
    RECT client;
    GetClientRect(handle, &client);
    const int left = client.right - ScaleX(kCloseRight), top = ScaleY(kCloseTop);
    return RECT{left, top, left + ScaleX(kCloseSize), top + ScaleY(kCloseSize)};
}

bool SearchPanel::OnEraseBackground(QGraphics&) {
    return true;
}

bool SearchPanel::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, PartColor(UiPart::Pane));
    {
        QSelectObject fontIn(buffer, titleFont.Get());
        SetBkMode(buffer, TRANSPARENT);
        SetTextColor(buffer, PartColor(UiPart::PaneText));
        RECT band = {0, 0, client.right, ScaleY(kTitleBand)};
        DrawTextW(buffer, L"Search", -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    const RECT box = CloseBox();
    QPen pen(CreatePen(PS_SOLID, 2, PartColor(closeHot ? UiPart::PaneMarkHot : UiPart::PaneMark)));
    QSelectObject penIn(buffer, pen.Get());
    MoveToEx(buffer, box.left + 3, box.top + 3, nullptr);
    LineTo(buffer, box.right - 3, box.bottom - 3);
    MoveToEx(buffer, box.right - 3, box.top + 3, nullptr);
    LineTo(buffer, box.left + 3, box.bottom - 3);
    return true;
}

bool SearchPanel::OnMouseMove(UINT, POINT* point) {
    if (!trackingLeave) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, handle, 0};
        trackingLeave = TrackMouseEvent(&track) != FALSE;
    }
    const RECT box = CloseBox();
    const bool over = PtInRect(&box, *point) != FALSE;
    if (over != closeHot) {
        closeHot = over;
        InvalidateRect(handle, &box, FALSE);
    }
    return true;
}

bool SearchPanel::OnMouseLeave() {
    trackingLeave = false;
    if (closeHot) {
        closeHot = false;
        const RECT box = CloseBox();
        InvalidateRect(handle, &box, FALSE);
    }
    return true;
}

bool SearchPanel::OnLButtonUp(UINT, POINT* point) {
    const RECT box = CloseBox();
    if (PtInRect(&box, *point)) Notify(IDC_SEARCH_PANEL, 0, 0);
    return true;
}

bool SearchPanel::OnSetFocus(HWND) {
    const HWND box = searchBox.GetHandle();
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    return true;
}

bool SearchPanel::OnKeyDown(UINT key, UINT, LPARAM lParam) {
    if (key != VK_UP && key != VK_DOWN) return false;
    // Not every tree control steps from "no selection" to the first item.
    if (!SendMessageW(resultList, TVM_GETNEXTITEM, TVGN_CARET, 0)) {
        const LPARAM first = SendMessageW(resultList, TVM_GETNEXTITEM, TVGN_ROOT, 0);
        if (first) SendMessageW(resultList, TVM_SELECTITEM, TVGN_CARET, first);
        return true;
    }
    SendMessageW(resultList, WM_KEYDOWN, key, lParam);
    return true;
}

bool SearchPanel::OnKeyUp(UINT key, UINT, LPARAM) {
    if (key != VK_ESCAPE) return false;
    Notify(IDC_SEARCH_PANEL, 0, 0);
    return true;
}

bool SearchPanel::OnCommand(int id, int code, HWND) {
    if (id != IDC_SEARCH_BOX || code != EN_CHANGE) return false;
    searchBox.GetText(searchText);
    ClearResults();
    if (!searchText.IsEmpty()) Notify(IDC_SEARCH_BOX, SEARCH_RUN, reinterpret_cast<LPARAM>(searchBox.GetHandle()));
    return true;
}

bool SearchPanel::OnNotify(int controlId, NMHDR* header, LRESULT* result) {
    if (controlId != IDC_SEARCH_RESULTS || clearing) return false;
    *result = 0;
    switch (header->code) {
    case TVN_SELCHANGINGW: Notify(IDC_SEARCH_RESULTS, SEARCH_RESULT_CHANGING, 0); return true;
    case TVN_SELCHANGEDW: Notify(IDC_SEARCH_RESULTS, SEARCH_RESULT_CHOSEN, 0); return true;
    default: return false;
    }
}

bool SearchPanel::OnUserMessage(UINT msg, WPARAM, LPARAM, LRESULT*) {
    if (msg != kInsertMoreResults) return false;
    InsertPendingResults();
    return true;
}

void SearchPanel::Notify(int id, int code, LPARAM lParam) {
    SendMessageW(GetParent(handle), WM_COMMAND, MAKEWPARAM(id, code), lParam);
}

void SearchPanel::ClearResults() {
    pending.RemoveAll();
    pendingNext = 0;
    pendingText.Empty();
    shownText.Empty();
    clearing = true;
    SendMessageW(resultList, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    clearing = false;
}

void SearchPanel::Reset() {
    searchText.Empty();
    ClearResults();
    // Its change notification finds the text empty and asks for no search.
    searchBox.SetText(L"");
}

void SearchPanel::ShowResults(const QString& text, QObArray<SearchResult> results) {
    if (text != searchText) return;
    ClearResults();
    pending = std::move(results);
    pendingText = text;
    InsertPendingResults();
}

void SearchPanel::InsertPendingResults() {
    // The search text changed since these results were found.
    if (pendingText.IsEmpty() || pendingText != searchText) return;
    const unsigned end = pendingNext + kResultBatch < pending.GetCount() ? pendingNext + kResultBatch
                                                                         : pending.GetCount();
    SendMessageW(resultList, WM_SETREDRAW, FALSE, 0);
    for (; pendingNext < end; ++pendingNext) {
        const SearchResult& result = *pending[pendingNext];
        // A card whose id does not fit an item cannot be chosen; the card
        // tree shows the same refusal for it.
        if (!fitsItemValue(result.id)) continue;
        TVINSERTSTRUCTW insert = {};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(result.title.c_str());
        insert.item.iImage = 0;
        insert.item.iSelectedImage = 1;
        insert.item.lParam = static_cast<LPARAM>(cardIdToItemValue(result.id));
        SendMessageW(resultList, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    }
    SendMessageW(resultList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(resultList, nullptr, TRUE);
    if (pendingNext < pending.GetCount()) {
        PostMessageW(handle, kInsertMoreResults, 0, 0);
        return;
    }
    shownText = pendingText;
    pending.RemoveAll();
    pendingNext = 0;
    pendingText.Empty();
}

bool SearchPanel::GetSelectedResult(CardId& id, QString& title) const {
    const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(resultList, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return false;
    // As long a label as the card tree shows.
    wchar_t label[1024] = {};
    TVITEMW data = {};
    data.mask = TVIF_PARAM | TVIF_HANDLE | TVIF_TEXT;
    data.hItem = item;
    data.pszText = label;
    data.cchTextMax = static_cast<int>(sizeof label / sizeof label[0]);
    if (!SendMessageW(resultList, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return false;
    id = cardIdFromItemValue(static_cast<uint32_t>(data.lParam));
    title = label;
    return true;
}

bool SearchPanel::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) {
    return accessible.Answer(handle, flags, objectId, result);
}

kiln::qstd::QString SearchPanel::AccessibleName() const {
    return L"Search";
}

long SearchPanel::AccessibleRole() const {
    return ROLE_SYSTEM_PANE;
}

int SearchPanel::AccessiblePartCount() const {
    return 1;
}

kiln::qwin::AccessiblePart SearchPanel::AccessiblePartAt(int) const {
    kiln::qwin::AccessiblePart part;
    part.name = L"Close search";
    part.rect = CloseBox();
    part.state = closeHot ? STATE_SYSTEM_HOTTRACKED : 0;
    part.defaultAction = L"Press";
    return part;
}

bool SearchPanel::DoAccessibleAction(int) {
    Notify(IDC_SEARCH_PANEL, 0, 0);
    return true;
}
