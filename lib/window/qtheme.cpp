#include "window/qtheme.h"

#include "window/palette.h"

namespace kiln {
namespace qwin {

namespace {
const COLORREF kPaleBlue = palette::kToolbarBlue;
const COLORREF kGreyBlue = RGB(167, 176, 186);
const COLORREF kHotBlue = palette::kHotFill;
const COLORREF kHotBorder = palette::kHotBorder;
const COLORREF kNearWhite = palette::kNearWhite;
const COLORREF kBlack = RGB(0, 0, 0);
}  // namespace

COLORREF QTheme::GetStripBackground() const { return kPaleBlue; }
COLORREF QTheme::GetTabFill() const { return kPaleBlue; }
COLORREF QTheme::GetTabFillEnd() const { return kPaleBlue; }
COLORREF QTheme::GetPanelFill() const { return kPaleBlue; }
COLORREF QTheme::GetTabBorder() const { return kGreyBlue; }
COLORREF QTheme::GetHotTabFill() const { return kHotBlue; }
COLORREF QTheme::GetHotTabBorder() const { return kHotBorder; }
COLORREF QTheme::GetActiveTabFill() const { return kNearWhite; }
COLORREF QTheme::GetActiveTabBorder() const { return kGreyBlue; }
COLORREF QTheme::GetButtonFill() const { return kPaleBlue; }
COLORREF QTheme::GetFrameLine() const { return kGreyBlue; }
COLORREF QTheme::GetHotButtonFill() const { return kHotBlue; }
COLORREF QTheme::GetHotButtonBorder() const { return kHotBorder; }
COLORREF QTheme::GetButtonBorder() const { return kGreyBlue; }
COLORREF QTheme::GetText() const { return kBlack; }
COLORREF QTheme::GetActiveBand() const { return kNearWhite; }

const QTheme& QTheme::Default() {
    static const QTheme theme;
    return theme;
}

}  // namespace qwin
}  // namespace kiln
