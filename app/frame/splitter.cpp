#include "app/frame/splitter.h"
#include "window/palette.h"

using kiln::qwin::QWindow;

Splitter::Splitter(QWindow& owner) : owner(owner) {}

const wchar_t* Splitter::GetClassName() const {
    return L"MySplitt";
}

bool Splitter::PreRegisterClass(WNDCLASSW& windowClass) {
    QWindow::PreRegisterClass(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    // A class brush lives as long as the class, which is the process.
    static const HBRUSH background = CreateSolidBrush(kiln::qwin::palette::kPaneBlue);
    windowClass.hbrBackground = background;
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
