#pragma once

#include <windows.h>

namespace kiln {
namespace qwin {

// The colours of the library's custom-drawn controls (the tab strip among
// them), the system's own while high contrast is on. A derived theme may
// change any of them.
class QTheme {
public:
    virtual ~QTheme() = default;

    virtual COLORREF GetStripBackground() const;
    virtual COLORREF GetTabFill() const;
    virtual COLORREF GetTabFillEnd() const;
    virtual COLORREF GetPanelFill() const;
    virtual COLORREF GetTabBorder() const;
    virtual COLORREF GetHotTabFill() const;
    virtual COLORREF GetHotTabBorder() const;
    virtual COLORREF GetActiveTabFill() const;
    virtual COLORREF GetActiveTabBorder() const;
    virtual COLORREF GetButtonFill() const;
    virtual COLORREF GetFrameLine() const;
    virtual COLORREF GetHotButtonFill() const;
    virtual COLORREF GetHotButtonBorder() const;
    virtual COLORREF GetButtonBorder() const;
    virtual COLORREF GetText() const;
    virtual COLORREF GetActiveBand() const;
    virtual COLORREF GetCloseMark() const;
    virtual COLORREF GetHotCloseMark() const;

    // The one process-wide theme.
    static const QTheme& Default();
};

}  // namespace qwin
}  // namespace kiln
