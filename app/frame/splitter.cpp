#include "app/frame/splitter.h"

#include "window/qgraphics.h"
#include "window/ui_colors.h"

using kiln::qwin::QWindow;

Splitter::Splitter(QWindow& owner) : owner(owner) {}

const wchar_t* Splitter::GetClassName() const {
    return L"MySplitt";
}

bool Splitter::PreRegisterClass(WNDCLASSW& windowClass) {
    QWindow::PreRegisterClass(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    return true;
}

// Painted rather than left to a class brush: the colour changes with high contrast.
bool Splitter::OnEraseBackground(kiln::qwin::QGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    graphics.FillSolidRect(client, kiln::qwin::PartColor(kiln::qwin::UiPart::Pane));
    return true;
}

bool Splitter::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        *result = SendMessageW(owner.GetHandle(), msg, wParam, lParam);
        return true;
    default:
        return QWindow::OnMessage(msg, wParam, lParam, result);
    }
}
