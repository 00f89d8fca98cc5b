#pragma once

// app/prompts: the one seam for everything modal. The main window asks
// through UserPrompts only; Win32UserPrompts shows the real dialogs (the
// password dialogs and the progress dialog live here too), and the tests
// substitute a scripted one.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "app/prompts/password_entries.h"
#include "core/qstring.h"
#include "documents/rich_print.h"

// Which file a file dialog asks for; each kind has its own title, file types
// and options.
enum class OpenPathKind {
    OpenDatabase,    // "Open Database"
    ImportDatabase,  // "Import database"
};
enum class SavePathKind {
    NewDatabase,  // "New Database", with an overwrite prompt
    Export,       // "Export", RTF or Word document, no overwrite prompt
    Branch,       // "Export branch", web page or Word document, with an overwrite prompt
};

// What the user wants done with a page whose edits could not be saved.
enum class FailedSaveChoice {
    Retry,       // "Retry": try the save again
    SaveToFile,  // "Save this card to a file…": the page's RTF through Export
    Discard,     // "Discard the changes", once confirmed
    Cancel,      // keep everything as it is and stay
};

// One backup as the Backups dialog lists it.
struct BackupChoice {
    kiln::qstd::QString date;   // local date and time
    kiln::qstd::QString cards;  // their number, or "?" when not known
    kiln::qstd::QString size;
};

// A card the "Move to" dialog offers as a new parent.
struct MoveTargetCard {
    int64_t id;
    kiln::qstd::QString title;
    bool hasChildren;
};
// The cards one level below a card (0: the top level), read when the dialog
// first opens that branch, so a large file is never read whole.
using MoveTargetLevel = std::function<std::vector<MoveTargetCard>(int64_t parentId)>;

// What long work tells the progress dialog that shows it.
class ProgressReport {
public:
    virtual ~ProgressReport() = default;
    // How far the work is (0 to 1000) and what it is doing; false once the
    // user asked to cancel, and the work is then to stop.
    virtual bool Report(unsigned permille, const kiln::qstd::QString& text) = 0;
};
// Runs on a thread of its own; an exception it throws reaches the caller
// of RunWithProgress.
using ProgressWork = std::function<void(ProgressReport& report)>;

