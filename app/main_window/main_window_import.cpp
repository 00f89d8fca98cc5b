// The Import command: every card of another database copied under a new
// "Import" card, on a thread of its own while a progress dialog shows.

#include <optional>

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/card_import.h"
#include "store/cipher/encrypted_file.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

void MainWindow::CommandImport(const Command&) {
    if (!IsDatabaseOpen()) {
        ShowMessage(L"You don't have a database open!");
        return;
    }
    if (!RequireWritableDatabase()) return;
    QString path;
    if (!prompts.AskOpenPath(handle, OpenPathKind::ImportDatabase, path)) return;
    // Before any password is asked for: the open file's own password would
    // otherwise be asked for only to be refused.
    if (store::isSameFile(path, databasePath)) {
        ShowMessage(store::kSameDatabaseMessage);
        return;
    }
    ImportDatabase(path);
}

bool MainWindow::ImportDatabase(const QString& path) {
    try {
        SaveCurrentCard();
        CardDatabase source;
        if (isEncryptedFile(path)) {
            NewPasswordEntries entries;
            if (!prompts.AskNewPassword(handle, entries)) return false;
            source.openFile(path);
            source.applyKey(entries.password);
        } else {
            source.openFile(path);
        }
        std::optional<store::ImportResult> result;
        RunOnDatabase(L"Import Vorlen", [&](ProgressReport& report) {
            if (!report.Report(0, L"Prepare Data...")) return;
            result = store::importCardDatabase(database, source, [&](const store::ImportProgress& progress) {
                QString text;
                text.Format(L"Importing records: %u", progress.copied);
                return report.Report(progress.permille, text);
            });
        });
        // Cancelled: the target is as it was.
        if (!result || !result->completed) return true;
        ShowImportedCards(result->cards);
    } catch (const QError& error) {
        ShowMessage(error.message);
    } catch (...) {
        ShowMessage(L"Unknown error while importing data!");
    }
    return true;
}

// Only the "Import" card's item goes in; its branches are read when opened,
// as everywhere else in the tree, so a large import costs the tree nothing.
void MainWindow::ShowImportedCards(const CardTree& cards) {
    if (cards.getCount() == 0) return;
    const CardRow& importCard = cards.getCard(0);
    cardIdToItemValue(importCard.id);
    const HTREEITEM importItem = cardTree.InsertItem(importCard.title.c_str(), TVI_ROOT, importCard.id,
                                                     cards.getCount() > 1);
    LoadChildCards(importItem);
    cardTree.Expand(importItem);
    cardTree.SelectItem(importItem);
}
