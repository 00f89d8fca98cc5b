#include "app/frame/caption_bar.h"

#include <initializer_list>

#include "window/display_scale.h"
#include "window/qgraphics.h"
#include "window/ui_colors.h"

using kiln::qstd::QString;
using kiln::qwin::QBrush;
using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QPen;
using kiln::qwin::QSelectObject;
using kiln::qwin::QWindow;
using kiln::qwin::ScaleX;
using kiln::qwin::ScaleY;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;
using kiln::qwin::PartColor;
using kiln::qwin::UiPart;

namespace {

// At 96 pixels per inch.
const int kTextLeft = 33;
const int kTextTop = 5;

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour) {
    QPen pen(CreatePen(PS_SOLID, 1, colour));
    QSelectObject penIn(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Outline(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    QPen pen(CreatePen(PS_SOLID, 1, colour));
    QSelectObject penIn(dc, pen.Get());
    QSelectObject brushIn(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, left, top, right, bottom);
}

}  // namespace

CaptionBar::CaptionBar(QWindow& owner) : owner(owner) {}

CaptionBar::~CaptionBar() = default;

const wchar_t* CaptionBar::GetClassName() const {
    return L"CaptionBar";
}

bool CaptionBar::OnCreate() {
    font.Reset(kiln::qwin::CreateMenuFont());
    return false;
}

bool CaptionBar::OnSize(UINT, int cx, int) {
    const CaptionButtons at = ComputeCaptionButtons(cx, scaleX, scaleY);
    buttons[Minimise] = at.minimise;
    buttons[Maximise] = at.maximise;
    buttons[Close] = at.close;
    textRect = RECT{ScaleX(kTextLeft), ScaleY(kTextTop), at.close.left, at.close.bottom};
    return true;
}

void CaptionBar::ApplyDisplayScale() {
    font.Reset(kiln::qwin::CreateMenuFont());
    RECT client;
    GetClientRect(handle, &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
    InvalidateRect(handle, nullptr, FALSE);
}

void CaptionBar::SetTitle(const QString& text) {
    if (wcscmp(title.c_str(), text.c_str()) == 0) return;
    title = text;
    if (!handle) return;
    // Also the window's text, for whatever reads windows rather than pixels.
    SetWindowTextW(handle, title.c_str());
    InvalidateRect(handle, nullptr, FALSE);
}

bool CaptionBar::OnEraseBackground(QGraphics&) {
    return true;
}

bool CaptionBar::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, PartColor(UiPart::Caption));
    {
        QSelectObject fontIn(buffer, font.Get());
        SetBkMode(buffer, TRANSPARENT);
        SetTextColor(buffer, PartColor(UiPart::CaptionText));
        RECT text = textRect;
        DrawTextW(buffer, title.c_str(), -1, &text,
                  DT_CENTER | DT_SINGLELINE | DT_WORD_ELLIPSIS | DT_NOPREFIX);
    }
    for (int b = 0; b < kButtonCount; ++b) DrawButton(buffer, static_cast<Button>(b));
    return true;
}

void CaptionBar::DrawButton(HDC dc, Button button) const {
    const RECT& r = buttons[button];
    bool anyPressed = false;
    for (bool p : pressed) anyPressed = anyPressed || p;
    const bool hot = hovered[button] && (!anyPressed || pressed[button]);
    if (hot) {
        UiPart fill;
        if (button == Close) {
            fill = pressed[button] ? UiPart::CloseButtonPressed : UiPart::CloseButtonHot;
        } else {
            fill = pressed[button] ? UiPart::CaptionButtonPressed : UiPart::CaptionButtonHot;
        }
        QBrush brush(CreateSolidBrush(PartColor(fill)));
        FillRect(dc, &r, brush.Get());
    }
    const COLORREF glyph = PartColor(hot ? UiPart::CaptionGlyphHot : UiPart::CaptionText);
    const int x = r.left;
    switch (button) {
    case Minimise: {
        const int y = ScaleY(14);
        Line(dc, x + ScaleX(17), y, x + ScaleX(27), y, glyph);
        break;
    }
    case Maximise: {
        const int left = x + ScaleX(17), top = ScaleY(9), right = x + ScaleX(27), bottom = ScaleY(19);
        if (IsZoomed(owner.GetHandle())) {
            // The window behind: only its edges that show above and right.
            Line(dc, left + 2, top - 2, right + 2, top - 2, glyph);
            Line(dc, right + 1, top - 2, right + 1, bottom - 2, glyph);
        }
        Outline(dc, left, top, right, bottom, glyph);
        break;
    }
    default: {
        const int half = ScaleY(5);
        const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        const COLORREF stroke = PartColor(pressed[Close]   ? UiPart::CloseEdgePressed
                                          : hovered[Close] ? UiPart::CloseEdgeHot
                                                           : UiPart::CloseEdge);
        // Soft edges beside each white diagonal.
        for (int offset : {-1, 1}) {
            Line(dc, cx - half + offset, cy - half, cx + half + offset + 1, cy + half + 1, stroke);
            Line(dc, cx + half + offset, cy - half, cx - half + offset - 1, cy + half + 1, stroke);
        }
        Line(dc, cx - half, cy - half, cx + half + 1, cy + half + 1, glyph);
        Line(dc, cx + half, cy - half, cx - half - 1, cy + half + 1, glyph);
        break;
    }
    }
}

