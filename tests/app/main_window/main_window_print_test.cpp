// Print through the window: Ctrl+P and the editor's menu reach the print
// dialog with the printer choice of the page being printed, and Print puts
// the card's text on paper (the PDF printer, where one is installed).

#include <set>
#include <string>
#include <vector>

#include "gui_harness.h"
#include "main_window_fixture.h"
#include "resources/command_ids.h"

using Choice = documents::PrintDialog::Choice;

namespace apptest {
namespace {

class MainWindowPrintTest : public MainWindowTest {
protected:
    EditorPage& Page() { return *window->GetTabs().GetActiveEditor(); }
    // The RICH menu's Print arrives at the page that shows the menu.
    void PrintFromEditorMenu() {
        SendMessageW(Page().GetHandle(), WM_COMMAND, MAKEWPARAM(IDM_PRINT, 0), 0);
    }
};

TEST_F(MainWindowPrintTest, EachPageKeepsThePrinterChoiceAppliedToIt) {
    CardFile cards(L"vorlen-print.data");
    Start(cards.Path());
    ASSERT_TRUE(window->IsDatabaseOpen());
    ScriptedPrintDialog& dialog = prompts.printDialog;
    EditorPage& first = Page();

    dialog.choice = Choice::Cancel;
    Command(IDM_PRINT);
    dialog.choice = Choice::Apply;
    PrintFromEditorMenu();
    // Applied settings are what the next dialog of this page starts from.
    dialog.choice = Choice::Cancel;
    Command(IDM_PRINT);

    // Another tab's page starts without them, and the first page keeps its own.
    window->GetCardTree().SelectItem(window->RevealCard(cards.journal));
    HoldControl(true);
    window->GetCardTree().SelectItem(window->RevealCard(cards.projects));
    HoldControl(false);
    ASSERT_EQ(window->GetTabs().GetTabCount(), 2u);
    EditorPage& second = Page();
    ASSERT_NE(&second, &first);
    Command(IDM_PRINT);

    const std::vector<const documents::PrintSetup*> setups = {&first.GetPrintSetup(), &first.GetPrintSetup(),
                                                              &first.GetPrintSetup(), &second.GetPrintSetup()};
    EXPECT_EQ(dialog.setupsShown, setups);
    EXPECT_EQ(dialog.keptSettings, (std::vector<bool>{false, false, true, false}));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainWindowPrintTest, WithoutADatabaseNothingIsPrinted) {
    Start();
    Command(IDM_PRINT);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"Open a database first!");
    EXPECT_TRUE(prompts.printDialog.setupsShown.empty());
}

// The PDF printer's output folder as this process sees the Unix home.
std::wstring PdfFolder() {
    const char* home = getenv("WINEHOMEDIR");
    std::wstring folder = L"Z:\\root\\PDF";
    if (home) {
        // "\??\Z:\home\user" or the like.
        std::string text = home;
        const size_t drive = text.find(':');
        if (drive != std::string::npos && drive > 0) folder = std::wstring(text.begin() + drive - 1, text.end()) + L"\\PDF";
    }
    return folder;
}

std::set<std::wstring> PdfFiles(const std::wstring& folder) {
    std::set<std::wstring> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        files.insert(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// A path on the drive that maps the Unix root, as a Unix program takes it.
std::wstring UnixPath(std::wstring path) {
    path = path.substr(2);
    for (wchar_t& c : path) {
        if (c == L'\\') c = L'/';
    }
    return path;
}

// The PDF's text as the system's pdftotext reads it (Wine starts Unix
// programs too); empty when it could not run.
std::string PdfText(const std::wstring& pdf) {
    const std::wstring text = pdf + L".txt";
    const std::wstring command = L"pdftotext \"" + UnixPath(pdf) + L"\" \"" + UnixPath(text) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    // Its complaints about a file still being written are of no interest.
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process = {};
    std::wstring line = command;
    if (!CreateProcessW(L"Z:\\usr\\bin\\pdftotext", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return "";
    }
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::string read;
    const HANDLE file = CreateFileW(text.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) read.append(buffer, got);
    CloseHandle(file);
    DeleteFileW(text.c_str());
    return read;
}

bool PdfPrinterIsTheDefault() {
    wchar_t printer[256] = {};
    DWORD length = 256;
    return GetDefaultPrinterW(printer, &length) && std::wstring(printer) == L"PDF";
}

// The text of the first PDF not in before that holds needle. Other programs
// may print to the same folder meanwhile, and the spooler may still be
// writing the file: every new PDF is read until one holds it.
std::string PrintedText(const std::set<std::wstring>& before, const char* needle) {
    std::string text;
    guitest::WaitUntil(
        [&] {
            for (const std::wstring& file : PdfFiles(PdfFolder())) {
                if (before.count(file)) continue;
                const std::string read = PdfText(file);
                if (read.find(needle) == std::string::npos) continue;
                DeleteFileW(file.c_str());
                text = read;
                return true;
            }
            return false;
        },
        60000);
    return text;
}

TEST_F(MainWindowPrintTest, CtrlPPrintsTheCardsTextOnThePdfPrinter) {
    if (!PdfPrinterIsTheDefault()) GTEST_SKIP() << "no PDF printer is the default printer here";
    const std::set<std::wstring> before = PdfFiles(PdfFolder());
    CardFile cards(L"vorlen-print.data");
    Start(cards.Path());
    ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.ideas)));
    prompts.printDialog.choice = Choice::Print;
    // What the accelerator table makes of Ctrl+P.
    Command(IDM_PRINT);
    ASSERT_EQ(prompts.printDialog.setupsShown.size(), 1u);

    const std::string text = PrintedText(before, "Ideas text");
    ASSERT_FALSE(text.empty()) << "no new PDF holds the card's text";
    EXPECT_EQ(text.find("Journal"), std::string::npos) << "only the shown card is printed: " << text;
}

// The branch in tree order, each card on a page of its own (the PDF's text
// has a form feed between pages) under its title; nothing outside it.
TEST_F(MainWindowPrintTest, PrintBranchPrintsEachCardBelowOnAPageOfItsOwn) {
    CardFile cards(L"vorlen-print-branch.data");
    Start(cards.Path());
    ASSERT_TRUE(window->GetCardTree().SelectItem(window->RevealCard(cards.projects)));
    // Cancelled, nothing is printed and the branch's printer choice was shown.
    Command(IDM_PRINT_BRANCH);
    ASSERT_EQ(prompts.printDialog.setupsShown.size(), 1u);
    EXPECT_TRUE(prompts.messages.empty());

    if (!PdfPrinterIsTheDefault()) GTEST_SKIP() << "no PDF printer is the default printer here";
    const std::set<std::wstring> before = PdfFiles(PdfFolder());
    prompts.printDialog.choice = Choice::Print;
    Command(IDM_PRINT_BRANCH);
    const std::string text = PrintedText(before, "Ideas text");
    ASSERT_FALSE(text.empty()) << "no new PDF holds the branch";
    const size_t projects = text.find("Projects");
    const size_t pageBreak = text.find('\f');
    const size_t ideas = text.find("Ideas\n");
    const size_t ideasText = text.find("Ideas text");
    ASSERT_NE(projects, std::string::npos) << text;
    EXPECT_LT(projects, pageBreak) << text;
    EXPECT_LT(pageBreak, ideas) << text;
    EXPECT_LT(ideas, ideasText) << text;
    EXPECT_EQ(text.find("Journal"), std::string::npos) << text;
    EXPECT_EQ(std::wstring(window->GetStatusBar().GetStatus().c_str()), L"  Printed.");
}

}  // namespace
}  // namespace apptest
