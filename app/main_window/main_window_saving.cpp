// Saving that never depends on the user: every modified page is written a
// moment after the typing pauses (SaveSchedule), when the window is left,
// and before the session ends. A save that fails keeps the edits and says
// why on the status line; leaving a page whose edits could not be saved
// asks what to do, and nothing is dropped without that answer.

#include <algorithm>

#include "app/main_window/brief_lock_wait.h"
#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "documents/card_export.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

const UINT_PTR kSaveTimer = 0x5A7E;
// The storage engine's primary codes of a lock held elsewhere.
const int kBusyCode = 5;
const int kLockedCode = 6;

bool IsLockedElsewhere(const QError& error) {
    const int primary = error.code & 0xFF;
    return primary == kBusyCode || primary == kLockedCode;
}

QString Reason(const QError& error) {
    QString reason = error.message;
    reason.Trim();
    return reason;
}

}  // namespace

void MainWindow::NoteEdit() {
    if (!IsDatabaseOpen()) return;
    saveSchedule.Edited(GetTickCount());
    ArmSaveTimer();
}

void MainWindow::ArmSaveTimer() {
    const DWORD due = saveSchedule.DueIn(GetTickCount());
    if (due == SaveSchedule::kNothingDue) {
        KillTimer(handle, kSaveTimer);
        return;
    }
    SetTimer(handle, kSaveTimer, std::max<DWORD>(due, USER_TIMER_MINIMUM), nullptr);
}

bool MainWindow::OnTimer(UINT_PTR id) {
    if (id == kFileChangeTimer) {
        CheckForChanges();
        return true;
    }
    if (id != kSaveTimer) return false;
    KillTimer(handle, kSaveTimer);
    if (databaseLent) {
        SetTimer(handle, kSaveTimer, SaveSchedule::kRetryMs, nullptr);
    } else if (saveSchedule.DueIn(GetTickCount()) == 0) {
        SaveEverything();
    } else {
        ArmSaveTimer();
    }
    return true;
}

bool MainWindow::HasUnsavedPages() {
    for (unsigned i = 0; i < tabs.GetTabCount(); ++i) {
        EditorPage* page = tabs.GetEditor(i);
        if (page && page->IsModified() && tabs.GetTab(i).value != TabContainer::kWelcomeTab) return true;
    }
    return false;
}

bool MainWindow::SaveEverything() {
    // The pages keep their edits; the timer comes back for them.
    if (databaseLent) {
        SetTimer(handle, kSaveTimer, SaveSchedule::kRetryMs, nullptr);
        return false;
    }
    if (!IsDatabaseOpen() || !database.isOpen() || !HasUnsavedPages()) {
        saveSchedule.Saved();
        KillTimer(handle, kSaveTimer);
        return true;
    }
    statusBar.SetSaveState(L"Saving\u2026");
    bool saved = true;
    QError failure(QString(), 0);
    const DWORD started = GetTickCount();
    {
        BriefLockWait brief(database);
        // Each page on its own: one that fails leaves the others' saves standing.
        for (unsigned i = 0; i < tabs.GetTabCount(); ++i) {
            try {
                SaveTab(i);
            } catch (const QError& error) {
                if (saved) failure = error;
                saved = false;
            }
        }
    }
    saveSchedule.SaveTook(GetTickCount() - started);
    if (saved) {
        saveSchedule.Saved();
        KillTimer(handle, kSaveTimer);
        statusBar.SetSaveState(L"Saved");
        return true;
    }
    saveSchedule.Failed(GetTickCount());
    ShowSaveFailure(failure);
    // Asked once: after a refusal the edits wait in their pages until the
    // user leaves one or saves, rather than a question every second.
    if (IsPasswordChangedElsewhere(failure) && !passwordChangedElsewhere) return ReopenAfterPasswordChange();
    ArmSaveTimer();
    return false;
}

void MainWindow::RunOnDatabase(const QString& caption, const ProgressWork& work) {
    databaseLent = true;
    try {
        prompts.RunWithProgress(handle, caption, work);
    } catch (...) {
        databaseLent = false;
        throw;
    }
    databaseLent = false;
}

void MainWindow::ShowSaveFailure(const QError& failure) {
    lastSaveFailure = IsPasswordChangedElsewhere(failure) ? QString(kPasswordChangedElsewhere) : Reason(failure);
    statusBar.SetSaveState(IsLockedElsewhere(failure) ? QString(L"Waiting for another program to release the file\u2026")
                                                      : L"Not saved: " + lastSaveFailure);
}

