#include "app/editor/format_toolbar.h"

#include <commctrl.h>

#include <algorithm>

#include "window/display_scale.h"
#include "app/editor/text_colors.h"
#include "resources/command_ids.h"
#include "window/qgdi_object.h"
#include "window/qgraphics.h"
#include "window/qmenu.h"
#include "window/ui_colors.h"

using kiln::qstd::QString;
using kiln::qwin::QBrush;
using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::QWindow;
using kiln::qwin::ScaleX;
using kiln::qwin::ScaleY;
using kiln::qwin::scaleX;
using kiln::qwin::scaleY;
using kiln::qwin::PartColor;
using kiln::qwin::UiPart;

namespace {

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

// The colour lists show a label of their own while nothing is chosen.
struct ColorList {
    int combo;
    const ColorCommand* colors;
    size_t count;
    const wchar_t* label;
};

const ColorList kColorLists[] = {
    {FormatToolbar::kTextColorCombo, kTextColors, sizeof(kTextColors) / sizeof(kTextColors[0]), L"Text colour"},
    {FormatToolbar::kBackColorCombo, kBackColors, sizeof(kBackColors) / sizeof(kBackColors[0]), L"Highlight"},
};

const ColorList* ColorListOf(int combo) {
    for (const ColorList& list : kColorLists) {
        if (list.combo == combo) return &list;
    }
    return nullptr;
}

// The lists as the row shows them after the buttons, with the words the
// overflow menu names them by.
struct RowList {
    int combo;
    int command;  // 0 for a colour list: each entry carries its own
    const wchar_t* name;
};
const RowList kRowLists[] = {
    {FormatToolbar::kFontCombo, IDC_FONT_FACE, L"Font"},
    {FormatToolbar::kSizeCombo, IDC_FONT_SIZE, L"Size"},
    {FormatToolbar::kLineSpacingCombo, IDC_LINE_SPACING, L"Line spacing"},
    {FormatToolbar::kTextColorCombo, 0, L"Text colour"},
    {FormatToolbar::kBackColorCombo, 0, L"Highlight"},
};
static_assert(sizeof(kRowLists) / sizeof(kRowLists[0]) == kToolbarControlCount - kToolbarButtonCount,
              "one list of the row per list the layout places");

QString ComboItemText(HWND combo, LRESULT index) {
    QString text;
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length > 0) {
        wchar_t* buffer = text.GetBuffer(static_cast<int>(length));
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
    }
    return text;
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
    // Arrange places the buttons once the tooltips know them.
    for (int i = 0; i < kButtonCount; ++i) buttons[i] = Button{RECT{}, kButtons[i].command, i, kButtons[i].tooltip};
    CreateCombos();
    CreateOverflowButton();
    LoadImages();
    CreateTooltips();
    RECT client = {};
    GetClientRect(handle, &client);
    Arrange(client.right);
    return false;
}

// Icons drawn for the size they are shown at, never stretched: the 36-pixel
// strip from 150 % up.
void FormatToolbar::LoadImages() {
    const bool large = ScaleX(24) >= 36;
    imageSize = large ? 36 : 24;
    kiln::qwin::QBitmap strip(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(large ? IDB_TOOLBAR_LARGE : IDB_TOOLBAR), IMAGE_BITMAP,
                   0, 0, LR_CREATEDIBSECTION)));
    // Without the strip the buttons still work, only without icons.
    if (!strip.Get()) return;
    HIMAGELIST list = ImageList_Create(imageSize, imageSize, ILC_COLOR32, kButtonCount, 1);
    if (list && ImageList_Add(list, strip.Get(), nullptr) < 0) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    images.Reset(list);
}

