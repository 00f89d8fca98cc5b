#pragma once

#include <memory>

#include "app/editor_page.h"
#include "store/card_id.h"
#include "window/qtabcontainer.h"

// The editor tabs of the main window: every page is an EditorPage, and a
// change of the active tab is reported to the owner as command 2414.
class TabContainer : public kiln::qwin::QTabContainer {
public:
    // The value of the first tab while it shows no card.
    static constexpr CardId kWelcomeTab = -4;

    explicit TabContainer(kiln::qwin::QWindow& owner);

    // The strip's height follows the display scale.
    bool Create(kiln::qwin::QWindow* parent, int id, DWORD style) override;

    bool AddEditorTab(std::unique_ptr<EditorPage> page, const kiln::qstd::QString& title, CardId cardId);
    // Null when there are no tabs.
    EditorPage* GetActiveEditor() const;

protected:
    void OnTabChanged() override;

private:
    kiln::qwin::QWindow& owner;
};
