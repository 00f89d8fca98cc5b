#pragma once

#include <cstdint>
#include <memory>

#include "core/qobarray.h"
#include "window/qaccessible.h"
#include "window/qcontrol.h"
#include "window/qgdi_object.h"

namespace kiln {
namespace qwin {

// One tab of a QTabContainer: the page it owns, its title, and a value that
// tells the owner what the page shows (wide enough for any record id).
class QTab {
public:
    QTab(std::unique_ptr<QWindow> page, const QString& title, int64_t value)
        : value(value), title(title), page(std::move(page)) {}

    int64_t value;
    QString title;
    std::unique_ptr<QWindow> page;
    // Where the tab sits in the strip, set by the layout.
    RECT rect = {0, 0, 0, 0};
};

// A custom-drawn strip of tabs over the page of the active tab. A click on a
// tab makes it active; the active page is the only one shown and receives
// the keyboard focus.
class QTabContainer : public QControl, private AccessibleSource {
public:
    // Style flags given at construction.
    static const DWORD kCapTabWidth = 1;
    static const DWORD kCloseMarks = 4;
    static const DWORD kDragToReorder = 8;
    static const DWORD kKeepLastTab = 16;

    // At 96 pixels per inch; the control scales them.
    static const int kDefaultStripHeight = 25;
    static const int kMargin = 3;
    static const int kMaxTabWidth = 160;
    // The close mark: a box this far left of the tab's right edge, this big.
    static const int kCloseOffset = 18;
    static const int kCloseSize = 12;

    explicit QTabContainer(DWORD flags = 0);
    ~QTabContainer() override;

    const wchar_t* GetClassName() const override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCreate() override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnEraseBackground(QGraphics& graphics) override;
    bool OnPaint(QPaintGraphics& graphics) override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    bool OnSetFocus(HWND losingFocus) override;
    bool OnLButtonDown(UINT keys, POINT* point) override;
    bool OnLButtonUp(UINT keys, POINT* point) override;
    bool OnLButtonDblClk(UINT keys, POINT* point) override;
    bool OnMouseMove(UINT keys, POINT* point) override;
    bool OnMouseLeave() override;
    // The strip as a page tab list for screen readers, one child per tab.
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT* result) override;

    // Creates the page as a child of the container and makes its tab the active one; false when the page's
    // window could not be created. A tab without a title takes the page's text.
    bool AddTab(std::unique_ptr<QWindow> page, const QString& title, int64_t value);
    // Closes the tab and destroys its page; refused (false) for the last tab
    // when it is kept, or when OnTabClosing says no.
    bool CloseTab(unsigned index);
    bool HasTab(int64_t value) const;
    // The first tab carrying the value that is not already active.
    void ActivateTab(int64_t value);
    void SetActiveTitle(const QString& title);
    void SetActiveValue(int64_t value);
    void SetTitle(int64_t value, const QString& title);
    // The tab at index carries another value under another title.
    void SetTab(unsigned index, int64_t value, const QString& title);
    // Shows the tab's page and gives it the focus; the tab already active stays.
    void Activate(unsigned index);

    // Null when there are no tabs.
    QWindow* GetActivePage() const;
    unsigned GetTabCount() const { return tabs.GetCount(); }
    const QTab& GetTab(unsigned index) const { return *tabs[index]; }
    int GetActiveIndex() const { return active; }
    // The tab at a point of the client area, or -1; onClose tells whether the
    // point is on its close mark.
    int TabAt(POINT point, bool* onClose = nullptr) const;
    // The close mark of a tab, for its painting and hit test.
    RECT CloseBox(unsigned index) const;

    // Set before the window is created.
    void SetStripHeight(int height) { stripHeight = height; }
    int GetStripHeight() const { return stripHeight; }
    void SetBackground(COLORREF colour);
    // The monitor's scale changed: the strip, the font and the tabs follow.
    void ApplyDisplayScale(int scaledStripHeight);
    HFONT GetFont() const { return font.Get(); }

protected:
    // Called whenever another tab became the active one, and after a close.
    virtual void OnTabChanged();
    // Called before a tab closes; false keeps it.
    virtual bool OnTabClosing(unsigned index);
    void Layout();
    void DragTo(POINT point);
    void Repaint();

    DWORD flags;
    int stripHeight = kDefaultStripHeight;
    COLORREF background;
    qstd::QObArray<QTab> tabs;
    int active = -1;
    QFont font;
    // The tab under the pointer (-1: none) and whether the pointer is on its close mark.
    int hot = -1;
    bool hotClose = false;
    // The tab whose close mark was pressed, until the button is released.
    int closePressed = -1;
    // The tab being dragged to another place in the strip, and the pointer's last position.
    int dragged = -1;
    POINT lastPoint = {0, 0};

private:
    long AccessibleRole() const override;
    int AccessiblePartCount() const override;
    AccessiblePart AccessiblePartAt(int index) const override;
    bool DoAccessibleAction(int index) override;

    QAccessible accessible{*this};
};

}  // namespace qwin
}  // namespace kiln