bool MainWindow::SettlePage(unsigned index) {
    EditorPage* page = tabs.GetEditor(index);
    if (!page) return true;
    for (;;) {
        try {
            BriefLockWait brief(database);
            // Only a save that wrote says so: leaving an unchanged page is no news.
            if (SaveTab(index) && !HasUnsavedPages()) {
                saveSchedule.Saved();
                statusBar.SetSaveState(L"Saved");
            }
            return true;
        } catch (const QError& error) {
            ShowSaveFailure(error);
            // With the new password the save is simply tried again.
            if (IsPasswordChangedElsewhere(error) && ReopenAfterPasswordChange()) continue;
            const QString title = tabs.GetTab(index).title;
            switch (prompts.ChooseAfterFailedSave(handle, title, Reason(error))) {
            case FailedSaveChoice::Retry: continue;
            case FailedSaveChoice::SaveToFile:
                // A dialog cancelled or a file not written asks again.
                if (SavePageToFile(*page)) {
                    page->GetEditor().SetModified(false);
                    return true;
                }
                continue;
            case FailedSaveChoice::Discard:
                if (prompts.AskYesNo(handle, L"Discard the changes",
                                     L"The changes to \"" + title + L"\" that could not be saved will be lost.",
                                     MB_ICONWARNING)) {
                    page->GetEditor().SetModified(false);
                    return true;
                }
                continue;
            case FailedSaveChoice::Cancel: return false;
            }
        }
    }
}

bool MainWindow::SettleAllPages() {
    for (unsigned i = 0; i < tabs.GetTabCount(); ++i) {
        if (!SettlePage(i)) return false;
    }
    return true;
}

bool MainWindow::SavePageToFile(EditorPage& page) {
    QString path;
    if (!prompts.AskSavePath(handle, SavePathKind::Export, path)) return false;
    try {
        QBuffer rtf;
        if (!page.GetRtf(rtf)) throw QError(L"The editor's content could not be read.");
        documents::ExportCard(path, rtf);
    } catch (const QError& error) {
        ShowMessage(error.message);
        return false;
    }
    SetStatusText(L"Exported to file: " + path);
    return true;
}

void MainWindow::SaveSettings() {
    settings.lastDatabasePath = databasePath;
    const HTREEITEM selected = cardTree.GetSelectedItem();
    settings.lastSelectedCard = selected ? cardTree.GetCardId(selected) : 0;
    // Maximised by the system, the window keeps the rectangle it had before.
    if (!maximisedBySystemCommand) {
        if (IsIconic(handle) || !IsWindowVisible(handle)) {
            // A minimised window's rectangle is the icon's, far off the screen.
            WINDOWPLACEMENT placement = {};
            placement.length = sizeof(placement);
            GetWindowPlacement(handle, &placement);
            settings.windowRect = placement.rcNormalPosition;
        } else {
            GetWindowRect(handle, &settings.windowRect);
        }
    }
    settings.treeWidth = treeWidth;
    // A file that cannot be written keeps the last run's settings; nothing to tell.
    SaveAppSettings(settingsPath, settings);
}

bool MainWindow::OnQueryEndSession(LPARAM) {
    SaveSettings();
    if (SaveEverything()) {
        ShutdownBlockReasonDestroy(handle);
        return true;
    }
    // Windows shows the reason beside the program; the window comes forward
    // with the reason on its status line, so that the user can decide.
    const QString reason = L"Vorlen could not save your changes: " + lastSaveFailure;
    ShutdownBlockReasonCreate(handle, reason.c_str());
    ShowWindow(handle, IsIconic(handle) ? SW_RESTORE : SW_SHOW);
    FlashWindow(handle, TRUE);
    SetStatusText(reason);
    return false;
}

bool MainWindow::OnEndSession(bool ending, LPARAM) {
    if (!ending) {
        ShutdownBlockReasonDestroy(handle);
        return true;
    }
    // The process may end as soon as this returns: everything is written now.
    SaveEverything();
    SaveSettings();
    return true;
}

void MainWindow::RegisterRestart() {
    // After an update's restart the program comes back with its database.
    const QString arguments = databasePath.IsEmpty() ? QString() : L"\"" + databasePath + L"\"";
    RegisterApplicationRestart(arguments.c_str(), RESTART_NO_CRASH | RESTART_NO_HANG);
}
