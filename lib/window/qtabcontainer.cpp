#include "window/qtabcontainer.h"

#include <algorithm>

#include "window/qgraphics.h"
#include "window/qtheme.h"

namespace kiln {
namespace qwin {

namespace {
const int kCornerRadius = 5;

void FrameRounded(HDC dc, const RECT& rect, COLORREF fill, COLORREF border) {
    QBrush brush(CreateSolidBrush(fill));
    QPen pen(CreatePen(PS_SOLID, 1, border));
    QSelectObject brushIn(dc, brush.Get());
    QSelectObject penIn(dc, pen.Get());
    // The bottom corners sink below the strip so that only the top is round.
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom + kCornerRadius, kCornerRadius, kCornerRadius);
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

bool QTabContainer::OnCreate() {
    font.Reset(CreateMenuFont());
    return false;
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

QWindow* QTabContainer::GetActivePage() const {
    return active >= 0 ? tabs[active]->page.get() : nullptr;
}

void QTabContainer::OnTabChanged() {}

void QTabContainer::Activate(unsigned index) {
    if (index >= tabs.GetCount() || static_cast<int>(index) == active) return;
    const HWND shown = tabs[index]->page->GetHandle();
    ShowWindow(shown, SW_SHOW);
    if (active >= 0) ShowWindow(tabs[active]->page->GetHandle(), SW_HIDE);
    active = static_cast<int>(index);
    SetFocus(shown);
    Layout();
    OnTabChanged();
}

void QTabContainer::Layout() {
    RECT client;
    if (!handle || tabs.GetCount() == 0 || !GetClientRect(handle, &client) || IsRectEmpty(&client)) return;
    const int count = static_cast<int>(tabs.GetCount());
    int width = (client.right - 2 * kMargin) / count;
    if (flags & kCapTabWidth) width = std::min(width, kMaxTabWidth);
    for (int i = 0; i < count; ++i) {
        const int x = kMargin + i * (width - 1);
        RECT& rect = tabs[i]->rect;
        if (i == active) {
            rect = RECT{x - 1, kMargin - 1, x + width + 1, stripHeight};
        } else {
            rect = RECT{x, kMargin, x + width, stripHeight};
        }
        SetWindowPos(tabs[i]->page->GetHandle(), nullptr, client.left + 1, stripHeight, client.right - 2,
                     client.bottom - stripHeight - 1, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(handle, nullptr, TRUE);
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
    RECT band = {client.left, stripHeight - 1, client.right, client.bottom};
    buffer.FillSolidRect(band, theme.GetActiveBand());
    RECT strip = {client.left, client.top, client.right, stripHeight - 1};
    buffer.FillSolidRect(strip, theme.GetStripBackground());

    QSelectObject fontIn(buffer, font.Get());
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, theme.GetText());
    // The active tab is drawn last, over its neighbours' overlapping edges.
    for (unsigned pass = 0; pass < 2; ++pass) {
        for (unsigned i = 0; i < tabs.GetCount(); ++i) {
            const bool isActive = static_cast<int>(i) == active;
            if (isActive != (pass == 1)) continue;
            const QTab& tab = *tabs[i];
            FrameRounded(buffer, tab.rect, isActive ? theme.GetActiveTabFill() : theme.GetTabFill(),
                         isActive ? theme.GetActiveTabBorder() : theme.GetTabBorder());
            RECT text = tab.rect;
            InflateRect(&text, -6, 0);
            DrawTextW(buffer, tab.title.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    return true;
}

bool QTabContainer::OnSetFocus(HWND) {
    if (QWindow* page = GetActivePage()) SetFocus(page->GetHandle());
    return true;
}

bool QTabContainer::OnLButtonDown(UINT, POINT* point) {
    // With the last tab kept, a single tab offers nothing to click.
    if ((flags & kKeepLastTab) && tabs.GetCount() == 1) return true;
    for (unsigned i = 0; i < tabs.GetCount(); ++i) {
        if (PtInRect(&tabs[i]->rect, *point)) {
            Activate(i);
            break;
        }
    }
    return true;
}

}  // namespace qwin
}  // namespace kiln
