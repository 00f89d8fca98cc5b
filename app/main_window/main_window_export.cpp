// Export: the active editor's card written to a file, as RTF or as a Word
// document by the name's ending.

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "documents/branch_export.h"
#include "documents/card_export.h"
#include "documents/rtf_reader.h"
#include "store/card_branch.h"
#include "store/card_operations.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

// What the editor shows now, saved or not: its own RTF stream.
void MainWindow::CommandExport(const Command&) {
    EditorPage* page = tabs.GetActiveEditor();
    if (!page) return;
    QString path;
    if (!prompts.AskSavePath(handle, SavePathKind::Export, path)) return;
    SetStatusText(L"Exporting...");
    try {
        QBuffer rtf;
        if (!page->GetRtf(rtf)) throw QError(L"The editor's content could not be read.");
        if (documents::IsDocxName(path)) {
            documents::ExportDocx(path, rtf);
        } else {
            documents::ExportRtf(path, rtf);
        }
    } catch (const QError& error) {
        // The status line never claims a file that was not written.
        QString reason = error.message;
        reason.Trim();
        SetStatusText(L"Export failed: " + reason);
        ShowMessage(error.message);
        return;
    }
    SetStatusText(L"Exported to file: " + path);
}

// The selected card and everything below it, or every card when none is
// selected, as the file holds them: the shown card is saved first.
void MainWindow::CommandExportBranch(const Command&) {
    if (!RequireOpenDatabase()) return;
    const HTREEITEM selected = cardTree.GetSelectedItem();
    const CardId top = selected ? cardTree.GetCardId(selected) : 0;
    QString path;
    if (!prompts.AskSavePath(handle, SavePathKind::Branch, path)) return;
    SetStatusText(L"Exporting...");
    try {
        SaveCurrentCard();
        std::vector<documents::BranchCard> cards;
        for (const BranchCardRow& row : readBranch(database, top)) {
            const QBuffer rtf = store::loadCardContent(database, row.id);
            cards.push_back(
                documents::BranchCard{row.title.c_str(), row.depth, documents::ReadRtf(rtf.GetData(), rtf.GetCount())});
        }
        documents::ExportBranch(path, cards);
    } catch (const QError& error) {
        QString reason = error.message;
        reason.Trim();
        SetStatusText(L"Export failed: " + reason);
        ShowMessage(error.message);
        return;
    }
    SetStatusText(L"Exported to file: " + path);
}
