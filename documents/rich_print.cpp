#include "documents/rich_print.h"

#include <commdlg.h>
#include <richedit.h>

#include "documents/page_layout.h"

namespace documents {

namespace {

const int kMarginTwips = 720;

// A printer context deleted however the job ends.
class PrinterContext {
public:
    explicit PrinterContext(HDC dc) : dc(dc) {}
    PrinterContext(const PrinterContext&) = delete;
    PrinterContext& operator=(const PrinterContext&) = delete;
    ~PrinterContext() {
        if (dc) DeleteDC(dc);
    }
    HDC get() const { return dc; }

private:
    HDC dc;
};

CHARRANGE RangeToPrint(HWND control) {
    CHARRANGE range = {0, 0};
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    if (range.cpMin != range.cpMax) return range;
    SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    SendMessageW(control, EM_SETSEL, 0, -1);
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(control, EM_SETSEL, 0, 0);
    SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    return range;
}

CHARRANGE WholeText(HWND control) {
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LONG count = static_cast<LONG>(SendMessageW(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
    return CHARRANGE{0, count > 0 ? count : 0};
}

bool PrintPages(HWND control, HDC printer, CHARRANGE range) {
    const int dpiX = GetDeviceCaps(printer, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(printer, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0) return false;
    const int pageWidth = MulDiv(GetDeviceCaps(printer, PHYSICALWIDTH), 1440, dpiX);
    const int pageHeight = MulDiv(GetDeviceCaps(printer, PHYSICALHEIGHT), 1440, dpiY);

    FORMATRANGE format = {};
    format.hdc = printer;
    format.hdcTarget = printer;
    format.rcPage = RECT{0, 0, pageWidth, pageHeight};
    bool printed = true;
    while (printed && range.cpMin < range.cpMax) {
        if (StartPage(printer) <= 0) {
            printed = false;
            break;
        }
        format.rc = RECT{kMarginTwips, kMarginTwips, pageWidth - kMarginTwips, pageHeight - kMarginTwips};
        format.chrg = range;
        LONG next = static_cast<LONG>(SendMessageW(control, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&format)));
        // A control that paginates answers at least the range's start; 0 for
        // every range is one that cannot (Wine's), and our own layout takes over.
        if (next == 0) next = FormatPage(control, format, true);
        // A page on which nothing fits would repeat for ever.
        if (next <= range.cpMin) printed = false;
        else range.cpMin = next;
        if (EndPage(printer) <= 0) printed = false;
    }
    SendMessageW(control, EM_FORMATRANGE, FALSE, 0);
    return printed;
}

}  // namespace

PrintSetup::~PrintSetup() {
    if (devMode) GlobalFree(devMode);
    if (devNames) GlobalFree(devNames);
}

PrintDialog::Choice SystemPrintDialog::Show(HWND owner, PrintSetup& setup, HDC& printer) {
    PRINTDLGEXW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hDevMode = setup.devMode;
    dialog.hDevNames = setup.devNames;
    dialog.Flags = PD_NOPAGENUMS | PD_NOCURRENTPAGE | PD_HIDEPRINTTOFILE | PD_RETURNDC | PD_NOWARNING;
    dialog.nStartPage = START_PAGE_GENERAL;
    if (FAILED(PrintDlgExW(&dialog))) return Choice::Cancel;
    // The dialog may hand back new blocks and free the ones it was given.
    setup.devMode = dialog.hDevMode;
    setup.devNames = dialog.hDevNames;
    if (dialog.dwResultAction == PD_RESULT_PRINT) {
        printer = dialog.hDC;
        return Choice::Print;
    }
    if (dialog.hDC) DeleteDC(dialog.hDC);
    return dialog.dwResultAction == PD_RESULT_APPLY ? Choice::Apply : Choice::Cancel;
}

bool PrintRichEditRange(HWND control, HDC printer) {
    const PrinterContext context(printer);
    if (!printer) return false;
    const CHARRANGE range = RangeToPrint(control);
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    // Named, though nothing needs the name: Wine's spooler fails the end of
    // a document that has none, and the job never leaves.
    document.lpszDocName = L"Vorlen";
    if (StartDocW(printer, &document) <= 0) return false;
    if (!PrintPages(control, printer, range)) {
        AbortDoc(printer);
        return false;
    }
    return EndDoc(printer) > 0;
}

bool PrintRichEditDocuments(HWND control, HDC printer, size_t count, const std::function<void(size_t index)>& load) {
    const PrinterContext context(printer);
    if (!printer) return false;
    DOCINFOW document = {};
    document.cbSize = sizeof document;
    document.lpszDocName = L"Vorlen";
    if (StartDocW(printer, &document) <= 0) return false;
    try {
        for (size_t i = 0; i < count; ++i) {
            load(i);
            const CHARRANGE range = WholeText(control);
            // A document of nothing takes no page.
            if (range.cpMax == 0) continue;
            if (!PrintPages(control, printer, range)) {
                AbortDoc(printer);
                return false;
            }
        }
    } catch (...) {
        AbortDoc(printer);
        throw;
    }
    return EndDoc(printer) > 0;
}

bool PrintRichEdit(HWND control, PrintSetup& setup, PrintDialog& dialog) {
    HDC printer = nullptr;
    if (dialog.Show(control, setup, printer) != PrintDialog::Choice::Print) return false;
    return PrintRichEditRange(control, printer);
}

}  // namespace documents