void FormatToolbar::CreateTooltips() {
    tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!tooltip) return;
    SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 120);
    for (int i = 0; i < kButtonCount; ++i) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        // The toolbar relays its mouse messages itself (OnMouseMove), from the
        // one place that already tracks the pointer over the buttons.
        tool.uFlags = 0;
        tool.hwnd = handle;
        tool.uId = static_cast<UINT_PTR>(i + 1);
        tool.rect = buttons[i].rect;
        tool.lpszText = const_cast<wchar_t*>(buttons[i].tooltip);
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
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
    CreateColorCombos();
}

void FormatToolbar::CreateColorCombos() {
    for (const ColorList& list : kColorLists) {
        const HWND combo = CreateWindowExW(
            0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0, 0,
            0, 0, handle, reinterpret_cast<HMENU>(static_cast<INT_PTR>(list.combo)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        for (size_t i = 0; i < list.count; ++i) {
            const LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.colors[i].name));
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(list.colors[i].id));
        }
        // The closed box is as tall as the text combos beside it.
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ScaleY(24) - 6);
    }
}

void FormatToolbar::CreateOverflowButton() {
    overflowButton = CreateWindowExW(0, WC_BUTTONW, L"\u00BB", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, handle,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOverflowButton)),
                                     GetModuleHandleW(nullptr), nullptr);
    SendMessageW(overflowButton, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

void FormatToolbar::Arrange(int width) {
    const ToolbarArrangement row = ArrangeToolbar(width, scaleX, scaleY);
    shownButtons = static_cast<int>(std::min<size_t>(row.shown, kButtonCount));
    for (int i = 0; i < kButtonCount; ++i) {
        buttons[i].rect = row.controls[static_cast<size_t>(i)];
        if (!tooltip) continue;
        TOOLINFOW tool = {};
        tool.cbSize = sizeof(tool);
        tool.hwnd = handle;
        tool.uId = static_cast<UINT_PTR>(i + 1);
        // A hidden button has no place the pointer can find.
        if (i < shownButtons) tool.rect = buttons[i].rect;
        SendMessageW(tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (hot >= shownButtons) hot = -1;
    const HWND focus = GetFocus();
    bool focusHidden = false;
    for (size_t i = 0; i < sizeof(kRowLists) / sizeof(kRowLists[0]); ++i) {
        const HWND combo = GetCombo(kRowLists[i].combo);
        const RECT& place = row.controls[kButtonCount + i];
        const ColorList* colors = ColorListOf(kRowLists[i].combo);
        // A colour list's window reaches down over its open list.
        const int dropped = colors ? ScaleY(20) * static_cast<int>(colors->count) : 0;
        MoveWindow(combo, place.left, place.top, place.right - place.left, place.bottom - place.top + dropped, FALSE);
        const bool shown = kButtonCount + i < row.shown;
        if (!shown && focus && (focus == combo || IsChild(combo, focus))) focusHidden = true;
        ShowWindow(combo, shown ? SW_SHOWNA : SW_HIDE);
    }
    const RECT& more = row.overflow;
    MoveWindow(overflowButton, more.left, more.top, more.right - more.left, more.bottom - more.top, FALSE);
    ShowWindow(overflowButton, row.HasOverflow() ? SW_SHOWNA : SW_HIDE);
    // The keys go on from where the list that went out of sight was.
    if (focusHidden && row.HasOverflow()) SetFocus(overflowButton);
    InvalidateRect(handle, nullptr, TRUE);
}

bool FormatToolbar::OnSize(UINT, int cx, int) {
    Arrange(cx);
    return false;
}

std::vector<HWND> FormatToolbar::GetFocusStops() const {
    std::vector<HWND> stops;
    for (const RowList& list : kRowLists) {
        const HWND combo = GetCombo(list.combo);
        if (combo && IsWindowVisible(combo)) stops.push_back(combo);
    }
    if (overflowButton && IsWindowVisible(overflowButton)) stops.push_back(overflowButton);
    return stops;
}

std::vector<FormatToolbar::OverflowChoice> FormatToolbar::FillOverflowMenu(HMENU menu) const {
    std::vector<OverflowChoice> choices;
    auto add = [&choices](HMENU into, const wchar_t* text, int command, const QString& value, bool checked) {
        choices.push_back(OverflowChoice{command, value});
        AppendMenuW(into, MF_STRING | (checked ? MF_CHECKED : 0), choices.size(), text);
    };
    for (int i = shownButtons; i < kButtonCount; ++i) add(menu, buttons[i].tooltip, buttons[i].command, QString(), false);
    for (const RowList& list : kRowLists) {
        const HWND combo = GetCombo(list.combo);
        if (!combo || IsWindowVisible(combo)) continue;
        const HMENU entries = CreatePopupMenu();
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        const LRESULT current = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        for (LRESULT item = 0; item < count; ++item) {
            const QString text = ComboItemText(combo, item);
            const int command = list.command ? list.command
                                             : static_cast<int>(SendMessageW(combo, CB_GETITEMDATA,
                                                                             static_cast<WPARAM>(item), 0));
            add(entries, text.c_str(), command, list.command ? text : QString(), item == current);
        }
        // The submenu goes with the menu that holds it.
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(entries), list.name);
    }
    return choices;
}

void FormatToolbar::RunOverflowChoice(const OverflowChoice& choice) {
    // The text travels where a control handle would, as the lists send it.
    const LPARAM text = choice.text.IsEmpty() ? 0 : reinterpret_cast<LPARAM>(choice.text.c_str());
    SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(choice.command, 0), text);
}

void FormatToolbar::ShowOverflowMenu() {
    kiln::qwin::QPopupMenu menu;
    const std::vector<OverflowChoice> choices = FillOverflowMenu(menu.Get());
    RECT button = {};
    GetWindowRect(overflowButton, &button);
    const UINT chosen = kiln::qwin::TrackPopup(menu.Get(), POINT{button.left, button.bottom}, handle,
                                               TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON);
    if (chosen > 0 && chosen <= choices.size()) RunOverflowChoice(choices[chosen - 1]);
}

bool FormatToolbar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_MEASUREITEM && ColorListOf(static_cast<int>(wParam))) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(ScaleY(20));
        *result = TRUE;
        return true;
    }
    if (msg == WM_DRAWITEM && ColorListOf(static_cast<int>(wParam))) {
        DrawColorItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
    }
    return QControl::OnMessage(msg, wParam, lParam, result);
}

