#include "window/qtabcontainer.h"

#include <algorithm>

#include "window/display_scale.h"
#include "window/qgraphics.h"
#include "window/qtheme.h"

namespace kiln {
namespace qwin {

namespace {
const int kCornerRadius = 4;
// A drag moves a tab only once the pointer has gone this far.
const int kDragStep = 3;

void FrameRounded(HDC dc, const RECT& rect, COLORREF fill, COLORREF border) {
    QBrush brush(CreateSolidBrush(fill));
    QPen pen(CreatePen(PS_SOLID, 1, border));
    QSelectObject brushIn(dc, brush.Get());
    QSelectObject penIn(dc, pen.Get());
    // The bottom corners sink below the strip so that only the top is round.
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom + kCornerRadius, kCornerRadius, kCornerRadius);
}

void DrawCloseMark(HDC dc, const RECT& box, COLORREF colour) {
    QPen pen(CreatePen(PS_SOLID, 2, colour));
    QSelectObject penIn(dc, pen.Get());
    MoveToEx(dc, box.left + 2, box.top + 2, nullptr);
    LineTo(dc, box.right - 2, box.bottom - 2);
    MoveToEx(dc, box.right - 2, box.top + 2, nullptr);
    LineTo(dc, box.left + 2, box.bottom - 2);
}
}  // namespace

QTabContainer::QTabContainer(DWORD flags) : flags(flags), background(QTheme::Default().GetStripBackground()) {}

QTabContainer::~QTabContainer() {
    // The pages are children of this window: it goes first, while they exist.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
}

const wchar_t* QTabContainer::GetClassName() const {
    return L"QTAB";
}

bool QTabContainer::PreCreateWindow(CREATESTRUCTW& create) {
    QControl::PreCreateWindow(create);
    create.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    return true;
}

bool QTabContainer::PreRegisterClass(WNDCLASSW& windowClass) {
    QControl::PreRegisterClass(windowClass);
    windowClass.style |= CS_DBLCLKS;
    return true;
}

bool QTabContainer::OnCreate() {
    font.Reset(CreateMenuFont());
    return false;
}

void QTabContainer::ApplyDisplayScale(int scaledStripHeight) {
    stripHeight = scaledStripHeight;
    font.Reset(CreateMenuFont());
    Layout();
    if (handle) InvalidateRect(handle, nullptr, TRUE);
}

void QTabContainer::SetBackground(COLORREF colour) {
    background = colour;
    if (handle) InvalidateRect(handle, nullptr, TRUE);
}

bool QTabContainer::AddTab(std::unique_ptr<QWindow> page, const QString& title, int64_t value) {
    // The control id only tells pages apart; the value itself stays with the tab.
    if (!page || !page->Create(this, static_cast<int>(value), 0) || !page->GetHandle()) return false;
    QString shown = title;
    if (shown.IsEmpty()) page->GetText(shown);
    const HWND pageWindow = page->GetHandle();
    const int previous = active;
    tabs.Add(new QTab(std::move(page), shown, value));
    ShowWindow(pageWindow, SW_SHOW);
    SetFocus(pageWindow);
    if (previous >= 0) ShowWindow(tabs[previous]->page->GetHandle(), SW_HIDE);
    active = static_cast<int>(tabs.GetCount()) - 1;
    Layout();
    return true;
}

bool QTabContainer::CloseTab(unsigned index) {
    if (index >= tabs.GetCount()) return false;
    if ((flags & kKeepLastTab) && tabs.GetCount() < 2) return false;
    if (!OnTabClosing(index)) return false;
    std::unique_ptr<QWindow> page = std::move(tabs[index]->page);
    tabs.RemoveAt(index, 1);
    // Closing a tab at or before the active one moves the active index back;
    // closing the first tab while it is active keeps index 0, the tab after it.
    if (active >= 1 && active >= static_cast<int>(index)) --active;
    if (tabs.GetCount() == 0) active = -1;
    hot = -1;
    closePressed = -1;
    dragged = -1;
    if (active >= 0) {
        const HWND shown = tabs[active]->page->GetHandle();
        ShowWindow(shown, SW_SHOW);
        SetFocus(shown);
    }
    page.reset();
    Layout();
    OnTabChanged();
    return true;
}

bool QTabContainer::HasTab(int64_t value) const {
    for (unsigned i = 0; i < tabs.GetCount(); ++i) {
        if (tabs[i]->value == value) return true;
    }
    return false;
}

void QTabContainer::ActivateTab(int64_t value) {
    for (unsigned i = 0; i < tabs.GetCount(); ++i) {
        if (tabs[i]->value == value && static_cast<int>(i) != active) {
            Activate(i);
            return;
        }
    }
}

void QTabContainer::SetActiveTitle(const QString& title) {
    if (active < 0) return;
    tabs[active]->title = title;
    InvalidateRect(handle, nullptr, TRUE);
}

void QTabContainer::SetActiveValue(int64_t value) {
    if (active >= 0) tabs[active]->value = value;
}

void QTabContainer::SetTitle(int64_t value, const QString& title) {
    for (unsigned i = 0; i < tabs.GetCount(); ++i) {
        if (tabs[i]->value == value) {
            tabs[i]->title = title;
            InvalidateRect(handle, nullptr, TRUE);
            return;
        }
    }
}

void QTabContainer::SetTab(unsigned index, int64_t value, const QString& title) {
    if (index >= tabs.GetCount()) return;
    tabs[index]->value = value;
    tabs[index]->title = title;
    InvalidateRect(handle, nullptr, TRUE);
}

QWindow* QTabContainer::GetActivePage() const {
    return active >= 0 ? tabs[active]->page.get() : nullptr;
}

void QTabContainer::OnTabChanged() {}

bool QTabContainer::OnTabClosing(unsigned) {
    return true;
}

void QTabContainer::Activate(unsigned index) {
    if (index >= tabs.GetCount() || static_cast<int>(index) == active) return;
    const HWND shown = tabs[index]->page->GetHandle();
    ShowWindow(shown, SW_SHOW);
    if (active >= 0) ShowWindow(tabs[active]->page->GetHandle(), SW_HIDE);
    active = static_cast<int>(index);
    SetFocus(shown);
    Layout();
    NotifyWinEvent(EVENT_OBJECT_SELECTION, handle, OBJID_CLIENT, active + 1);
    OnTabChanged();
}

bool QTabContainer::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) {
    return accessible.Answer(handle, flags, objectId, result);
}

