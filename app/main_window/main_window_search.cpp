// The search panel's commands: searches run on a thread of their own and
// come back as a message; choosing a result shows its card in the current tab.

#include <utility>

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "resources/command_ids.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

void MainWindow::CommandSearchRun(const Command& command) {
    if (command.code != SEARCH_RUN || !IsDatabaseOpen()) return;
    // The search reads the file: edits still only in the editor would be
    // missed, and text deleted there would still be found. A search still
    // reading would hold the save back until it ended, so it ends first.
    search.Cancel();
    // A page that cannot be saved is said on the status line; typing a
    // search never opens a dialog.
    SaveEverything();
    search.Request(databasePath, currentPassword, searchPanel.GetSearchText());
}

// The search reads every card's text as soon as a file is open, and keeps
// it current from what this window's connection writes, so that no search
// waits for the file, not even the first one or one right after a save.
void MainWindow::StartSearching() {
    database.watchWrites(search.GetWriteLog());
    search.WarmUp(databasePath, currentPassword);
}

// The results and the text belong to the file being closed: their card ids
// mean other cards, or none, in the next one.
void MainWindow::EndSearching() {
    search.Stop();
    searchPanel.Reset();
    if (!searchPanelShown) return;
    ShowWindow(searchPanel.GetHandle(), SW_HIDE);
    ShowWindow(cardTree.GetHandle(), SW_SHOW);
    searchPanelShown = false;
}

// After cards are deleted or renamed the list would offer cards that are gone
// or titles that are old; the same text is searched again, shown or not.
void MainWindow::SearchAgain() {
    if (searchPanel.GetSearchText().IsEmpty()) return;
    search.Request(databasePath, currentPassword, searchPanel.GetSearchText());
}

void MainWindow::OnSearchFinished() {
    SearchOutcome outcome;
    // A newer keystroke asked again since: this outcome is stale.
    if (!search.TakeLatest(outcome)) return;
    if (!outcome.error.IsEmpty()) ShowMessage(outcome.error);
    searchPanel.ShowResults(outcome.text, std::move(outcome.results));
}

void MainWindow::CommandSearchResult(const Command& command) {
    try {
        if (command.code == SEARCH_RESULT_CHANGING) {
            // The result being left keeps its edits.
            resultLeftUnsaved = false;
            SaveCurrentCard();
        } else if (command.code == SEARCH_RESULT_CHOSEN && !resultLeftUnsaved) {
            ShowSearchResult();
        }
    } catch (const QError& error) {
        // The edits stay in the editor rather than being replaced by the
        // chosen card; the next save writes them to their own card.
        if (command.code == SEARCH_RESULT_CHANGING) resultLeftUnsaved = true;
        ShowMessage(error.message);
    }
}

void MainWindow::ShowSearchResult() {
    EditorPage* page = tabs.GetActiveEditor();
    CardId cardId = 0;
    QString cardTitle;
    if (!page || !searchPanel.GetSelectedResult(cardId, cardTitle)) return;
    // A card is never shown twice: a second copy would keep stale text, and
    // its later save would overwrite the newer edits.
    if (tabs.HasTab(cardId)) {
        const int active = tabs.GetActiveIndex();
        if (active < 0 || tabs.GetTab(static_cast<unsigned>(active)).value != cardId) tabs.ActivateTab(cardId);
        page = tabs.GetActiveEditor();
        if (!page) return;
    } else {
        LoadCardIntoActiveTab(cardId, cardTitle);
    }
    page->FindNext(searchPanel.GetSearchText().c_str());
}

void MainWindow::CommandFindNext(const Command&) {
    EditorPage* page = tabs.GetActiveEditor();
    if (page && !searchPanel.GetSearchText().IsEmpty()) page->FindNext(searchPanel.GetSearchText().c_str());
}