void FormatToolbar::DrawColorItem(const DRAWITEMSTRUCT& item) const {
    const ColorList* list = ColorListOf(static_cast<int>(item.CtlID));
    const HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) && !(item.itemState & ODS_COMBOBOXEDIT);
    RECT area = item.rcItem;
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
    const wchar_t* text = list->label;
    COLORREF textColor = GetSysColor(COLOR_GRAYTEXT);
    if (item.itemID != static_cast<UINT>(-1) && item.itemID < list->count) {
        const ColorCommand& color = list->colors[item.itemID];
        RECT swatch = {area.left + 3, area.top + 3, area.left + 3 + ScaleX(16), area.bottom - 3};
        QBrush fill(CreateSolidBrush(color.color));
        QBrush frame(CreateSolidBrush(RGB(90, 90, 90)));
        FillRect(dc, &swatch, fill.Get());
        FrameRect(dc, &swatch, frame.Get());
        text = color.name;
        textColor = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        area.left = swatch.right;
    }
    area.left += 5;
    SetTextColor(dc, textColor);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &item.rcItem);
}

bool FormatToolbar::OnEraseBackground(QGraphics&) {
    return true;
}

bool FormatToolbar::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    buffer.FillSolidRect(client, PartColor(UiPart::Toolbar));
    if (hot >= 0) {
        QBrush border(CreateSolidBrush(PartColor(UiPart::HotBorder)));
        buffer.FillSolidRect(buttons[hot].rect, PartColor(UiPart::HotFill));
        FrameRect(buffer, &buttons[hot].rect, border.Get());
    }
    if (images.Get()) {
        // Large icons sit two pixels further in, centred in their larger buttons.
        const int nudge = scaleX > 1.0 ? 2 : 0;
        for (int i = 0; i < shownButtons; ++i) {
            const Button& button = buttons[i];
            ImageList_Draw(images.Get(), button.image, buffer, button.rect.left + ScaleX(4) + nudge,
                           button.rect.top + ScaleY(4) + nudge, ILD_TRANSPARENT);
        }
    }
    return true;
}

