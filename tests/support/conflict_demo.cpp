// conflict_demo: the program on a card file it makes itself, where another
// writer changes the card being edited while the edits wait for their save:
// the save keeps both versions, and its notice says so. For screenshots.
//
//   conflict_demo.exe DATABASE SECONDS
//
// SECONDS after start, words are typed into the shown card and another
// connection writes other words into that card at once.

#include <windows.h>

#include <richedit.h>

#include <cwchar>
#include <string>
#include <thread>

#include "app/main_window/card_app.h"
#include "app/product.h"
#include "core/qerror.h"
#include "store/card_operations.h"

namespace {

kiln::qstd::QBuffer Rtf(const char* text) {
    const std::string rtf = std::string("{\\rtf1\\ansi ") + text + "\\par}";
    kiln::qstd::QBuffer bytes;
    bytes.Append(rtf.data(), static_cast<unsigned>(rtf.size()));
    return bytes;
}

BOOL CALLBACK FindVisibleEditor(HWND window, LPARAM lParam) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (!IsWindowVisible(window) || _wcsicmp(name, MSFTEDIT_CLASS) != 0) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
}

void WriteFromTwoSides(std::wstring path, CardId card, DWORD delay) {
    Sleep(delay);
    HWND editor = nullptr;
    if (const HWND main = FindWindowW(kProductName, nullptr)) {
        EnumChildWindows(main, FindVisibleEditor, reinterpret_cast<LPARAM>(&editor));
    }
    if (!editor) return;
    SendMessageW(editor, EM_SETSEL, -1, -1);
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L" Words typed in this window."));
    try {
        CardDatabase other;
        other.openFile(path.c_str());
        other.saveCardContent(L"Words another program wrote.", Rtf("Words another program wrote."), card);
    } catch (const kiln::qstd::QError&) {
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 1;
    const std::wstring path = argv[1];
    CardId journal = 0;
    try {
        CardDatabase database;
        store::createCardDatabase(database, path.c_str());
        journal = store::addCard(database, 0, L"Journal", L"Written before.", Rtf("Written before."));
        store::addCard(database, 0, L"Ideas", L"", Rtf(""));
    } catch (const kiln::qstd::QError&) {
        return 1;
    }
    std::thread writer(WriteFromTwoSides, path, journal, static_cast<DWORD>(_wtoi(argv[2])) * 1000);
    writer.detach();
    try {
        CardApp app(module, path.c_str());
        return app.Run();
    } catch (const kiln::qstd::QError&) {
        return 0;
    }
}
