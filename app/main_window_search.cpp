// The search panel's commands: searches run on a thread of their own and
// come back as a message; choosing a result shows its card in the current tab.

#include <utility>

#include "app/main_window.h"
#include "core/qerror.h"
#include "resources/command_ids.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

void MainWindow::CommandSearchRun(const Command& command) {
    if (command.code != SEARCH_RUN || !IsDatabaseOpen()) return;
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
            saveCurrentCard();
        } else if (command.code == SEARCH_RESULT_CHOSEN) {
            ShowSearchResult();
        }
    } catch (const QError& error) {
        ShowMessage(error.message);
    }
}

void MainWindow::ShowSearchResult() {
    EditorPage* page = tabs.GetActiveEditor();
    CardId cardId = 0;
    QString cardTitle;
    if (!page || !searchPanel.GetSelectedResult(cardId, cardTitle)) return;
    LoadCardIntoActiveTab(cardId, cardTitle);
    page->FindNext(searchPanel.GetSearchText().c_str());
}

void MainWindow::CommandFindNext(const Command&) {
    EditorPage* page = tabs.GetActiveEditor();
    if (page && !searchPanel.GetSearchText().IsEmpty()) page->FindNext(searchPanel.GetSearchText().c_str());
}
