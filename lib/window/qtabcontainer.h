#pragma once

#include <cstdint>
#include <memory>

#include "core/qobarray.h"
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
class QTabContainer : public QControl {
public:
    // Style flags given at construction.
    static const DWORD kCapTabWidth = 1;
    static const DWORD kCloseMarks = 4;
    static const DWORD kDragToReorder = 8;
    static const DWORD kKeepLastTab = 16;

    static const int kDefaultStripHeight = 25;
    static const int kMargin = 3;
    static const int kMaxTabWidth = 160;

    explicit QTabContainer(DWORD flags = 0);
    ~QTabContainer() override;

    const wchar_t* GetClassName() const override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCreate() override;
    bool OnSize(UINT type, int cx, int cy) override;
    bool OnEraseBackground(QGraphics& graphics) override;
    bool OnPaint(QPaintGraphics& graphics) override;
    bool OnSetFocus(HWND losingFocus) override;
    bool OnLButtonDown(UINT keys, POINT* point) override;

    // Creates the page as a child of the container and makes its tab the active one; false when the page's
    // window could not be created. A tab without a title takes the page's text.
    bool AddTab(std::unique_ptr<QWindow> page, const QString& title, int64_t value);
    bool HasTab(int64_t value) const;
    // The first tab carrying the value that is not already active.
    void ActivateTab(int64_t value);
    void SetActiveTitle(const QString& title);
    void SetActiveValue(int64_t value);
    void SetTitle(int64_t value, const QString& title);

    // Null when there are no tabs.
    QWindow* GetActivePage() const;
    unsigned GetTabCount() const { return tabs.GetCount(); }
    const QTab& GetTab(unsigned index) const { return *tabs[index]; }
    int GetActiveIndex() const { return active; }

    // Set before the window is created.
    void SetStripHeight(int height) { stripHeight = height; }
    int GetStripHeight() const { return stripHeight; }
    void SetBackground(COLORREF colour);

protected:
    // Called whenever another tab became the active one.
    virtual void OnTabChanged();
    void Activate(unsigned index);
    void Layout();

    DWORD flags;
    int stripHeight = kDefaultStripHeight;
    COLORREF background;
    qstd::QObArray<QTab> tabs;
    int active = -1;
    QFont font;
};

}  // namespace qwin
}  // namespace kiln
