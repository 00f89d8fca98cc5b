// The password of the open database: asked for when an enciphered file is
// opened, and set, changed or removed by the three commands. currentPassword
// always names the key the file is under, also after a rekey that failed.

#include "app/main_window/main_window.h"
#include "app/prompts/password_entries.h"
#include "core/qerror.h"
#include "store/cipher/encrypted_file.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

bool MainWindow::OpenEncipheredDatabase(const QString& path) {
    QString password;
    if (!prompts.AskPassword(handle, password)) return false;
    database.openFile(path);
    // A wrong (or empty) password throws "Invalid password!" before anything
    // is written to the file.
    database.applyKey(password);
    currentPassword = password;
    return true;
}

void MainWindow::CommandSetPassword(const Command&) {
    if (!RequireWritableDatabase()) return;
    if (isEncryptedFile(databasePath) || !currentPassword.IsEmpty()) {
        ShowMessage(L"Database already encrypted!");
        return;
    }
    NewPasswordEntries entries;
    if (!prompts.AskNewPassword(handle, entries)) return;
    const QString refusal = RefuseNewPassword(entries);
    if (!refusal.IsEmpty()) {
        ShowMessage(refusal);
        return;
    }
    Rekey(L"Set password", entries.password, entries.compatible ? CipherFormat::format1 : CipherFormat::format2);
}

void MainWindow::CommandChangePassword(const Command&) {
    if (!RequireWritableDatabase()) return;
    if (currentPassword.IsEmpty()) {
        ShowMessage(L"Database not encrypted!");
        return;
    }
    PasswordChangeEntries entries;
    if (!prompts.AskPasswordChange(handle, entries)) return;
    const QString refusal = RefusePasswordChange(currentPassword, entries);
    if (!refusal.IsEmpty()) {
        ShowMessage(refusal);
        return;
    }
    Rekey(L"Change password", entries.newPassword, entries.compatible ? CipherFormat::format1 : CipherFormat::format2);
}

void MainWindow::CommandRemovePassword(const Command&) {
    if (!RequireWritableDatabase()) return;
    if (currentPassword.IsEmpty()) return;
    if (Rekey(L"Remove password", QString(), CipherFormat::plain)) ShowMessage(L"Password removed!");
}

// Rewriting every page (and deriving the key) takes seconds on a large file:
// it runs behind a progress dialog, whose Cancel leaves the file under the
// key it had.
bool MainWindow::Rekey(const QString& caption, const QString& password, CipherFormat format) {
    // What is typed goes under the old key first: a rekey that fails or is
    // cancelled then leaves nothing unsaved behind it.
    SaveEverything();
    if (!BackUpBefore(L"the password is changed")) return false;
    const QString doing = password.IsEmpty() ? L"Deciphering the cards..." : L"Enciphering the cards...";
    try {
        RunOnDatabase(caption, [&](ProgressReport& report) {
            if (!report.Report(0, doing)) throw QError(L"Rekey cancelled.", SQLITE_INTERRUPT);
            database.changeKey(password, format, [&](unsigned permille) { return report.Report(permille, doing); });
        });
    } catch (const QError& error) {
        ShowKeyFormat();
        if (error.code == SQLITE_INTERRUPT) {
            SetStatusText(L"The password was left as it was.");
            return false;
        }
        // The rekey is all or nothing: SQLITE_ERROR says the file kept its old
        // key; any other code comes after the commit, with the file under the
        // new key and only this connection behind.
        if (error.code != SQLITE_ERROR) currentPassword = password;
        ShowMessage(error.message);
        return false;
    }
    currentPassword = password;
    ShowKeyFormat();
    StartSearching();
    return true;
}

void MainWindow::ShowKeyFormat() {
    if (!IsDatabaseOpen() || !database.isOpen()) {
        statusBar.SetDatabaseState(QString());
        return;
    }
    QString state;
    switch (database.keyFormat()) {
    case CipherFormat::plain: state = L"No password"; break;
    case CipherFormat::format1: state = L"Password (old format, weak)"; break;
    case CipherFormat::format2: state = L"Password (strong)"; break;
    }
    statusBar.SetDatabaseState(readOnly ? L"Read-only    " + state : state);
}

bool MainWindow::IsPasswordChangedElsewhere(const QError& error) {
    // The engine reads the file under the key it opened it with: the pages
    // of a file rekeyed since then are no database to it.
    return (error.code & 0xFF) == SQLITE_NOTADB;
}

bool MainWindow::ReopenAfterPasswordChange() {
    if (!IsDatabaseOpen()) return false;
    passwordChangedElsewhere = true;
    statusBar.SetSaveState(L"Not saved: " + QString(kPasswordChangedElsewhere));
    SetStatusText(QString(kPasswordChangedElsewhere) + L": nothing can be read or saved until it is given.");
    prompts.ShowMessage(handle, L"Message",
                        QString(kPasswordChangedElsewhere) +
                            L". Enter the new password to go on; your unsaved changes are kept and saved then.",
                        MB_ICONWARNING);
    for (;;) {
        // A password removed elsewhere leaves a plain file: nothing to ask.
        QString password;
        const bool enciphered = isEncryptedFile(databasePath);
        if (enciphered && !prompts.AskPassword(handle, password)) return false;
        try {
            database.openFile(databasePath);
            if (enciphered) database.applyKey(password);
            currentPassword = password;
        } catch (const QError& error) {
            ShowMessage(error.message);
            // A wrong password asks again; anything else ends here.
            if (enciphered && error.code == 0) continue;
            return false;
        }
        break;
    }
    passwordChangedElsewhere = false;
    ShowKeyFormat();
    SetStatusText(L"Database opened again from path: " + databasePath);
    WatchFileChanges();
    RefreshFromFile();
    SaveEverything();
    return true;
}
