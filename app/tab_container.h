#pragma once

#include <memory>

#include "app/editor_page.h"
#include "window/qtabcontainer.h"

// The editor tabs of the main window: every page is an EditorPage, and a
// change of the active tab is reported to the owner as command 2414.
class TabContainer : public kiln::qwin::QTabContainer {
public:
    explicit TabContainer(kiln::qwin::QWindow& owner);

    // The strip's height follows the display scale.
    bool Create(kiln::qwin::QWindow* parent, int id, DWORD style) override;

    bool AddEditorTab(std::unique_ptr<EditorPage> page, const kiln::qstd::QString& title, int cardId);
    // Null when there are no tabs.
    EditorPage* GetActiveEditor() const;

protected:
    void OnTabChanged() override;

private:
    kiln::qwin::QWindow& owner;
};
