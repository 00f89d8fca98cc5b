#pragma once

#include <functional>
#include <memory>

#include "app/editor/editor_page.h"
#include "store/card_id.h"
#include "window/qtabcontainer.h"

// The editor tabs of the main window: every page is an EditorPage, a change
// of the active tab is reported to the owner as command 2414, and a middle
// click closes the tab under the pointer.
class TabContainer : public kiln::qwin::QTabContainer {
public:
    // The value of the first tab while it shows no card.
    static constexpr CardId kWelcomeTab = -4;
    // Asked before a tab closes, with its index; false keeps the tab (its
    // page could not be saved, say).
    using CloseGuard = std::function<bool(unsigned index)>;

    explicit TabContainer(kiln::qwin::QWindow& owner);

    // The strip's height follows the display scale.
    bool Create(kiln::qwin::QWindow* parent, int id, DWORD style) override;
    void ApplyDisplayScale();
    bool OnMButtonDown(UINT keys, POINT* point) override;
    bool OnMButtonUp(UINT keys, POINT* point) override;

    bool AddEditorTab(std::unique_ptr<EditorPage> page, const kiln::qstd::QString& title, CardId cardId);
    // Null when there are no tabs.
    EditorPage* GetActiveEditor() const;
    EditorPage* GetEditor(unsigned index) const;
    void SetCloseGuard(CloseGuard guard) { closeGuard = std::move(guard); }

protected:
    void OnTabChanged() override;
    bool OnTabClosing(unsigned index) override;

private:
    kiln::qwin::QWindow& owner;
    CloseGuard closeGuard;
};