long QTabContainer::AccessibleRole() const {
    return ROLE_SYSTEM_PAGETABLIST;
}

int QTabContainer::AccessiblePartCount() const {
    return static_cast<int>(tabs.GetCount());
}

AccessiblePart QTabContainer::AccessiblePartAt(int index) const {
    AccessiblePart part;
    part.name = tabs[index]->title;
    part.role = ROLE_SYSTEM_PAGETAB;
    part.rect = tabs[index]->rect;
    part.state = STATE_SYSTEM_SELECTABLE | (index == active ? STATE_SYSTEM_SELECTED : 0) |
                 (index == hot ? STATE_SYSTEM_HOTTRACKED : 0);
    part.defaultAction = L"Switch";
    return part;
}

bool QTabContainer::DoAccessibleAction(int index) {
    Activate(static_cast<unsigned>(index));
    return true;
}

void QTabContainer::Layout() {
    RECT client;
    if (!handle || tabs.GetCount() == 0 || !GetClientRect(handle, &client) || IsRectEmpty(&client)) return;
    const int count = static_cast<int>(tabs.GetCount());
    const int marginX = ScaleX(kMargin), marginY = ScaleY(kMargin);
    int width = (client.right - 2 * marginX) / count;
    if (flags & kCapTabWidth) width = std::min(width, ScaleX(kMaxTabWidth));
    for (int i = 0; i < count; ++i) {
        const int x = marginX + i * (width - 1);
        RECT& rect = tabs[i]->rect;
        // The tab being dragged follows the pointer, not its slot.
        if (i == dragged) {
            rect.top = marginY - 1;
            rect.bottom = stripHeight;
        } else if (i == active) {
            rect = RECT{x - 1, marginY - 1, x + width + 1, stripHeight};
        } else {
            rect = RECT{x, marginY, x + width, stripHeight};
        }
        SetWindowPos(tabs[i]->page->GetHandle(), nullptr, client.left + 1, stripHeight, client.right - 2,
                     client.bottom - stripHeight - 1, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Repaint();
}

// The strip repaints at once, so that hover and drag follow the pointer
// without waiting for the next paint message.
void QTabContainer::Repaint() {
    RECT strip = {0, 0, 0, stripHeight};
    RECT client;
    GetClientRect(handle, &client);
    strip.right = client.right;
    InvalidateRect(handle, nullptr, TRUE);
    RedrawWindow(handle, &strip, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
}

RECT QTabContainer::CloseBox(unsigned index) const {
    const RECT& rect = tabs[index]->rect;
    const int left = rect.right - ScaleX(kCloseOffset);
    const int top = rect.top + ScaleY(4);
    return RECT{left, top, left + ScaleX(kCloseSize), top + ScaleY(kCloseSize)};
}

int QTabContainer::TabAt(POINT point, bool* onClose) const {
    if (onClose) *onClose = false;
    for (unsigned i = 0; i < tabs.GetCount(); ++i) {
        if (!PtInRect(&tabs[i]->rect, point)) continue;
        if (onClose && (flags & kCloseMarks)) {
            const RECT box = CloseBox(i);
            *onClose = PtInRect(&box, point) != 0;
        }
        return static_cast<int>(i);
    }
    return -1;
}

bool QTabContainer::OnSize(UINT, int, int) {
    Layout();
    return true;
}

bool QTabContainer::OnEraseBackground(QGraphics&) {
    return tabs.GetCount() > 0;
}

bool QTabContainer::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    const QTheme& theme = QTheme::Default();
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, background);
    RECT strip = {client.left, client.top, client.right, stripHeight};
    buffer.FillSolidRect(strip, theme.GetStripBackground());

    QSelectObject fontIn(buffer, font.Get());
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, theme.GetText());
    // The active tab is drawn last, over its neighbours' overlapping edges.
    for (unsigned pass = 0; pass < 2; ++pass) {
        for (unsigned i = 0; i < tabs.GetCount(); ++i) {
            const bool isActive = static_cast<int>(i) == active;
            if (isActive != (pass == 1)) continue;
            const bool isHot = !isActive && static_cast<int>(i) == hot;
            const QTab& tab = *tabs[i];
            FrameRounded(buffer, tab.rect,
                         isActive ? theme.GetActiveTabFill() : isHot ? theme.GetHotTabFill() : theme.GetTabFill(),
                         isActive ? theme.GetActiveTabBorder() : isHot ? theme.GetHotTabBorder() : theme.GetTabBorder());
            RECT text = tab.rect;
            InflateRect(&text, -2, -2);
            if (flags & kCloseMarks) text.right = tab.rect.right - ScaleX(kCloseOffset);
            DrawTextW(buffer, tab.title.c_str(), -1, &text,
                      DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            if (flags & kCloseMarks) {
                const bool closeHot = static_cast<int>(i) == hot && hotClose;
                DrawCloseMark(buffer, CloseBox(i), closeHot ? theme.GetHotCloseMark() : theme.GetCloseMark());
            }
        }
    }
    // The band joins the active tab to its page; the frame runs round both,
    // open where the active tab sits.
    RECT band = {client.left, stripHeight - 3, client.right, stripHeight};
    buffer.FillSolidRect(band, theme.GetActiveBand());
    QPen pen(CreatePen(PS_SOLID, 1, theme.GetActiveTabBorder()));
    QSelectObject penIn(buffer, pen.Get());
    const int top = stripHeight - 3;
    const int gapLeft = active >= 0 ? tabs[active]->rect.left + 1 : client.right - 1;
    const int gapRight = active >= 0 ? tabs[active]->rect.right - 1 : client.right - 1;
    MoveToEx(buffer, client.left, top, nullptr);
    LineTo(buffer, gapLeft, top);
    MoveToEx(buffer, gapRight, top, nullptr);
    LineTo(buffer, client.right - 1, top);
    LineTo(buffer, client.right - 1, client.bottom - 1);
    LineTo(buffer, client.left, client.bottom - 1);
    LineTo(buffer, client.left, top);
    return true;
}

bool QTabContainer::OnSetFocus(HWND) {
    if (QWindow* page = GetActivePage()) SetFocus(page->GetHandle());
    return true;
}

bool QTabContainer::OnLButtonDown(UINT, POINT* point) {
    // With the last tab kept, a single tab offers nothing to click.
    if ((flags & kKeepLastTab) && tabs.GetCount() < 2) return true;
    bool onClose = false;
    const int index = TabAt(*point, &onClose);
    if (index < 0) return true;
    if (onClose) {
        closePressed = index;
        SetCapture(handle);
        return true;
    }
    Activate(static_cast<unsigned>(index));
    if (flags & kDragToReorder) {
        dragged = index;
        lastPoint = *point;
        SetCapture(handle);
    }
    return true;
}

bool QTabContainer::OnLButtonUp(UINT, POINT* point) {
    const int pressed = closePressed;
    closePressed = -1;
    dragged = -1;
    if (GetCapture() == handle) ReleaseCapture();
    if (pressed >= 0) {
        // Only a release on the mark that was pressed closes its tab.
        bool onClose = false;
        if (TabAt(*point, &onClose) == pressed && onClose) {
            CloseTab(static_cast<unsigned>(pressed));
            return true;
        }
    }
    Layout();
    return true;
}

bool QTabContainer::OnLButtonDblClk(UINT, POINT* point) {
    const int index = TabAt(*point);
    if (index >= 0) CloseTab(static_cast<unsigned>(index));
    return true;
}

bool QTabContainer::OnMouseMove(UINT keys, POINT* point) {
    QControl::OnMouseMove(keys, point);
    if (closePressed >= 0) return true;
    if (dragged >= 0) {
        DragTo(*point);
        return true;
    }
    bool onClose = false;
    const int index = TabAt(*point, &onClose);
    if (index != hot || onClose != hotClose) {
        hot = index;
        hotClose = onClose;
        Repaint();
    }
    return true;
}

bool QTabContainer::OnMouseLeave() {
    QControl::OnMouseLeave();
    hot = -1;
    hotClose = false;
    Repaint();
    return true;
}

void QTabContainer::DragTo(POINT point) {
    int dx = point.x - lastPoint.x;
    if (dx > -kDragStep && dx < kDragStep) return;
    lastPoint = point;
    RECT client;
    GetClientRect(handle, &client);
    RECT& rect = tabs[dragged]->rect;
    const int width = rect.right - rect.left;
    dx = std::max(dx, ScaleX(kMargin) - static_cast<int>(rect.left));
    dx = std::min(dx, static_cast<int>(client.right) - ScaleX(kMargin) - static_cast<int>(rect.right));
    // A tab held near its trailing edge does not move back under the pointer.
    const int threshold = static_cast<int>(width * 0.1);
    if (dx < 0 && point.x > rect.right - threshold) return;
    if (dx > 0 && point.x < rect.left + threshold) return;
    OffsetRect(&rect, dx, 0);
    int swapWith = -1;
    const unsigned count = tabs.GetCount();
    if (dx > 0 && static_cast<unsigned>(dragged) + 1 < count && rect.right > tabs[dragged + 1]->rect.left + width / 2) {
        swapWith = dragged + 1;
    } else if (dx < 0 && dragged > 0 && rect.left < tabs[dragged - 1]->rect.right - width / 2) {
        swapWith = dragged - 1;
    }
    if (swapWith >= 0) {
        std::swap(*tabs[dragged], *tabs[swapWith]);
        // The dragged tab keeps following the pointer under its new index.
        std::swap(tabs[dragged]->rect, tabs[swapWith]->rect);
        dragged = swapWith;
        active = swapWith;
        Layout();
        return;
    }
    Repaint();
}

}  // namespace qwin
}  // namespace kiln
