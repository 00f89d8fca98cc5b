// The Import command: every card of another database copied under a new
// "Import" card, on a thread of its own while a progress dialog shows.

#include <optional>

#include "app/main_window.h"
#include "core/qerror.h"
#include "store/card_import.h"
#include "store/cipher/encrypted_file.h"
#include "window/qredraw_off.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

void MainWindow::CommandImport(const Command&) {
    if (!IsDatabaseOpen()) {
        ShowMessage(L"You don't have a database open!");
        return;
    }
    QString path;
    if (!prompts.AskOpenPath(handle, OpenPathKind::ImportDatabase, path)) return;
    // Before any password is asked for: the open file's own password would
    // otherwise be asked for only to be refused.
    if (store::isSameFile(path, databasePath)) {
        ShowMessage(store::kSameDatabaseMessage);
        return;
    }
    importDatabase(path);
}

bool MainWindow::importDatabase(const QString& path) {
    try {
        saveCurrentCard();
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
        prompts.RunWithProgress(handle, L"Import Vorlen", [&](ProgressReport& report) {
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

// The cards come parents first, so each parent's item exists before its
// children's.
void MainWindow::ShowImportedCards(const CardTree& cards) {
    if (cards.getCount() == 0) return;
    // Every id is checked before the first item goes in, so the tree never
    // shows part of an import.
    for (unsigned i = 0; i < cards.getCount(); ++i) cardIdToItemValue(cards.getCard(i).id);
    HTREEITEM importItem = nullptr;
    {
        kiln::qwin::QRedrawOff redrawOff(cardTree.GetHandle());
        for (unsigned i = 0; i < cards.getCount(); ++i) {
            const CardRow& card = cards.getCard(i);
            const HTREEITEM parent = i == 0 ? TVI_ROOT : cardTree.ItemOfCard(card.parent);
            const HTREEITEM item = cardTree.InsertItem(card.title.c_str(), parent, card.id);
            if (i == 0) importItem = item;
        }
    }
    if (!importItem) return;
    cardTree.Expand(importItem);
    cardTree.SelectItem(importItem);
}