// Everything modal that the main window shows. The program uses the real
// dialogs (Win32UserPrompts); tests substitute a script that answers and
// records the exact texts and captions.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A message box with only an OK button; icon is an MB_ICON... value or 0.
    virtual void ShowMessage(HWND owner, const kiln::qstd::QString& caption, const kiln::qstd::QString& text,
                             UINT icon) = 0;
    // false when the user cancelled, or the dialog could not be shown.
    virtual bool AskOpenPath(HWND owner, OpenPathKind kind, kiln::qstd::QString& path) = 0;
    virtual bool AskSavePath(HWND owner, SavePathKind kind, kiln::qstd::QString& path) = 0;
    // The password of an enciphered database being opened; false when cancelled.
    virtual bool AskPassword(HWND owner, kiln::qstd::QString& password) = 0;
    // The entries of "Set password" and "Change Password", unchecked; false
    // when cancelled.
    virtual bool AskNewPassword(HWND owner, NewPasswordEntries& entries) = 0;
    virtual bool AskPasswordChange(HWND owner, PasswordChangeEntries& entries) = 0;
    // Whether the card of this title, and the descendants cards below it,
    // are to be deleted.
    virtual bool ConfirmDelete(HWND owner, const kiln::qstd::QString& cardTitle, unsigned descendants) = 0;
    // A question answered Yes (true) or No; icon is an MB_ICON... value.
    virtual bool AskYesNo(HWND owner, const kiln::qstd::QString& caption, const kiln::qstd::QString& text,
                          UINT icon) = 0;
    // The card of this title could not be saved, for reason: what now.
    virtual FailedSaveChoice ChooseAfterFailedSave(HWND owner, const kiln::qstd::QString& cardTitle,
                                                   const kiln::qstd::QString& reason) = 0;
    virtual void ShowAbout(HWND owner) = 0;
    // A notice that does not wait for an answer: the window goes on working
    // while it is shown (a save kept as a conflict card, say).
    virtual void ShowNotice(HWND owner, const kiln::qstd::QString& caption, const kiln::qstd::QString& text) = 0;
    // Whether card files, which another program (named by its type name)
    // opens today, are to open with this program instead.
    virtual bool AskTakeOverDataFiles(HWND owner, const kiln::qstd::QString& currentOwner) = 0;
    // A context menu at a screen point; the chosen command, 0 for none.
    virtual UINT ChooseFromMenu(HWND owner, HMENU popup, POINT screenPoint) = 0;
    // Hands an address to the shell's default handler, outside the program.
    virtual void OpenInShell(const kiln::qstd::QString& address) = 0;
    // Runs work on a thread of its own while a modal progress dialog with a
    // Cancel button shows its reports; returns once the work has ended and
    // the dialog is closed, rethrowing what the work threw.
    virtual void RunWithProgress(HWND owner, const kiln::qstd::QString& caption, const ProgressWork& work) = 0;
    // The print dialog, which also keeps each editor's printer choice.
    virtual documents::PrintDialog& GetPrintDialog() = 0;
    // "Backups": the list, newest first; true with the index of the one to
    // restore, false when closed.
    virtual bool ChooseBackup(HWND owner, const std::vector<BackupChoice>& backups, size_t& chosen) = 0;
    // "Move to": the new parent of the card of this title, picked from the
    // tree of cards; true with its id (0: the top level), false when cancelled.
    virtual bool ChooseMoveTarget(HWND owner, const kiln::qstd::QString& cardTitle, const MoveTargetLevel& readLevel,
                                  int64_t& parentId) = 0;
};

// The real dialogs: message boxes, the system's file dialogs, the password
// dialogs of the program's resources and task dialogs.
class Win32UserPrompts : public UserPrompts {
public:
    void ShowMessage(HWND owner, const kiln::qstd::QString& caption, const kiln::qstd::QString& text,
                     UINT icon) override;
    bool AskOpenPath(HWND owner, OpenPathKind kind, kiln::qstd::QString& path) override;
    bool AskSavePath(HWND owner, SavePathKind kind, kiln::qstd::QString& path) override;
    bool AskPassword(HWND owner, kiln::qstd::QString& password) override;
    bool AskNewPassword(HWND owner, NewPasswordEntries& entries) override;
    bool AskPasswordChange(HWND owner, PasswordChangeEntries& entries) override;
    bool ConfirmDelete(HWND owner, const kiln::qstd::QString& cardTitle, unsigned descendants) override;
    bool AskYesNo(HWND owner, const kiln::qstd::QString& caption, const kiln::qstd::QString& text,
                  UINT icon) override;
    FailedSaveChoice ChooseAfterFailedSave(HWND owner, const kiln::qstd::QString& cardTitle,
                                           const kiln::qstd::QString& reason) override;
    void ShowAbout(HWND owner) override;
    void ShowNotice(HWND owner, const kiln::qstd::QString& caption, const kiln::qstd::QString& text) override;
    bool AskTakeOverDataFiles(HWND owner, const kiln::qstd::QString& currentOwner) override;
    UINT ChooseFromMenu(HWND owner, HMENU popup, POINT screenPoint) override;
    void OpenInShell(const kiln::qstd::QString& address) override;
    void RunWithProgress(HWND owner, const kiln::qstd::QString& caption, const ProgressWork& work) override;
    documents::PrintDialog& GetPrintDialog() override { return printDialog; }
    bool ChooseBackup(HWND owner, const std::vector<BackupChoice>& backups, size_t& chosen) override;
    bool ChooseMoveTarget(HWND owner, const kiln::qstd::QString& cardTitle, const MoveTargetLevel& readLevel,
                          int64_t& parentId) override;

private:
    documents::SystemPrintDialog printDialog;
};
