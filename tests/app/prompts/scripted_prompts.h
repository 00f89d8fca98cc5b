#pragma once

// The main window's modal seam for tests: every message is recorded with its
// caption, text and icon; questions are answered from the script.

#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "app/prompts/user_prompts.h"

namespace apptest {

// One item of a menu that was shown: its text (empty for a separator), command and state.
struct ShownMenuItem {
    std::wstring text;
    UINT command;
    bool greyed;
};

struct ShownMessage {
    std::wstring caption;
    std::wstring text;
    UINT icon;
};

// Stands in for the user at the print dialog: cancels, applies settings
// (a device mode of its own, so that a later dialog shows whether the setup
// was kept), or prints on the default printer.
class ScriptedPrintDialog : public documents::PrintDialog {
public:
    Choice Show(HWND, documents::PrintSetup& setup, HDC& printer) override {
        setupsShown.push_back(&setup);
        keptSettings.push_back(setup.devMode != nullptr);
        if (choice == Choice::Cancel) return choice;
        if (!setup.devMode) setup.devMode = GlobalAlloc(GMEM_MOVEABLE, sizeof(DEVMODEW));
        if (choice == Choice::Apply) return choice;
        wchar_t name[256] = {};
        DWORD length = 256;
        if (!GetDefaultPrinterW(name, &length)) return Choice::Cancel;
        printer = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
        return printer ? Choice::Print : Choice::Cancel;
    }

