// Export: the active editor's card written to a file, as RTF or as a Word
// document by the name's ending.

#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "documents/card_export.h"

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
