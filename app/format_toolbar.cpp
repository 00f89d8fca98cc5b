#include "app/format_toolbar.h"

#include <commctrl.h>

#include "app/display_scale.h"
#include "resources/command_ids.h"
#include "window/qgdi_object.h"
#include "window/qgraphics.h"

using kiln::qstd::QString;
using kiln::qwin::QBrush;
using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QWindow;

namespace {

const COLORREF kBackground = RGB(219, 231, 245);
const COLORREF kHotFill = RGB(207, 230, 253);
const COLORREF kHotBorder = RGB(100, 165, 230);

struct ButtonDefinition {
    int command;
    const wchar_t* tooltip;
};

const ButtonDefinition kButtons[FormatToolbar::kButtonCount] = {
    {IDB_PREV, L"Prev"},
    {IDB_NEXT, L"Next"},
    {IDB_STYLE, L"Style"},
    {IDB_EDIT, L"Edit"},
    {IDB_DELETE, L"Delete"},
    {IDB_CUT, L"Cut"},
    {IDB_COPY, L"Copy"},
    {IDB_PASTE, L"Paste"},
    {IDC_SEARCH_PANEL, L"Search - (Ctrl + F)"},
    {IDA_ABOUT, L"About - F1"},
    {IDA_BULLET_LIST, L"Unordred List (Ctrl + Shift + L)"},
    {IDA_NUMBERED_LIST, L"Ordred List (Ctrl + Shift + O)"},
};

const wchar_t* const kLineSpacings[] = {L"1.0", L"1.15", L"1.5", L"2", L"3"};
const wchar_t* const kSizes[] = {L"8",  L"9",  L"10", L"11", L"12", L"14", L"16", L"18",
                                 L"20", L"22", L"24", L"26", L"28", L"36", L"48", L"72"};

int CALLBACK AddTrueTypeFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM combo) {
    // Vertical variants of a family are listed under its name with an at sign.
    if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != L'@') {
        const HWND box = reinterpret_cast<HWND>(combo);
        if (SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(font->lfFaceName)) == CB_ERR) {
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
        }
    }
    return 1;
}

HWND MakeCombo(HWND parent, int id, DWORD extraStyle, const wchar_t* cue) {
    const HWND combo = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | extraStyle, 0, 0,
                                       0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SendMessageW(combo, CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(cue));
    return combo;
}

}  // namespace

FormatToolbar::FormatToolbar(QWindow& owner) : owner(owner), buttons() {}

const wchar_t* FormatToolbar::GetClassName() const {
    return L"MYTB";
}

bool FormatToolbar::PreCreateWindow(CREATESTRUCTW& create) {
    QControl::PreCreateWindow(create);
    create.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    return true;
}

bool FormatToolbar::OnCreate() {
    // The display scale is measured after construction, before creation.
    for (int i = 0; i < kButtonCount; ++i) {
        buttons[i] = Button{RECT{ScaleX(32 * i), 0, ScaleX(32 * (i + 1)), ScaleY(32)}, kButtons[i].command, i,
                            kButtons[i].tooltip};
    }
    CreateCombos();
    return false;
}

void FormatToolbar::CreateCombos() {
    const HWND spacing = MakeCombo(handle, kLineSpacingCombo, 0, L"Height");
    const HWND size = MakeCombo(handle, kSizeCombo, 0, L"Size");
    const HWND face = MakeCombo(handle, kFontCombo, CBS_SORT | WS_VSCROLL, L"Font");
    {
        kiln::qwin::QClientGraphics screen(handle);
        LOGFONTW all = {};
        all.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExW(screen, &all, AddTrueTypeFamily, reinterpret_cast<LPARAM>(face), 0);
    }
    for (const wchar_t* value : kLineSpacings) SendMessageW(spacing, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(value));
    for (const wchar_t* value : kSizes) SendMessageW(size, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(value));

    const int height = ScaleY(24);
    const int faceX = ScaleX(384) + 5, faceWidth = ScaleX(150);
    const int sizeX = faceX + faceWidth + ScaleX(5), sizeWidth = ScaleX(55);
    const int spacingX = sizeX + sizeWidth + ScaleX(5);
    MoveWindow(face, faceX, 5, faceWidth, height, FALSE);
    MoveWindow(size, sizeX, 5, sizeWidth, height, FALSE);
    MoveWindow(spacing, spacingX, 5, ScaleX(55), height, FALSE);
}

bool FormatToolbar::OnEraseBackground(QGraphics&) {
    return true;
}

bool FormatToolbar::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, kBackground);
    if (hot >= 0) {
        QBrush border(CreateSolidBrush(kHotBorder));
        buffer.FillSolidRect(buttons[hot].rect, kHotFill);
        FrameRect(buffer, &buttons[hot].rect, border.Get());
    }
    return true;
}

int FormatToolbar::ButtonAt(POINT point) const {
    for (int i = 0; i < kButtonCount; ++i) {
        if (PtInRect(&buttons[i].rect, point)) return i;
    }
    return -1;
}

bool FormatToolbar::OnLButtonDown(UINT, POINT* point) {
    const int at = ButtonAt(*point);
    if (at >= 0) SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(buttons[at].command, 0), 0);
    return true;
}

bool FormatToolbar::OnMouseMove(UINT keys, POINT* point) {
    QControl::OnMouseMove(keys, point);
    const int at = ButtonAt(*point);
    if (at != hot) {
        if (hot >= 0) InvalidateRect(handle, &buttons[hot].rect, FALSE);
        if (at >= 0) InvalidateRect(handle, &buttons[at].rect, FALSE);
        hot = at;
    }
    return true;
}

bool FormatToolbar::OnMouseLeave() {
    hot = -1;
    return QControl::OnMouseLeave();
}

bool FormatToolbar::OnCommand(int id, int code, HWND control) {
    int command = 0;
    switch (id) {
    case kFontCombo: command = IDC_FONT_FACE; break;
    case kSizeCombo: command = IDC_FONT_SIZE; break;
    case kLineSpacingCombo: command = IDC_LINE_SPACING; break;
    default: return false;
    }
    if (showingFormat) return true;
    QString text;
    if (code == CBN_SELCHANGE || code == CBN_CLOSEUP) {
        const LRESULT selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (selected != CB_ERR) {
            const LRESULT length = SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
            if (length > 0) {
                wchar_t* buffer = text.GetBuffer(static_cast<int>(length));
                SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(buffer));
            }
        }
    } else if (code == CBN_EDITCHANGE) {
        const int length = GetWindowTextLengthW(control);
        if (length > 0) GetWindowTextW(control, text.GetBuffer(length), length + 1);
    } else {
        return true;
    }
    // The text travels where a control handle would; it lives for the call.
    SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(text.c_str()));
    return true;
}

void FormatToolbar::ShowCaretFormat(const CaretFormat& format) {
    showingFormat = true;
    const struct {
        int combo;
        const QString& text;
    } shown[] = {{kFontCombo, format.face}, {kSizeCombo, format.size}, {kLineSpacingCombo, format.lineSpacing}};
    for (const auto& value : shown) {
        const HWND combo = GetCombo(value.combo);
        const LRESULT item = value.text.IsEmpty()
                                 ? CB_ERR
                                 : SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(value.text.c_str()));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        // A value the list does not hold (a size of 13 points) is shown all the same.
        if (item == CB_ERR) SetWindowTextW(combo, value.text.c_str());
    }
    showingFormat = false;
}
