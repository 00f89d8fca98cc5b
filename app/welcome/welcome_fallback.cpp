#include "app/welcome/welcome_fallback.h"

#include <algorithm>
#include <initializer_list>

#include "resources/command_ids.h"
#include "window/display_scale.h"
#include "window/picture_file.h"
#include "window/qgraphics.h"
#include "window/ui_colors.h"

using kiln::qwin::QGraphics;
using kiln::qwin::QMemoryGraphics;
using kiln::qwin::QPaintGraphics;
using kiln::qwin::PartColor;
using kiln::qwin::UiPart;

namespace {

// Lengths of the page at 96 pixels per inch.
const int kNavigationWidth = 220;
const int kLogoLeft = 30;
const int kLogoTop = 20;
const int kLogoSize = 150;
const int kHeadingGap = 18;
const int kHeadingHeight = 24;
const int kListGap = 8;
const int kListLeft = 10;
const int kListWidth = 200;
const int kLinkHeight = 28;
const int kLinkPadding = 12;
const int kSectionLeft = 260;
const int kSectionTop = 20;
const int kSectionWidth = 500;
const int kTitleHeight = 40;
const int kTitleGap = 8;

const int kActionCommands[WelcomeFallback::kActionCount] = {IDM_NEW_DATABASE, IDM_OPEN_DATABASE};

// The page's words, read from the same resource the browser shows.
WelcomeWords LoadWelcomeWords() {
    WelcomeWords words;
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, L"DOC.HTML", RT_HTML);
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes) ReadWelcomeWords(static_cast<const char*>(bytes), SizeofResource(module, resource), words);
    return words;
}

HFONT PageFont(int height, int weight) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW font = {};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) font = metrics.lfMessageFont;
    font.lfHeight = -height;
    font.lfWidth = 0;
    font.lfWeight = weight;
    font.lfItalic = FALSE;
    font.lfUnderline = FALSE;
    font.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectW(&font);
}

// The product logo from the welcome page's resources, size × size pixels.
HBITMAP LoadLogo(int size) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, L"VORLEN.PNG", RT_HTML);
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return nullptr;
    return DecodePictureBytes(bytes, SizeofResource(module, resource), static_cast<UINT>(size),
                              static_cast<UINT>(size));
}

void DrawPageText(HDC dc, const wchar_t* text, RECT rect, HFONT font, COLORREF colour, UINT format) {
    const HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &rect, format | DT_NOPREFIX);
    SelectObject(dc, previous);
}

}  // namespace

WelcomeFallback::~WelcomeFallback() {
    // The window goes first: it must not paint with what is deleted below.
    if (handle && IsWindow(handle)) DestroyWindow(handle);
    DeleteFonts();
    if (logo) DeleteObject(logo);
}

int WelcomeFallback::GetActionCommand(int index) {
    return kActionCommands[index];
}

const wchar_t* WelcomeFallback::GetClassName() const {
    return L"VorlenWelcomePage";
}

bool WelcomeFallback::PreRegisterClass(WNDCLASSW& windowClass) {
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Every pixel is painted; an erased background would only flicker.
    windowClass.hbrBackground = nullptr;
    return true;
}

bool WelcomeFallback::OnCreate() {
    words = LoadWelcomeWords();
    ApplyDisplayScale();
    return false;
}

void WelcomeFallback::ApplyDisplayScale() {
    dpi = kiln::qwin::DisplayDpiY();
    CreateFonts();
    if (logo) DeleteObject(logo);
    logo = LoadLogo(Scaled(kLogoSize));
    Layout();
    if (handle) InvalidateRect(handle, nullptr, FALSE);
}

void WelcomeFallback::CreateFonts() {
    DeleteFonts();
    titleFont = PageFont(Scaled(24), FW_EXTRALIGHT);
    headingFont = PageFont(Scaled(16), FW_LIGHT);
    textFont = PageFont(Scaled(12), FW_NORMAL);
}

