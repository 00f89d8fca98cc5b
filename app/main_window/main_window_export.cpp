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
        documents::ExportCard(path, rtf);
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
// selected, as the file holds them: the shown card is saved first. A large
// branch takes a while: it is read and written behind a progress dialog
// whose Cancel leaves no file, and an older file of that name as it was.
void MainWindow::CommandExportBranch(const Command&) {
    if (!RequireOpenDatabase()) return;
    const HTREEITEM selected = cardTree.GetSelectedItem();
    const CardId top = selected ? cardTree.GetCardId(selected) : 0;
    QString path;
    if (!prompts.AskSavePath(handle, SavePathKind::Branch, path)) return;
    SetStatusText(L"Exporting...");
    bool exported = false;
    try {
        SaveCurrentCard();
        RunOnDatabase(L"Export branch", [&](ProgressReport& report) {
            if (!report.Report(0, L"Reading the cards...")) return;
            const std::vector<BranchCardRow> rows = readBranch(database, top);
            std::vector<documents::BranchCard> cards;
            cards.reserve(rows.size());
            for (const BranchCardRow& row : rows) {
                QString text;
                text.Format(L"Reading cards: %u of %u", static_cast<unsigned>(cards.size()),
                            static_cast<unsigned>(rows.size()));
                if (!report.Report(static_cast<unsigned>(800ull * cards.size() / rows.size()), text)) return;
                const QBuffer rtf = store::loadCardContent(database, row.id);
                cards.push_back(documents::BranchCard{row.title.c_str(), row.depth,
                                                      documents::ReadRtf(rtf.GetData(), rtf.GetCount())});
            }
            // The last chance to stop: once the file is being written it is
            // finished, as a half-written one would only be removed again.
            if (!report.Report(800, L"Writing the file...")) return;
            documents::ExportBranch(path, cards);
            exported = true;
        });
    } catch (const QError& error) {
        QString reason = error.message;
        reason.Trim();
        SetStatusText(L"Export failed: " + reason);
        ShowMessage(error.message);
        return;
    }
    SetStatusText(exported ? L"Exported to file: " + path : QString(L"Export cancelled."));
}
