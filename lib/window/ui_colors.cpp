#include "window/ui_colors.h"

#include "window/palette.h"

namespace kiln {
namespace qwin {

namespace {

struct PartColours {
    COLORREF normal;
    int system;  // a COLOR_ index for GetSysColor
};

// In the order of UiPart. High contrast pairs every fill with the text
// colour the system pairs with it, so that no two of them can coincide.
const PartColours kParts[] = {
    {palette::kFrameBlue, COLOR_ACTIVECAPTION},         // Caption
    {palette::kInactiveFrame, COLOR_INACTIVECAPTION},   // InactiveFrame
    {palette::kWhite, COLOR_CAPTIONTEXT},               // CaptionText
    {RGB(26, 115, 185), COLOR_HIGHLIGHT},               // CaptionButtonHot
    {RGB(53, 131, 192), COLOR_HIGHLIGHT},               // CaptionButtonPressed
    {RGB(232, 17, 35), COLOR_HIGHLIGHT},                // CloseButtonHot
    {RGB(139, 50, 91), COLOR_HIGHLIGHT},                // CloseButtonPressed
    {palette::kWhite, COLOR_HIGHLIGHTTEXT},             // CaptionGlyphHot
    {RGB(94, 154, 203), COLOR_CAPTIONTEXT},             // CloseEdge
    {RGB(241, 106, 118), COLOR_HIGHLIGHTTEXT},          // CloseEdgeHot
    {RGB(246, 166, 172), COLOR_HIGHLIGHTTEXT},          // CloseEdgePressed
    {RGB(49, 82, 132), COLOR_WINDOWFRAME},              // MenuButtonEdge
    {RGB(62, 109, 181), COLOR_BTNFACE},                 // MenuButtonFace
    {RGB(62, 129, 201), COLOR_HIGHLIGHT},               // MenuButtonHot
    {RGB(23, 61, 117), COLOR_HIGHLIGHT},                // MenuButtonPressed
    {palette::kWhite, COLOR_BTNTEXT},                   // MenuButtonText
    {palette::kWhite, COLOR_HIGHLIGHTTEXT},             // MenuButtonHotText
    {palette::kFrameBlue, COLOR_BTNFACE},               // StatusBar
    {palette::kWhite, COLOR_BTNTEXT},                   // StatusText
    {palette::kPaneBlue, COLOR_BTNFACE},                // Pane
    {RGB(0, 0, 0), COLOR_BTNTEXT},                      // PaneText
    {RGB(70, 74, 78), COLOR_BTNTEXT},                   // PaneMark
    {RGB(170, 74, 78), COLOR_HIGHLIGHT},                // PaneMarkHot
    {palette::kToolbarBlue, COLOR_BTNFACE},             // Toolbar
    {RGB(0, 0, 0), COLOR_BTNTEXT},                      // ToolbarText
    {RGB(167, 176, 186), COLOR_BTNTEXT},                // ToolbarLine
    // A hot control keeps its face and shows it by its border, so that its
    // icon or text stays on the colour it was made for.
    {palette::kHotFill, COLOR_BTNFACE},                 // HotFill
    {palette::kHotBorder, COLOR_HIGHLIGHT},             // HotBorder
    {palette::kNearWhite, COLOR_BTNFACE},               // ActiveTab
    {RGB(202, 202, 202), COLOR_BTNTEXT},                // TabCloseMark
    {RGB(219, 68, 55), COLOR_HIGHLIGHT},                // TabCloseMarkHot
    {palette::kNearWhite, COLOR_WINDOW},                // Page
    {RGB(40, 40, 40), COLOR_WINDOWTEXT},                // PageText
    // In high contrast the navigation is page too: its headings and links
    // are drawn in the page's text colours.
    {RGB(0xEE, 0xEE, 0xEE), COLOR_WINDOW},              // PageNavigation
    {RGB(0x1A, 0x4E, 0xC2), COLOR_WINDOWTEXT},          // PageHeading
    {RGB(0, 0, 0), COLOR_HOTLIGHT},                     // PageLink
    {RGB(0x1A, 0x4E, 0xC2), COLOR_HIGHLIGHT},           // PageAccent
    {palette::kWhite, COLOR_HIGHLIGHTTEXT},             // PageAccentText
    {palette::kFrameBlue, COLOR_HIGHLIGHT},             // PagePressedLink
};
static_assert(sizeof(kParts) / sizeof(kParts[0]) == static_cast<size_t>(UiPart::kCount),
              "one entry per part");

bool AskTheSystem() {
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

HighContrastQuery highContrastQuery = AskTheSystem;

}  // namespace

COLORREF PartColor(UiPart part, bool highContrast) {
    const PartColours& colours = kParts[static_cast<int>(part)];
    return highContrast ? GetSysColor(colours.system) : colours.normal;
}

COLORREF PartColor(UiPart part) {
    return PartColor(part, IsHighContrast());
}

bool IsHighContrast() {
    return highContrastQuery();
}

void SetHighContrastQuery(HighContrastQuery query) {
    highContrastQuery = query ? query : AskTheSystem;
}

}  // namespace qwin
}  // namespace kiln
