#pragma once

// The prompts of a benchmark's window: messages are printed, the open dialog
// and the password prompt answer what the benchmark set, every other question
// is answered no, and progress is never cancelled.

#include <cstdio>
#include <string>

#include "app/prompts/user_prompts.h"

class BenchPrompts : public UserPrompts {
public:
    // Empty: the dialog or prompt is cancelled.
    std::wstring openPath;
    std::wstring password;

    void ShowMessage(HWND, const kiln::qstd::QString& caption, const kiln::qstd::QString& text, UINT) override {
        std::wprintf(L"  message \"%ls\": %ls\n", caption.c_str(), text.c_str());
    }
    bool AskOpenPath(HWND, OpenPathKind, kiln::qstd::QString& path) override { return Answer(openPath, path); }
    bool AskSavePath(HWND, SavePathKind, kiln::qstd::QString&) override { return false; }
    bool AskPassword(HWND, kiln::qstd::QString& answer) override { return Answer(password, answer); }
    bool AskNewPassword(HWND, NewPasswordEntries&) override { return false; }
    bool AskPasswordChange(HWND, PasswordChangeEntries&) override { return false; }
    bool ConfirmDelete(HWND, const kiln::qstd::QString&, unsigned) override { return false; }
    bool AskYesNo(HWND, const kiln::qstd::QString&, const kiln::qstd::QString&, UINT) override { return false; }
    FailedSaveChoice ChooseAfterFailedSave(HWND, const kiln::qstd::QString&, const kiln::qstd::QString&) override {
        return FailedSaveChoice::Cancel;
    }
    void ShowAbout(HWND) override {}
    void ShowNotice(HWND, const kiln::qstd::QString&, const kiln::qstd::QString&) override {}
    bool AskTakeOverDataFiles(HWND, const kiln::qstd::QString&) override { return false; }
    UINT ChooseFromMenu(HWND, HMENU, POINT) override { return 0; }
    void OpenInShell(const kiln::qstd::QString&) override {}
    bool ChooseBackup(HWND, const std::vector<BackupChoice>&, size_t&) override { return false; }
    bool ChooseMoveTarget(HWND, const kiln::qstd::QString&, const MoveTargetLevel&, int64_t&) override { return false; }
    void RunWithProgress(HWND, const kiln::qstd::QString&, const ProgressWork& work) override {
        struct Unwatched : ProgressReport {
            bool Report(unsigned, const kiln::qstd::QString&) override { return true; }
        } report;
        work(report);
    }
    documents::PrintDialog& GetPrintDialog() override { return printDialog; }

private:
    static bool Answer(const std::wstring& given, kiln::qstd::QString& answer) {
        if (given.empty()) return false;
        answer = given.c_str();
        return true;
    }

    struct CancelledPrint : documents::PrintDialog {
        Choice Show(HWND, documents::PrintSetup&, HDC&) override { return Choice::Cancel; }
    } printDialog;
};