    Choice choice = Choice::Cancel;
    // The setup each dialog was shown with, and whether it held settings then.
    std::vector<const documents::PrintSetup*> setupsShown;
    std::vector<bool> keptSettings;
};

class ScriptedPrompts : public UserPrompts {
public:
    void ShowMessage(HWND, const kiln::qstd::QString& caption, const kiln::qstd::QString& text, UINT icon) override {
        messages.push_back({caption.c_str(), text.c_str(), icon});
    }
    bool AskOpenPath(HWND, OpenPathKind kind, kiln::qstd::QString& path) override {
        openKinds.push_back(kind);
        if (openPath.empty()) return false;
        path = openPath.c_str();
        return true;
    }
    bool AskSavePath(HWND, SavePathKind kind, kiln::qstd::QString& path) override {
        saveKinds.push_back(kind);
        const std::wstring& given =
            kind == SavePathKind::NewDatabase && !newDatabasePath.empty() ? newDatabasePath : savePath;
        if (given.empty()) return false;
        path = given.c_str();
        return true;
    }
    bool AskPassword(HWND, kiln::qstd::QString& answer) override {
        ++passwordQuestions;
        if (!givePassword) return false;
        answer = password.c_str();
        return true;
    }
    bool AskNewPassword(HWND, NewPasswordEntries& entries) override {
        ++newPasswordQuestions;
        if (!giveNewPassword) return false;
        entries = newPassword;
        return true;
    }
    bool AskPasswordChange(HWND, PasswordChangeEntries& entries) override {
        ++passwordChangeQuestions;
        if (!givePasswordChange) return false;
        entries = passwordChange;
        return true;
    }
    bool ConfirmDelete(HWND, const kiln::qstd::QString& cardTitle, unsigned descendants) override {
        deleteQuestions.push_back(cardTitle.c_str());
        deleteDescendants.push_back(descendants);
        return confirmDelete;
    }
    bool ChooseBackup(HWND, const std::vector<BackupChoice>& backups, size_t& chosen) override {
        backupLists.push_back(backups);
        if (backupChoice < 0) return false;
        chosen = static_cast<size_t>(backupChoice);
        return true;
    }
    // Reads the top level as the dialog does when it opens, then answers.
    bool ChooseMoveTarget(HWND, const kiln::qstd::QString& cardTitle, const MoveTargetLevel& readLevel,
                          int64_t& parentId) override {
        moveQuestions.push_back(cardTitle.c_str());
        moveTopLevel.clear();
        for (const MoveTargetCard& card : readLevel(0)) moveTopLevel.push_back(card.title.c_str());
        if (moveTarget < 0) return false;
        parentId = moveTarget;
        return true;
    }
    bool AskYesNo(HWND, const kiln::qstd::QString& caption, const kiln::qstd::QString& text, UINT icon) override {
        questions.push_back({caption.c_str(), text.c_str(), icon});
        if (questions.size() <= yesNoAnswers.size()) return yesNoAnswers[questions.size() - 1];
        return answerYes;
    }
    FailedSaveChoice ChooseAfterFailedSave(HWND, const kiln::qstd::QString& cardTitle,
                                           const kiln::qstd::QString& reason) override {
        failedSaves.push_back({cardTitle.c_str(), reason.c_str()});
        if (failedSaveChoices.empty()) return FailedSaveChoice::Cancel;
        const FailedSaveChoice choice = failedSaveChoices.front();
        failedSaveChoices.erase(failedSaveChoices.begin());
        return choice;
    }
    void ShowAbout(HWND) override { ++aboutBoxes; }
    void ShowNotice(HWND, const kiln::qstd::QString& caption, const kiln::qstd::QString& text) override {
        notices.push_back({caption.c_str(), text.c_str(), 0});
    }
    bool AskTakeOverDataFiles(HWND, const kiln::qstd::QString& currentOwner) override {
        takeOverQuestions.push_back(currentOwner.c_str());
        return takeOverDataFiles;
    }
    UINT ChooseFromMenu(HWND, HMENU popup, POINT) override {
        menu.clear();
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(popup, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            const UINT state = GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
            menu.push_back({text, GetMenuItemID(popup, i), !(state & MF_SEPARATOR) && (state & MF_GRAYED)});
        }
        ++menusShown;
        return menuChoice;
    }
    void OpenInShell(const kiln::qstd::QString& address) override { opened.push_back(address.c_str()); }
    // Runs the work on a thread of its own, as the real dialog does, and
    // cancels from the report numbered cancelAtReport on (never when negative).
    void RunWithProgress(HWND, const kiln::qstd::QString& caption, const ProgressWork& work) override {
        progressCaptions.push_back(caption.c_str());
        progressOpen = true;
        ScriptedReport report(*this, cancelOnlyIn.empty() || cancelOnlyIn == caption.c_str());
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                work(report);
            } catch (...) {
                failure = std::current_exception();
            }
        });
        worker.join();
        progressOpen = false;
        if (failure) std::rethrow_exception(failure);
    }
    documents::PrintDialog& GetPrintDialog() override { return printDialog; }

    // Answers; an empty path cancels the dialog.
    std::wstring openPath;
    std::wstring savePath;
    // Answers "New Database" instead of savePath, when given.
    std::wstring newDatabasePath;
    bool givePassword = false;
    std::wstring password;
    bool giveNewPassword = false;
    NewPasswordEntries newPassword;
    bool givePasswordChange = false;
    PasswordChangeEntries passwordChange;
    bool confirmDelete = false;
    bool answerYes = false;
    // Answers to the questions in order; answerYes once they run out.
    std::vector<bool> yesNoAnswers;
    // Each failed save asked about: the card's title and the reason; the
    // answers are taken in order, Cancel once they run out.
    struct FailedSave {
        std::wstring title;
        std::wstring reason;
    };
    std::vector<FailedSave> failedSaves;
    std::vector<FailedSaveChoice> failedSaveChoices;
    UINT menuChoice = 0;
    // The backup the Backups dialog restores, newest first; -1 closes it.
    int backupChoice = -1;
    std::vector<std::vector<BackupChoice>> backupLists;
    // The new parent "Move to" picks (0: the top level); -1 cancels.
    int64_t moveTarget = -1;
    // The title of each card "Move to" asked about, and the top level it offered last.
    std::vector<std::wstring> moveQuestions;
    std::vector<std::wstring> moveTopLevel;
    int cancelAtReport = -1;
    // When set, only the reports of work under this caption count towards
    // cancelAtReport; other work runs to its end.
    std::wstring cancelOnlyIn;
    int countedReports = 0;
    ScriptedPrintDialog printDialog;

    // What was asked and shown.
    std::vector<ShownMessage> messages;
    std::vector<OpenPathKind> openKinds;
    std::vector<SavePathKind> saveKinds;
    int passwordQuestions = 0;
    int newPasswordQuestions = 0;
    int passwordChangeQuestions = 0;
    std::vector<std::wstring> deleteQuestions;
    std::vector<unsigned> deleteDescendants;
    std::vector<ShownMessage> questions;
    int aboutBoxes = 0;
    std::vector<ShownMessage> notices;
    // The owners named by each question about taking card files over, and the answer.
    std::vector<std::wstring> takeOverQuestions;
    bool takeOverDataFiles = false;
    // The items of the last menu shown.
    std::vector<ShownMenuItem> menu;
    int menusShown = 0;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> progressCaptions;
    // The texts the work reported, in order, and the last share it reported.
    std::vector<std::wstring> progressTexts;
    unsigned lastPermille = 0;
    bool progressOpen = false;

private:
    class ScriptedReport : public ProgressReport {
    public:
        ScriptedReport(ScriptedPrompts& owner, bool counts) : owner(owner), counts(counts) {}
        bool Report(unsigned permille, const kiln::qstd::QString& text) override {
            owner.progressTexts.push_back(text.c_str());
            owner.lastPermille = permille;
            if (!counts) return true;
            const int number = owner.countedReports++;
            return owner.cancelAtReport < 0 || number < owner.cancelAtReport;
        }

    private:
        ScriptedPrompts& owner;
        const bool counts;
    };
};

}  // namespace apptest
