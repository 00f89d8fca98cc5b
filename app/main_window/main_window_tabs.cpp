// The editor tabs: each page is saved to the card its own tab shows, and the
// tree follows the active tab.

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/guarded_save.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

bool MainWindow::SaveTab(unsigned index) {
    EditorPage* page = tabs.GetEditor(index);
    if (!page || !page->IsModified() || !database.isOpen()) return false;
    const CardId cardId = tabs.GetTab(index).value;
    if (cardId == TabContainer::kWelcomeTab) return false;
    QBuffer rtf;
    if (!page->GetRtf(rtf)) throw QError(L"The card's text could not be read from the editor.");
    SYSTEMTIME now;
    GetLocalTime(&now);
    const store::GuardedSave saved = store::saveUnlessChangedElsewhere(
        database, cardId, page->GetLoadedVersion(), tabs.GetTab(index).title, page->GetPlainText(), rtf, now);
    page->SetLoadedVersion(saved.version);
    page->GetEditor().SetModified(false);
    if (saved.conflict) KeepConflictingVersion(index, saved);
    return true;
}

// After a change of tab only the active page may hold edits; the others are
// written to their cards, so that no later save depends on which tab is active.
void MainWindow::SaveModifiedTabs() {
    for (unsigned i = 0; i < tabs.GetTabCount(); ++i) SaveTab(i);
}

void MainWindow::CloseAllTabsButOne() {
    while (tabs.GetTabCount() > 1 && tabs.CloseTab(tabs.GetTabCount() - 1)) {
    }
}

void MainWindow::CloseTabsOfDeletedCards(const kiln::qstd::QArray<CardId>* deleted) {
    const auto isDeleted = [deleted](CardId cardId) {
        if (cardId == TabContainer::kWelcomeTab) return false;
        if (!deleted) return true;
        for (unsigned i = 0; i < deleted->GetCount(); ++i) {
            if ((*deleted)[i] == cardId) return true;
        }
        return false;
    };
    for (unsigned i = tabs.GetTabCount(); i-- > 0;) {
        if (!isDeleted(tabs.GetTab(i).value)) continue;
        // The edits went with the card: nothing is left to write them into.
        EditorPage* page = tabs.GetEditor(i);
        page->GetEditor().SetModified(false);
        if (tabs.CloseTab(i)) continue;
        // The last tab stays, showing nothing, so a later save has no card to
        // write; nothing can be typed into it until a card is shown.
        page->GetEditor().SetText(L"");
        page->GetEditor().SetModified(false);
        tabs.SetActiveTitle(L"Welcome");
        tabs.SetActiveValue(TabContainer::kWelcomeTab);
        ApplyPageWritability(*page, TabContainer::kWelcomeTab);
    }
}

bool MainWindow::SaveTabBeforeClose(unsigned index) {
    // The tab stays open with its edits unless the user chose otherwise.
    return SettlePage(index);
}

bool MainWindow::OpenCardInNewTab(CardId cardId, const QString& title) {
    // Read first: a card that cannot be read opens no tab.
    const QBuffer rtf = store::loadCardContent(database, cardId);
    auto created = std::make_unique<EditorPage>();
    EditorPage* page = created.get();
    if (!tabs.AddEditorTab(std::move(created), title, cardId)) return false;
    ApplyPageWritability(*page, cardId);
    page->SetWordWrap(settings.wordWrap);
    page->SetLoadedVersion(store::contentVersion(rtf));
    page->LoadRtf(rtf.GetData(), rtf.GetCount());
    return true;
}

void MainWindow::CommandOpenInNewTab(const Command&) {
    if (!IsDatabaseOpen()) return;
    HTREEITEM item = cardTree.GetDropTarget();
    if (!item) item = cardTree.GetSelectedItem();
    if (!item) return;
    const CardId cardId = cardTree.GetCardId(item);
    try {
        if (tabs.HasTab(cardId)) {
            tabs.ActivateTab(cardId);
        } else {
            SaveCurrentCard();
            OpenCardInNewTab(cardId, cardTree.GetItemText(item));
        }
        cardTree.SetDropTarget(nullptr);
        cardTree.SelectItem(item);
    } catch (const QError& error) {
        ShowMessage(error.message);
    }
}

void MainWindow::CommandTabChanged(const Command&) {
    if (!IsDatabaseOpen()) return;
    try {
        // A page that cannot be saved keeps its edits in its tab; the status
        // line says so and the next pause tries again.
        SaveEverything();
        const int active = tabs.GetActiveIndex();
        if (active < 0) return;
        const HTREEITEM item = RevealCard(tabs.GetTab(static_cast<unsigned>(active)).value);
        if (item != TVI_ROOT && item != cardTree.GetSelectedItem()) cardTree.SelectItem(item);
    } catch (const QError& error) {
        ShowMessage(error.message);
    }
}
