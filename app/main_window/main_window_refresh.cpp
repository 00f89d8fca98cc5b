// Changes other programs make to the open file show up: the file's change
// counter is looked at when the window is activated and on a short timer
// while it is visible; a change refreshes the tree in place and the pages
// that hold no unsaved edits. A page with unsaved edits is left alone: its
// save finds out and keeps both versions.

#include "app/main_window/brief_lock_wait.h"
#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/guarded_save.h"

using kiln::qstd::QArray;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// Often enough that a change made elsewhere is there by the time the user
// looks; one pragma each time, which costs next to nothing.
const UINT kChangeCheckMs = 1000;

// Set for as long as the refresh rebuilds the tree: the selection it puts
// back is no choice of the user's.
class RefreshScope {
public:
    explicit RefreshScope(bool& flag) : flag(flag) { flag = true; }
    RefreshScope(const RefreshScope&) = delete;
    RefreshScope& operator=(const RefreshScope&) = delete;
    ~RefreshScope() { flag = false; }

private:
    bool& flag;
};

}  // namespace

void MainWindow::WatchFileChanges() {
    fileChanges.reset(database);
    SetTimer(handle, kFileChangeTimer, kChangeCheckMs, nullptr);
}

void MainWindow::CheckForChanges() {
    // The connection may be lent to long work on another thread.
    if (!IsDatabaseOpen() || !database.isOpen() || databaseLent || passwordChangedElsewhere || refreshing) return;
    if (!IsWindowVisible(handle) || IsIconic(handle)) return;
    // The tree is in the user's hands during a dialog, a rename or a drag.
    if (!IsWindowEnabled(handle) || cardTree.GetEditControl() || treeDragging) return;
    try {
        bool changed = false;
        {
            BriefLockWait brief(database);
            changed = fileChanges.changed(database);
        }
        if (changed) RefreshFromFile();
    } catch (const QError& error) {
        if (IsPasswordChangedElsewhere(error)) {
            ReopenAfterPasswordChange();
            return;
        }
        // Another writer's lock, say: the next look tries again.
        if ((error.code & 0xFF) == SQLITE_BUSY || (error.code & 0xFF) == SQLITE_LOCKED) return;
        SetStatusText(L"The file could not be read: " + error.message);
    }
}

void MainWindow::RefreshFromFile() {
    if (refreshing || databaseLent || !database.isOpen()) return;
    RefreshScope scope(refreshing);
    RefreshTabs();
    RefreshTree();
    // The results would offer cards another program deleted, under titles it
    // changed, and miss the ones it added.
    SearchAgain();
}

void MainWindow::RefreshTabs() {
    QArray<CardId> gone;
    for (unsigned i = 0; i < tabs.GetTabCount(); ++i) {
        const CardId cardId = tabs.GetTab(i).value;
        EditorPage* page = tabs.GetEditor(i);
        if (cardId == TabContainer::kWelcomeTab || !page) continue;
        const QString title = tabs.GetTab(i).title;
        const store::StoredCard stored = store::readStoredCard(database, cardId);
        if (!stored.exists) {
            if (!page->IsModified()) {
                gone.Add(cardId);
            } else {
                SetStatusText(L"\"" + title + L"\" was deleted by another program: your changes will be kept as a "
                              L"new card.");
            }
            continue;
        }
        // Edits made to other content than the card now holds are not shown
        // under its title: their save becomes a card of their own.
        const bool sameContent = stored.version == page->GetLoadedVersion();
        if (page->IsModified() && !sameContent) continue;
        if (stored.title != title) tabs.SetTitle(cardId, stored.title);
        if (page->IsModified() || sameContent) continue;
        page->SetLoadedVersion(stored.version);
        page->LoadRtf(stored.rtf.GetData(), stored.rtf.GetCount());
        if (page == tabs.GetActiveEditor()) toolbar.ShowCaretFormat(page->GetCaretFormat());
    }
    if (!gone.IsEmpty()) CloseTabsOfDeletedCards(&gone);
}

namespace {

void CollectExpanded(const CardTreeView& tree, HTREEITEM parent, QArray<CardId>& expanded) {
    for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextItem(item)) {
        if (!(TreeView_GetItemState(tree.GetHandle(), item, TVIS_EXPANDED) & TVIS_EXPANDED)) continue;
        expanded.Add(tree.GetCardId(item));
        CollectExpanded(tree, item, expanded);
    }
}

}  // namespace

// Read again from the top, then put back as it was: the branches that were
// open, the selection (the active tab's card, which a conflict may have
// changed) and the first row shown.
void MainWindow::RefreshTree() {
    QArray<CardId> expanded;
    CollectExpanded(cardTree, TVI_ROOT, expanded);
    const HTREEITEM selectedItem = cardTree.GetSelectedItem();
    CardId selected = selectedItem ? cardTree.GetCardId(selectedItem) : 0;
    const int active = tabs.GetActiveIndex();
    if (active >= 0 && tabs.GetTab(static_cast<unsigned>(active)).value != TabContainer::kWelcomeTab) {
        selected = tabs.GetTab(static_cast<unsigned>(active)).value;
    }
    const HTREEITEM top = cardTree.GetFirstVisible();
    const CardId firstShown = top ? cardTree.GetCardId(top) : 0;

    SendMessageW(cardTree.GetHandle(), WM_SETREDRAW, FALSE, 0);
    FillCardTree();
    for (unsigned i = 0; i < expanded.GetCount(); ++i) {
        const HTREEITEM item = RevealCard(expanded[i]);
        if (item != TVI_ROOT) cardTree.Expand(item);
    }
    const HTREEITEM select = selected ? RevealCard(selected) : TVI_ROOT;
    if (select != TVI_ROOT) cardTree.SelectItem(select);
    const HTREEITEM first = firstShown ? RevealCard(firstShown) : TVI_ROOT;
    if (first != TVI_ROOT) TreeView_SelectSetFirstVisible(cardTree.GetHandle(), first);
    SendMessageW(cardTree.GetHandle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(cardTree.GetHandle(), nullptr, TRUE);
}

void MainWindow::KeepConflictingVersion(unsigned index, const store::GuardedSave& saved) {
    const QString title = tabs.GetTab(index).title;
    // The page goes on with the card that holds its words.
    tabs.SetTab(index, saved.cardId, saved.title);
    const QString text =
        saved.cardWasGone
            ? L"\"" + title + L"\" was deleted by another program. Your changes were kept as a new card: \"" +
                  saved.title + L"\"."
            : L"\"" + title + L"\" was changed by another program. Both versions were kept: yours is the new card \"" +
                  saved.title + L"\".";
    SetStatusText(text);
    prompts.ShowNotice(handle, L"Both versions kept", text);
    // The tree shows the new card once the save that made it is over (it may
    // run inside one of the tree's own notifications).
    PostMessageW(handle, kFileChangesMessage, TRUE, 0);
}

void MainWindow::OnFileChangesMessage(bool refreshNow) {
    if (!refreshNow) {
        CheckForChanges();
        return;
    }
    try {
        RefreshFromFile();
    } catch (const QError& error) {
        if (IsPasswordChangedElsewhere(error)) ReopenAfterPasswordChange();
    }
}
