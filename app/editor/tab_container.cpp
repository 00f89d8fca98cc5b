#include "app/editor/tab_container.h"

#include "window/display_scale.h"
#include "resources/command_ids.h"

using kiln::qstd::QString;
using kiln::qwin::QTabContainer;
using kiln::qwin::QWindow;
using kiln::qwin::ScaleY;

TabContainer::TabContainer(QWindow& owner)
    : QTabContainer(kCapTabWidth | kCloseMarks | kDragToReorder | kKeepLastTab), owner(owner) {}

bool TabContainer::Create(QWindow* parent, int id, DWORD style) {
    SetStripHeight(ScaleY(kDefaultStripHeight));
    return QTabContainer::Create(parent, id, style);
}

void TabContainer::ApplyDisplayScale() {
    QTabContainer::ApplyDisplayScale(ScaleY(kDefaultStripHeight));
}

bool TabContainer::OnMButtonDown(UINT, POINT*) {
    SetCapture(handle);
    return true;
}

bool TabContainer::OnMButtonUp(UINT, POINT* point) {
    if (GetCapture() == handle) ReleaseCapture();
    const int index = TabAt(*point);
    if (index >= 0 && GetTabCount() >= 2) CloseTab(static_cast<unsigned>(index));
    return true;
}

bool TabContainer::AddEditorTab(std::unique_ptr<EditorPage> page, const QString& title, CardId cardId) {
    return AddTab(std::move(page), title, cardId);
}

EditorPage* TabContainer::GetActiveEditor() const {
    // Every page added goes through AddEditorTab.
    return static_cast<EditorPage*>(GetActivePage());
}

EditorPage* TabContainer::GetEditor(unsigned index) const {
    return index < GetTabCount() ? static_cast<EditorPage*>(GetTab(index).page.get()) : nullptr;
}

void TabContainer::OnTabChanged() {
    SendMessageW(owner.GetHandle(), WM_COMMAND, MAKEWPARAM(IDC_TAB_CHANGED, 0), 0);
}

bool TabContainer::OnTabClosing(unsigned index) {
    return !closeGuard || closeGuard(index);
}
