#pragma once

// An editor page as the program places it: a page inside a container inside
// a main window, with the page's outside world (shell, message boxes)
// recorded instead of shown.

#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "app/editor/editor_page.h"
#include "core/qbuffer.h"
#include "window/qwindow.h"

namespace editortest {

struct Command {
    int id;
    int code;
    HWND control;
};

// The main window: remembers every command it receives.
class MainStandIn : public kiln::qwin::QWindow {
public:
    const wchar_t* GetClassName() const override { return L"VorlenEditorTestMain"; }
    bool OnCommand(int id, int code, HWND control) override {
        commands.push_back({id, code, control});
        return true;
    }

    std::vector<Command> commands;
};

class RecordingPage : public EditorPage {
public:
    std::vector<std::wstring> opened;
    std::vector<std::wstring> messages;

protected:
    void OpenInShell(const kiln::qstd::QString& address) override { opened.push_back(address.c_str()); }
    void ShowMessage(const wchar_t* text) override { messages.push_back(text); }
};

class EditorTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Edit() const { return page.GetEditor().GetHandle(); }
    // Replaces the whole text and selects [start, end).
    void SetText(const wchar_t* text);
    void Select(LONG start, LONG end);
    CHARRANGE Selection() const;
    CHARFORMAT2W SelectionFormat() const;
    PARAFORMAT2 SelectionParagraph() const;
    std::wstring Text() const;
    std::string Rtf();
    void Command(int id, const wchar_t* text = nullptr);

    bool oleReady = false;
    MainStandIn main;
    kiln::qwin::QWindow container;
    RecordingPage page;
};

// A file under the temporary folder with exactly these bytes, deleted when
// the object goes away.
class ScratchFile {
public:
    ScratchFile(const std::string& bytes, const wchar_t* extension);
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();

    const wchar_t* Path() const { return path.c_str(); }

private:
    std::wstring path;
};

}  // namespace editortest
