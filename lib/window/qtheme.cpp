#include "window/qtheme.h"

#include "window/ui_colors.h"

namespace kiln {
namespace qwin {

COLORREF QTheme::GetStripBackground() const { return PartColor(UiPart::Toolbar); }
COLORREF QTheme::GetTabFill() const { return PartColor(UiPart::Toolbar); }
COLORREF QTheme::GetTabFillEnd() const { return PartColor(UiPart::Toolbar); }
COLORREF QTheme::GetPanelFill() const { return PartColor(UiPart::Toolbar); }
COLORREF QTheme::GetTabBorder() const { return PartColor(UiPart::ToolbarLine); }
COLORREF QTheme::GetHotTabFill() const { return PartColor(UiPart::HotFill); }
COLORREF QTheme::GetHotTabBorder() const { return PartColor(UiPart::HotBorder); }
COLORREF QTheme::GetActiveTabFill() const { return PartColor(UiPart::ActiveTab); }
COLORREF QTheme::GetActiveTabBorder() const { return PartColor(UiPart::ToolbarLine); }
COLORREF QTheme::GetButtonFill() const { return PartColor(UiPart::Toolbar); }
COLORREF QTheme::GetFrameLine() const { return PartColor(UiPart::ToolbarLine); }
COLORREF QTheme::GetHotButtonFill() const { return PartColor(UiPart::HotFill); }
COLORREF QTheme::GetHotButtonBorder() const { return PartColor(UiPart::HotBorder); }
COLORREF QTheme::GetButtonBorder() const { return PartColor(UiPart::ToolbarLine); }
COLORREF QTheme::GetText() const { return PartColor(UiPart::ToolbarText); }
COLORREF QTheme::GetActiveBand() const { return PartColor(UiPart::ActiveTab); }
COLORREF QTheme::GetCloseMark() const { return PartColor(UiPart::TabCloseMark); }
COLORREF QTheme::GetHotCloseMark() const { return PartColor(UiPart::TabCloseMarkHot); }

const QTheme& QTheme::Default() {
    static const QTheme theme;
    return theme;
}

}  // namespace qwin
}  // namespace kiln