int CaptionBar::ButtonAt(POINT point) const {
    for (int b = 0; b < kButtonCount; ++b) {
        if (PtInRect(&buttons[b], point)) return b;
    }
    return -1;
}

bool CaptionBar::OnNcHitTest(POINT* point, LRESULT* result) {
    POINT client = *point;
    ScreenToClient(handle, &client);
    *result = ButtonAt(client) >= 0 ? HTCLIENT : HTTRANSPARENT;
    return true;
}

bool CaptionBar::OnMouseMove(UINT keys, POINT* point) {
    QControl::OnMouseMove(keys, point);
    const int at = ButtonAt(*point);
    bool changed = false;
    for (int b = 0; b < kButtonCount; ++b) {
        if (hovered[b] != (b == at)) {
            hovered[b] = b == at;
            changed = true;
        }
    }
    if (changed) InvalidateRect(handle, nullptr, FALSE);
    return true;
}

bool CaptionBar::OnMouseLeave() {
    for (int b = 0; b < kButtonCount; ++b) hovered[b] = false;
    return QControl::OnMouseLeave();
}

bool CaptionBar::OnLButtonDown(UINT, POINT* point) {
    const int at = ButtonAt(*point);
    if (at < 0) return true;
    pressed[at] = true;
    SetCapture(handle);
    InvalidateRect(handle, nullptr, FALSE);
    return true;
}

bool CaptionBar::OnLButtonUp(UINT, POINT* point) {
    int wasPressed = -1;
    for (int b = 0; b < kButtonCount; ++b) {
        if (pressed[b]) wasPressed = b;
        pressed[b] = false;
    }
    if (GetCapture() == handle) ReleaseCapture();
    InvalidateRect(handle, nullptr, FALSE);
    if (wasPressed < 0 || ButtonAt(*point) != wasPressed) return true;
    Press(static_cast<Button>(wasPressed));
    return true;
}

void CaptionBar::Press(Button button) {
    const HWND frame = owner.GetHandle();
    switch (button) {
    case Minimise: ShowWindow(frame, SW_MINIMIZE); break;
    case Maximise: ShowWindow(frame, IsZoomed(frame) ? SW_RESTORE : SW_MAXIMIZE); break;
    default: owner.Close(); break;
    }
}

bool CaptionBar::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) {
    return accessible.Answer(handle, flags, objectId, result);
}

long CaptionBar::AccessibleRole() const {
    return ROLE_SYSTEM_TITLEBAR;
}

int CaptionBar::AccessiblePartCount() const {
    return kButtonCount;
}

kiln::qwin::AccessiblePart CaptionBar::AccessiblePartAt(int index) const {
    kiln::qwin::AccessiblePart part;
    switch (index) {
    case Minimise: part.name = L"Minimize"; break;
    case Maximise: part.name = IsZoomed(owner.GetHandle()) ? L"Restore" : L"Maximize"; break;
    default: part.name = L"Close"; break;
    }
    part.rect = buttons[index];
    part.state = hovered[index] ? STATE_SYSTEM_HOTTRACKED : 0;
    part.defaultAction = L"Press";
    return part;
}

bool CaptionBar::DoAccessibleAction(int index) {
    Press(static_cast<Button>(index));
    return true;
}