void WelcomeFallback::DeleteFonts() {
    for (HFONT* font : {&titleFont, &headingFont, &textFont}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
}

void WelcomeFallback::Layout() {
    logoRect = {Scaled(kLogoLeft), Scaled(kLogoTop), Scaled(kLogoLeft + kLogoSize), Scaled(kLogoTop + kLogoSize)};
    int top = kLogoTop + kLogoSize + kHeadingGap + kHeadingHeight + kListGap;
    for (RECT& action : actions) {
        action = {Scaled(kListLeft), Scaled(top), Scaled(kListLeft + kListWidth), Scaled(top + kLinkHeight)};
        top += kLinkHeight;
    }
}

bool WelcomeFallback::OnEraseBackground(QGraphics&) {
    return true;
}

bool WelcomeFallback::OnPaint(QPaintGraphics& graphics) {
    RECT client;
    GetClientRect(handle, &client);
    QMemoryGraphics buffer(graphics, client);
    Draw(buffer, client);
    return true;
}

void WelcomeFallback::Draw(QGraphics& canvas, const RECT& client) {
    const HDC dc = canvas;
    canvas.FillSolidRect(client, PartColor(UiPart::Page));
    canvas.FillSolidRect({0, 0, Scaled(kNavigationWidth), client.bottom}, PartColor(UiPart::PageNavigation));
    SetBkMode(dc, TRANSPARENT);

    if (logo) {
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ previous = SelectObject(source, logo);
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        const int size = logoRect.right - logoRect.left;
        AlphaBlend(dc, logoRect.left, logoRect.top, size, size, source, 0, 0, size, size, blend);
        SelectObject(source, previous);
        DeleteDC(source);
    }

    const int headingTop = Scaled(kLogoTop + kLogoSize + kHeadingGap);
    DrawPageText(dc, words.heading, {Scaled(kListLeft), headingTop, Scaled(kListLeft + kListWidth),
                            headingTop + Scaled(kHeadingHeight)},
             headingFont, PartColor(UiPart::PageHeading), DT_SINGLELINE | DT_VCENTER);

    for (int i = 0; i < kActionCount; ++i) {
        RECT link = actions[i];
        const bool lit = i == hot || i == pressed;
        if (lit) canvas.FillSolidRect(link, PartColor(i == pressed ? UiPart::PagePressedLink : UiPart::PageAccent));
        if (hasFocus && keyboardCues && i == focused) DrawFocusRect(dc, &link);
        link.left += Scaled(kLinkPadding);
        DrawPageText(dc, ActionText(i), link, textFont, PartColor(lit ? UiPart::PageAccentText : UiPart::PageLink),
                 DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }

    const int left = Scaled(kSectionLeft);
    // The section keeps the page's width where there is room and wraps its
    // text inside the pane where there is not.
    const int right = std::max(left + Scaled(kListWidth), std::min(left + Scaled(kSectionWidth),
                                                                   static_cast<int>(client.right) - Scaled(kListGap)));
    const int titleBottom = Scaled(kSectionTop + kTitleHeight);
    DrawPageText(dc, words.title, {left, Scaled(kSectionTop), right, titleBottom}, titleFont,
             PartColor(UiPart::PageHeading), DT_SINGLELINE | DT_VCENTER);
    DrawPageText(dc, words.description, {left, titleBottom + Scaled(kTitleGap), right, client.bottom}, textFont,
             PartColor(UiPart::PageText), DT_WORDBREAK);
}

const kiln::qstd::QString& WelcomeFallback::ActionText(int index) const {
    return index == 0 ? words.newDatabase : words.openDatabase;
}

int WelcomeFallback::ActionAt(POINT point) const {
    for (int i = 0; i < kActionCount; ++i) {
        if (PtInRect(&actions[i], point)) return i;
    }
    return -1;
}

void WelcomeFallback::Run(int index) {
    // Posted, like a menu's command: the command may open dialogs, which
    // should not run inside this window's mouse handling.
    if (target) PostMessageW(target, WM_COMMAND, MAKEWPARAM(kActionCommands[index], 0), 0);
}

bool WelcomeFallback::OnMouseMove(UINT keys, POINT* point) {
    QControl::OnMouseMove(keys, point);
    const int at = ActionAt(*point);
    if (at != hot) {
        hot = at;
        InvalidateRect(handle, nullptr, FALSE);
    }
    return true;
}

bool WelcomeFallback::OnMouseLeave() {
    hot = -1;
    return QControl::OnMouseLeave();
}

bool WelcomeFallback::OnLButtonDown(UINT, POINT* point) {
    SetFocus(handle);
    pressed = ActionAt(*point);
    if (pressed >= 0) {
        focused = pressed;
        SetCapture(handle);
        InvalidateRect(handle, nullptr, FALSE);
    }
    return true;
}

bool WelcomeFallback::OnLButtonUp(UINT, POINT* point) {
    if (pressed < 0) return true;
    const int was = pressed;
    pressed = -1;
    ReleaseCapture();
    InvalidateRect(handle, nullptr, FALSE);
    if (ActionAt(*point) == was) Run(was);
    return true;
}

bool WelcomeFallback::OnSetCursor(UINT, UINT) {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(handle, &point);
    if (ActionAt(point) < 0) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

bool WelcomeFallback::OnKeyDown(UINT key, UINT, LPARAM) {
    if (!keyboardCues) {
        keyboardCues = true;
        InvalidateRect(handle, nullptr, FALSE);
    }
    switch (key) {
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_TAB:
            // Two actions: every move goes to the other one.
            focused = (focused + 1) % kActionCount;
            InvalidateRect(handle, nullptr, FALSE);
            return true;
        case VK_RETURN:
        case VK_SPACE:
            Run(focused);
            return true;
        default:
            return false;
    }
}

bool WelcomeFallback::OnSetFocus(HWND) {
    hasFocus = true;
    InvalidateRect(handle, nullptr, FALSE);
    return false;
}

bool WelcomeFallback::OnKillFocus(HWND) {
    hasFocus = false;
    InvalidateRect(handle, nullptr, FALSE);
    return false;
}

bool WelcomeFallback::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) {
    return accessible.Answer(handle, flags, objectId, result);
}

long WelcomeFallback::AccessibleRole() const {
    return ROLE_SYSTEM_DOCUMENT;
}

int WelcomeFallback::AccessiblePartCount() const {
    return kActionCount;
}

kiln::qwin::AccessiblePart WelcomeFallback::AccessiblePartAt(int index) const {
    kiln::qwin::AccessiblePart part;
    part.name = ActionText(index);
    part.role = ROLE_SYSTEM_LINK;
    part.rect = actions[index];
    part.state = STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE |
                 (hasFocus && index == focused ? STATE_SYSTEM_FOCUSED : 0);
    part.defaultAction = L"Jump";
    return part;
}

bool WelcomeFallback::DoAccessibleAction(int index) {
    Run(index);
    return true;
}
