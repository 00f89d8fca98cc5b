#pragma once

// A real main window in this process, with its modal seam scripted, and card
// database files to open in it.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/frame/main_layout.h"
#include "app/main_window/main_window.h"
#include "placement_printing.h"
#include "scripted_prompts.h"
#include "store/card_id.h"

namespace apptest {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window as the program does, at this display scale, with
    // startupPath as the command line's database, and gives it a client
    // area of cx x cy.
    void Start(const std::wstring& startupPath = L"", int dpi = 96, int cx = 900, int cy = 640);
    void Command(int id, int code = 0);
    // A child's rectangle in the main window's client co-ordinates.
    Placement PlacementOf(HWND child) const;
    // What the current tab's editor shows, as plain text.
    std::wstring EditorText();

    // What the window read at start and writes on close: a file of the test's own.
    std::wstring settingsPath;
    ScriptedPrompts prompts;
    std::unique_ptr<MainWindow> window;
    bool oleReady = false;
};

// A card database under the temporary folder, removed afterwards:
// "Projects" (with "Ideas" below it, whose text is "Ideas text") and "Journal".
class CardFile {
public:
    explicit CardFile(const wchar_t* name);
    CardFile(const CardFile&) = delete;
    CardFile& operator=(const CardFile&) = delete;
    ~CardFile();

    const std::wstring& Path() const { return path; }
    // The card's stored plain text, read from the file.
    std::wstring StoredText(CardId id) const;
    // The card's stored RTF, byte for byte.
    std::string StoredRtf(CardId id) const;
    // Writes the card's content as any program might, the RTF as given.
    void Store(CardId id, const wchar_t* txt, const std::string& rtf) const;

    CardId projects = 0;
    CardId ideas = 0;
    CardId journal = 0;

private:
    std::wstring path;
};

std::wstring TempPath(const wchar_t* name);
// Holds the Ctrl key down for this thread, as GetKeyState sees it, or lets it go.
void HoldControl(bool down);

}  // namespace apptest
