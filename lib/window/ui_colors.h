#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// Every colour a self-drawn surface paints with, named by the part it
// paints. The program's own look normally; with high contrast on, the
// system colour the user chose for that kind of part.
enum class UiPart {
    Caption,
    InactiveFrame,
    CaptionText,
    CaptionButtonHot,
    CaptionButtonPressed,
    CloseButtonHot,
    CloseButtonPressed,
    // A caption glyph over a hot or pressed button.
    CaptionGlyphHot,
    CloseEdge,
    CloseEdgeHot,
    CloseEdgePressed,
    MenuButtonEdge,
    MenuButtonFace,
    MenuButtonHot,
    MenuButtonPressed,
    MenuButtonText,
    MenuButtonHotText,
    StatusBar,
    StatusText,
    // Behind the panes: the frame's gaps, the splitter, the search panel.
    Pane,
    PaneText,
    PaneMark,
    PaneMarkHot,
    // The formatting toolbar and the tab strip.
    Toolbar,
    ToolbarText,
    ToolbarLine,
    HotFill,
    HotBorder,
    ActiveTab,
    TabCloseMark,
    TabCloseMarkHot,
    // The welcome page drawn without the browser.
    Page,
    PageText,
    PageNavigation,
    PageHeading,
    PageLink,
    // A link under the pointer, and one held down.
    PageAccent,
    PageAccentText,
    PagePressedLink,
    kCount
};

// The colour of a part for either state; PartColor asks the system which.
COLORREF PartColor(UiPart part, bool highContrast);
COLORREF PartColor(UiPart part);

// Whether the user asked for high contrast (SPI_GETHIGHCONTRAST).
bool IsHighContrast();

// Replaces the question to the system, for tests: Wine answers "off" to
// SPI_GETHIGHCONTRAST whatever is set. Null gives the system's answer back.
using HighContrastQuery = bool (*)();
void SetHighContrastQuery(HighContrastQuery query);

}  // namespace qwin
}  // namespace kiln
