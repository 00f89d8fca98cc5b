#pragma once

#include <windows.h>

#include "app/password_entries.h"
#include "core/qstring.h"

// Which file a file dialog asks for; each kind has its own title, file types
// and options.
enum class OpenPathKind {
    OpenDatabase,    // "Open Database"
    ImportDatabase,  // "Import database"
};
enum class SavePathKind {
    NewDatabase,  // "New Database", with an overwrite prompt
    Export,       // "Export", RTF or Word document, no overwrite prompt
};

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
    virtual void ShowAbout(HWND owner) = 0;
    // A context menu at a screen point; the chosen command, 0 for none.
    virtual UINT ChooseFromMenu(HWND owner, HMENU popup, POINT screenPoint) = 0;
    // Hands an address to the shell's default handler, outside the program.
    virtual void OpenInShell(const kiln::qstd::QString& address) = 0;
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
    void ShowAbout(HWND owner) override;
    UINT ChooseFromMenu(HWND owner, HMENU popup, POINT screenPoint) override;
    void OpenInShell(const kiln::qstd::QString& address) override;
};
