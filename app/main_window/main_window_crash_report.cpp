// The notice, at the start after an abnormal end, of the report it left.

#include "app/crash/crash_reports.h"
#include "app/main_window/main_window.h"
#include "app/product.h"

using kiln::qstd::QString;

void MainWindow::OfferCrashReport(const QString& folder) {
    const QString dump = UnseenCrashDump(folder);
    if (dump.IsEmpty()) return;
    // Told once: whatever the answer, the next start says nothing of it.
    MarkCrashDumpsSeen(folder);
    if (prompts.AskYesNo(handle, kProductName,
                         L"Vorlen ended unexpectedly the last time it ran. A report of what happened was saved "
                         L"as:\n" +
                             dump + L"\n\nOpen the folder that holds it?",
                         MB_ICONWARNING)) {
        prompts.OpenInShell(folder);
    }
}
