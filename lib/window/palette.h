#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// The colours of the program's look that more than one surface shares.
namespace palette {

inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kNearWhite = RGB(252, 252, 252);
// The caption, the active frame's edge and the status bar.
inline constexpr COLORREF kFrameBlue = RGB(42, 88, 154);
inline constexpr COLORREF kInactiveFrame = RGB(66, 66, 69);
// Behind the panes: the frame, the splitter and the search panel.
inline constexpr COLORREF kPaneBlue = RGB(220, 233, 244);
// The formatting toolbar and the tab strip, with their hot controls.
inline constexpr COLORREF kToolbarBlue = RGB(219, 231, 245);
inline constexpr COLORREF kHotFill = RGB(207, 230, 253);
inline constexpr COLORREF kHotBorder = RGB(100, 165, 230);
// A card's text where it has no colour of its own.
inline constexpr COLORREF kCardText = RGB(20, 0, 0);

}  // namespace palette
}  // namespace qwin
}  // namespace kiln
