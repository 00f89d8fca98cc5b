// Prints from a real rich edit control on the default printer, for the
// printing test to read back: first a print whose dialog only applies
// settings (nothing may come out), then a selection of three words, then a
// whole card with the caret in its middle. Exit status 0 when every call
// answered as it should; the PDFs are the test's to check.
#include <windows.h>
#include <richedit.h>
#include <ole2.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>

#include "documents/rich_print.h"

namespace {

// Stands in for the user at the print dialog: applies settings without
// printing, or prints on the default printer.
class ScriptedDialog : public documents::PrintDialog {
public:
    explicit ScriptedDialog(Choice choice) : choice(choice) {}
    Choice Show(HWND, documents::PrintSetup&, HDC& printer) override {
        ++shown;
        if (choice != Choice::Print) return choice;
        wchar_t name[256];
        DWORD length = 256;
        if (!GetDefaultPrinterW(name, &length)) return Choice::Cancel;
        std::fwprintf(stderr, L"printing on \"%ls\"\n", name);
        printer = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
        return printer ? Choice::Print : Choice::Cancel;
    }
    int shown = 0;

private:
    Choice choice;
};

bool Check(bool condition, const char* what) {
    if (!condition) std::fprintf(stderr, "failed: %s\n", what);
    return condition;
}

}  // namespace

int main() {
    // The control holds pictures as OLE objects and wants OLE on its thread.
    OleInitialize(nullptr);
    if (!Check(LoadLibraryW(L"msftedit.dll") != nullptr, "the rich edit control loads")) return 1;
    // A child, as the editor's control is.
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 500, 400, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    HWND control = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 400, 300,
                                   host, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!Check(control != nullptr, "the rich edit control is created")) return 1;
    SetWindowTextW(control, L"Alpha beta gamma delta epsilon.\r\nSecond paragraph of the card.\r\nThird and last.");

    bool ok = true;
    documents::PrintSetup setup;
    ScriptedDialog apply(documents::PrintDialog::Choice::Apply);
    ok &= Check(!documents::PrintRichEdit(control, setup, apply), "applying settings prints nothing");
    ok &= Check(apply.shown == 1, "the dialog was shown");

    // "beta gamma delta"
    SendMessageW(control, EM_SETSEL, 6, 22);
    ScriptedDialog print(documents::PrintDialog::Choice::Print);
    ok &= Check(documents::PrintRichEdit(control, setup, print), "the selection printed");
    Sleep(1500);

    SendMessageW(control, EM_SETSEL, 40, 40);
    ok &= Check(documents::PrintRichEdit(control, setup, print), "the whole card printed");
    CHARRANGE caret = {-1, -1};
    SendMessageW(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    ok &= Check(caret.cpMin == 0 && caret.cpMax == 0, "the caret is at the start after printing everything");

    DestroyWindow(host);
    return ok ? 0 : 1;
}
