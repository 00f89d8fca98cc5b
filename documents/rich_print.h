#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

// Printing the content of a rich edit control, paginated by the control
// itself, on a printer chosen in the system's print dialog.
namespace documents {

// The printer choice one editor keeps from one print to the next: the
// device-mode and device-names handles of the last dialog. Empty at first,
// so the first dialog shows the default printer.
class PrintSetup {
public:
    PrintSetup() = default;
    PrintSetup(const PrintSetup&) = delete;
    PrintSetup& operator=(const PrintSetup&) = delete;
    ~PrintSetup();

    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
};

// The print dialog. The program shows the system's; tests put a scripted one
// in its place.
class PrintDialog {
public:
    enum class Choice { Cancel, Apply, Print };

    virtual ~PrintDialog() = default;
    // Shows the dialog with the kept setup and stores the new one into setup
    // for Apply and Print; for Print, printer receives the printer's device
    // context, which the caller deletes.
    virtual Choice Show(HWND owner, PrintSetup& setup, HDC& printer) = 0;
};

// The system's extended print dialog: no page ranges, no current page, no
// print-to-file box, the selection choice available.
class SystemPrintDialog : public PrintDialog {
public:
    Choice Show(HWND owner, PrintSetup& setup, HDC& printer) override;
};

// Prints the control's selection, or its whole text when only a caret is
// set (the caret then moves to the start), with half-inch margins from the
// paper's edge. Deletes printer. True when every page was printed and the
// document closed normally; any failure aborts the job.
bool PrintRichEditRange(HWND control, HDC printer);

// Prints count documents in one job, each starting on a new page: load(i)
// fills the control with the i-th, which is then printed whole. Deletes
// printer. True when every page was printed and the document closed
// normally; any failure, or an exception of load, aborts the job.
bool PrintRichEditDocuments(HWND control, HDC printer, size_t count, const std::function<void(size_t index)>& load);

// Asks the dialog for a printer and prints on it. False when the dialog was
// cancelled, only applied settings, or the job failed.
bool PrintRichEdit(HWND control, PrintSetup& setup, PrintDialog& dialog);

}  // namespace documents
