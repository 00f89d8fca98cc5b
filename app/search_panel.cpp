#include "app/search_panel.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "app/display_scale.h"
#include "resources/command_ids.h"
#include "window/qgraphics.h"

using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QPen;
using kiln::qwin::QSelectObject;
using kiln::qwin::QWindow;

namespace {
const COLORREF kBackground = RGB(220, 233, 244);
const COLORREF kCross = RGB(70, 74, 78);
const int kTitleBand = 48;
const int kCloseSize = 15;
}  // namespace

SearchPanel::~SearchPanel() {
    // The result list draws with the image list: the window goes first.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
}

const wchar_t* SearchPanel::GetClassName() const {
    return L"MySearchPanel";
}

bool SearchPanel::PreRegisterClass(WNDCLASSW& windowClass) {
    QWindow::PreRegisterClass(windowClass);
    // A class brush lives as long as the class, which is the process.
    static const HBRUSH background = CreateSolidBrush(kBackground);
    windowClass.hbrBackground = background;
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
    font.Reset(kiln::qwin::CreateMenuFont());
    titleFont.Reset(CreateFontW(30, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                L"Segoe UI"));
    searchBox = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSearchBoxId)), module, nullptr);
    SendMessageW(searchBox, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    strip.Reset(static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(IDB_CARD_TREE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    images.CreateFromBitmap(16, 13, ILC_COLOR32 | ILC_MASK | ILC_HIGHQUALITYSCALE, 2, 2, strip.Get(), RGB(0, 0, 0));
    resultList = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | TVS_HASBUTTONS |
                                     TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT,
                                 0, 0, 0, 0, handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kResultListId)),
                                 module, nullptr);
    SendMessageW(resultList, TVM_SETEXTENDEDSTYLE, 0,
                 TVS_EX_DOUBLEBUFFER | TVS_EX_RICHTOOLTIP | TVS_EX_AUTOHSCROLL | TVS_EX_FADEINOUTEXPANDOS);
    SendMessageW(resultList, TVM_SETITEMHEIGHT, ScaleY(22), 0);
    SetWindowTheme(resultList, L"explorer", nullptr);
    SendMessageW(resultList, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images.Get()));
    return false;
}

bool SearchPanel::OnSize(UINT, int cx, int cy) {
    const int h = ScaleY(22), d = h + ScaleY(4);
    MoveWindow(searchBox, 0, d + 12, cx, h, TRUE);
    MoveWindow(resultList, 0, 2 * d + 12, cx, cy - (2 * d + 12), TRUE);
    InvalidateRect(handle, nullptr, TRUE);
    return true;
}

bool SearchPanel::OnEraseBackground(QGraphics&) {
    return true;
}

bool SearchPanel::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, kBackground);
    {
        QSelectObject fontIn(buffer, titleFont.Get());
        SetBkMode(buffer, TRANSPARENT);
        RECT band = {0, 0, client.right, kTitleBand};
        DrawTextW(buffer, L"Search", -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    const RECT box = {client.right - 17, 5, client.right - 17 + kCloseSize, 5 + kCloseSize};
    QPen pen(CreatePen(PS_SOLID, 2, kCross));
    QSelectObject penIn(buffer, pen.Get());
    MoveToEx(buffer, box.left + 3, box.top + 3, nullptr);
    LineTo(buffer, box.right - 3, box.bottom - 3);
    MoveToEx(buffer, box.right - 3, box.top + 3, nullptr);
    LineTo(buffer, box.left + 3, box.bottom - 3);
    return true;
}