int FormatToolbar::ButtonAt(POINT point) const {
    for (int i = 0; i < shownButtons; ++i) {
        if (PtInRect(&buttons[i].rect, point)) return i;
    }
    return -1;
}

bool FormatToolbar::OnLButtonDown(UINT keys, POINT* point) {
    RelayToTooltip(WM_LBUTTONDOWN, keys, *point);
    const int at = ButtonAt(*point);
    if (at >= 0) SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(buttons[at].command, 0), 0);
    return true;
}

bool FormatToolbar::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) {
    return accessible.Answer(handle, flags, objectId, result);
}

kiln::qstd::QString FormatToolbar::AccessibleName() const {
    return L"Formatting";
}

long FormatToolbar::AccessibleRole() const {
    return ROLE_SYSTEM_TOOLBAR;
}

int FormatToolbar::AccessiblePartCount() const {
    return kButtonCount;
}

// A button is named by its tooltip, the words a sighted user reads for it.
kiln::qwin::AccessiblePart FormatToolbar::AccessiblePartAt(int index) const {
    kiln::qwin::AccessiblePart part;
    part.name = buttons[index].tooltip;
    part.rect = buttons[index].rect;
    part.state = index == hot ? STATE_SYSTEM_HOTTRACKED : 0;
    // Behind the overflow button it is still there, and still pressed by its action.
    if (index >= shownButtons) {
        part.state = STATE_SYSTEM_INVISIBLE;
        part.rect = RECT{};
    }
    part.defaultAction = L"Press";
    return part;
}

bool FormatToolbar::DoAccessibleAction(int index) {
    SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(buttons[index].command, 0), 0);
    return true;
}

void FormatToolbar::RelayToTooltip(UINT msg, UINT keys, POINT point) const {
    if (!tooltip) return;
    MSG relayed = {handle, msg, keys, MAKELPARAM(point.x, point.y), static_cast<DWORD>(GetMessageTime()), point};
    SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

bool FormatToolbar::OnMouseMove(UINT keys, POINT* point) {
    QControl::OnMouseMove(keys, point);
    RelayToTooltip(WM_MOUSEMOVE, keys, *point);
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
    if (id == kOverflowButton) {
        if (code == BN_CLICKED) ShowOverflowMenu();
        return true;
    }
    if (ColorListOf(id)) {
        // Chosen, even again, the colour is applied; moving through the list is not choosing.
        if (code != CBN_SELENDOK || showingFormat) return true;
        const LRESULT selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (selected == CB_ERR) return true;
        const int command = static_cast<int>(SendMessageW(control, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
        SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        return true;
    }
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
        if (selected != CB_ERR) text = ComboItemText(control, selected);
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
    const struct {
        int combo;
        COLORREF color;
    } colors[] = {{kTextColorCombo, format.textColor}, {kBackColorCombo, format.backColor}};
    for (const auto& value : colors) {
        const ColorList* list = ColorListOf(value.combo);
        LRESULT item = CB_ERR;
        for (size_t i = 0; i < list->count; ++i) {
            if (value.color != CLR_INVALID && list->colors[i].color == value.color) item = static_cast<LRESULT>(i);
        }
        // A colour the list does not offer shows the list's label.
        SendMessageW(GetCombo(value.combo), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
    showingFormat = false;
}
