#include "app/status_bar.h"

#include "window/qgraphics.h"

using kiln::qstd::QString;
using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QSelectObject;

StatusBar::StatusBar() : text(L"  Ready") {}

const wchar_t* StatusBar::GetClassName() const {
    return L"StatusBar";
}

bool StatusBar::OnCreate() {
    font.Reset(kiln::qwin::CreateMenuFont());
    return false;
}

void StatusBar::SetStatus(const QString& message) {
    text = L"  " + message;
    if (handle) {
        InvalidateRect(handle, nullptr, FALSE);
        UpdateWindow(handle);
    }
}

bool StatusBar::OnEraseBackground(QGraphics&) {
    return true;
}

bool StatusBar::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, RGB(42, 88, 154));
    QSelectObject fontIn(buffer, font.Get());
    SetBkMode(buffer, TRANSPARENT);
    SetTextColor(buffer, RGB(255, 255, 255));
    DrawTextW(buffer, text.c_str(), -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    return true;
}
