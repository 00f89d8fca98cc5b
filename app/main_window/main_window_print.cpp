// Print (the editor's menu and Ctrl+P): the active editor on a printer
// chosen in the print dialog, with the printer choice kept by its page.
// Print branch (the tree's menu): the selected card and every card below it
// in one job, each card on a page of its own under its title.

#include <richedit.h>

#include "app/main_window/main_window.h"
#include "store/card_branch.h"
#include "store/card_operations.h"
#include "window/qrichedit.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// The card's title over its content, larger the nearer the branch's top.
void LoadPrintedCard(kiln::qwin::QRichEdit& sheet, CardDatabase& database, const BranchCardRow& card) {
    const HWND control = sheet.GetHandle();
    const QBuffer rtf = store::loadCardContent(database, card.id);
    try {
        sheet.SetRtf(rtf.GetData(), rtf.GetCount());
    } catch (const QError&) {
        // Content the editor cannot take is printed as its text.
        sheet.SetRtf(nullptr, 0);
        sheet.ReplaceSelection(store::loadCardText(database, card.id));
    }
    SendMessageW(control, EM_SETSEL, 0, 0);
    sheet.ReplaceSelection(card.title + L"\r");
    CHARFORMAT2W heading = {};
    heading.cbSize = sizeof heading;
    heading.dwMask = CFM_BOLD | CFM_SIZE;
    heading.dwEffects = CFE_BOLD;
    heading.yHeight = (card.depth == 0 ? 18 : card.depth == 1 ? 16 : 14) * 20;
    SendMessageW(control, EM_SETSEL, 0, static_cast<LPARAM>(card.title.GetLength()));
    SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&heading));
    SendMessageW(control, EM_SETSEL, 0, 0);
}

}  // namespace

void MainWindow::CommandPrint(const Command&) {
    if (!RequireOpenDatabase()) return;
    EditorPage* page = tabs.GetActiveEditor();
    if (!page) return;
    // A failed job has aborted itself; the dialog was the user's answer.
    documents::PrintRichEdit(page->GetEditor().GetHandle(), page->GetPrintSetup(), prompts.GetPrintDialog());
}

void MainWindow::CommandPrintBranch(const Command&) {
    if (!RequireOpenDatabase()) return;
    const HTREEITEM selected = cardTree.GetSelectedItem();
    if (!selected) return;
    std::vector<BranchCardRow> cards;
    try {
        // What was typed is printed too.
        SaveEverything();
        cards = readBranch(database, cardTree.GetCardId(selected));
    } catch (const QError& error) {
        ShowMessage(error.message);
        return;
    }
    HDC printer = nullptr;
    if (prompts.GetPrintDialog().Show(handle, branchPrintSetup, printer) != documents::PrintDialog::Choice::Print) {
        return;
    }
    kiln::qwin::QRichEdit sheet;
    if (!sheet.LoadControlLibrary() || !sheet.Create(this, 0, 0)) {
        if (printer) DeleteDC(printer);
        ShowMessage(L"The cards could not be made ready for printing.");
        return;
    }
    ShowWindow(sheet.GetHandle(), SW_HIDE);
    SetStatusText(L"Printing...");
    bool printed = false;
    try {
        printed = documents::PrintRichEditDocuments(sheet.GetHandle(), printer, cards.size(),
                                                   [&](size_t i) { LoadPrintedCard(sheet, database, cards[i]); });
    } catch (const QError& error) {
        SetStatusText(L"Printing failed.");
        ShowMessage(error.message);
        return;
    }
    SetStatusText(printed ? L"Printed." : L"Printing failed.");
}
