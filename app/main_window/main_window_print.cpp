// Print (the editor's menu and Ctrl+P): the active editor on a printer
// chosen in the print dialog, with the printer choice kept by its page.

#include "app/main_window/main_window.h"
#include "documents/rich_print.h"

void MainWindow::CommandPrint(const Command&) {
    if (!RequireOpenDatabase()) return;
    EditorPage* page = tabs.GetActiveEditor();
    if (!page) return;
    // A failed job has aborted itself; the dialog was the user's answer.
    documents::PrintRichEdit(page->GetEditor().GetHandle(), page->GetPrintSetup(), prompts.GetPrintDialog());
}
