// Opening and closing the card database, and saving the card being edited.

#include "app/main_window/main_window.h"
#include "app/product.h"
#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/card_tree.h"
#include "store/guarded_save.h"
#include "store/cipher/encrypted_file.h"
#include "window/qwait_cursor.h"

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

bool MainWindow::OpenDatabase(const QString& path, bool create) {
    databasePath = path;
    try {
        if (create) {
            store::createCardDatabase(database, path);
            currentPassword.Empty();
        } else if (isEncryptedFile(path)) {
            if (!OpenEncipheredDatabase(path)) {
                databasePath.Empty();
                UpdateCaption();
                ShowKeyFormat();
                return false;
            }
        } else {
            database.openFile(path);
            currentPassword.Empty();
        }
        kiln::qwin::QWaitCursor waiting;
        // A write-protected file (its attribute, a read-only share or medium)
        // opens for reading only, and says so: no typing goes where it cannot
        // be saved.
        // The attribute counts even where the system would let the file be
        // written (an administrator's process): the user marked it so.
        const DWORD attributes = GetFileAttributesW(path.c_str());
        readOnly = database.isReadOnly() ||
                   (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0);
        // Before the window changes state: a file that is no card database,
        // or a database of something else, fails here and leaves the welcome
        // page in place.
        ensureTreeIndex(database);
        ShowDatabaseState();
        if (!create) {
            FillCardTree();
            SelectFirstCard();
            SetFocus(cardTree.GetHandle());
            SetStatusText(readOnly ? L"Database opened read-only from path: " + path
                                   : L"Database opened from path: " + path);
        }
        passwordChangedElsewhere = false;
        WatchFileChanges();
        RegisterRestart();
        if (!create) BackUpOnOpen();
        StartSearching();
    } catch (const QError& error) {
        // The window never shows a database it could not read, and nothing is
        // written through a connection whose open failed (its key, say). The
        // connection goes first, so that emptying the tree saves nothing.
        database.close();
        cardTree.DeleteAll();
        databasePath.Empty();
        currentPassword.Empty();
        readOnly = false;
        ShowWelcomeState();
        ShowMessage(error.message);
        UpdateCaption();
        ShowKeyFormat();
        return false;
    }
    UpdateCaption();
    ShowKeyFormat();
    return true;
}

bool MainWindow::RequireOpenDatabase() {
    if (IsDatabaseOpen()) return true;
    ShowMessage(L"Open a database first!");
    return false;
}

bool MainWindow::RequireWritableDatabase() {
    if (!RequireOpenDatabase()) return false;
    if (!readOnly) return true;
    ShowMessage(L"This database is read-only: nothing in it can be changed.");
    return false;
}

bool MainWindow::CloseDatabase() {
    if (!RequireOpenDatabase()) return false;
    // Edits that cannot be saved keep the database open, unless the user
    // chose what becomes of them.
    if (!SettleAllPages()) return false;
    saveSchedule.Saved();
    statusBar.SetSaveState(QString());
    // A tab left open would keep a card id of this file, and a later save
    // would write it into the card of that id in the next file.
    CloseAllTabsButOne();
    // The search thread lets go of the file before anything replaces it.
    EndSearching();
    KillTimer(handle, kFileChangeTimer);
    cardTree.DeleteAll();
    SetStatusText(L"Database closed!");
    ShowWelcomeState();
    database.close();
    databasePath.Empty();
    currentPassword.Empty();
    readOnly = false;
    RegisterRestart();
    SetText(kProductName);
    UpdateCaption();
    ShowKeyFormat();
    return true;
}

bool MainWindow::SaveCurrentCard() {
    // The card the tab shows, which need not be the tree's selection.
    return tabs.GetActiveIndex() >= 0 && SaveTab(static_cast<unsigned>(tabs.GetActiveIndex()));
}

void MainWindow::LoadCardIntoActiveTab(CardId cardId, const QString& cardTitle) {
    EditorPage* page = tabs.GetActiveEditor();
    if (!page) return;
    // The tab names the card only once it was read: a failed read leaves the
    // tab with the card whose text the editor still holds.
    const QBuffer rtf = store::loadCardContent(database, cardId);
    tabs.SetActiveTitle(cardTitle);
    tabs.SetActiveValue(cardId);
    page->SetLoadedVersion(store::contentVersion(rtf));
    page->LoadRtf(rtf.GetData(), rtf.GetCount());
    ApplyPageWritability(*page, cardId);
    toolbar.ShowCaretFormat(page->GetCaretFormat());
}

// The card remembered from the last run when this is the database of the
// last run, else the first card; another database also starts a new history.
void MainWindow::SelectFirstCard() {
    const bool sameDatabase = databasePath.CompareNoCase(settings.lastDatabasePath) == 0;
    if (!sameDatabase) settings.history.Clear();
    if (!sameDatabase || settings.lastSelectedCard == 0) {
        cardTree.SelectItem(cardTree.GetFirstVisible());
        return;
    }
    const HTREEITEM remembered = RevealCard(settings.lastSelectedCard);
    if (remembered != TVI_ROOT) cardTree.SelectItem(remembered);
}

void MainWindow::ApplyPageWritability(EditorPage& page, CardId shownCard) {
    page.ApplyDatabaseState(IsDatabaseOpen() && !readOnly && shownCard != TabContainer::kWelcomeTab);
}

void MainWindow::ShowDatabaseState() {
    for (unsigned i = 0; i < tabs.GetTabCount(); ++i) {
        if (EditorPage* page = tabs.GetEditor(i)) ApplyPageWritability(*page, tabs.GetTab(i).value);
    }
    ShowWindow(welcomeBrowser.GetHandle(), SW_HIDE);
    ShowWindow(tabs.GetHandle(), SW_SHOW);
    InvalidateRect(handle, nullptr, TRUE);
}

void MainWindow::ShowWelcomeState() {
    if (EditorPage* page = tabs.GetActiveEditor()) {
        page->ApplyDatabaseState(false);
        page->GetEditor().SetText(L"");
    }
    tabs.SetActiveTitle(L"Welcome");
    tabs.SetActiveValue(TabContainer::kWelcomeTab);
    ShowWindow(tabs.GetHandle(), SW_HIDE);
    ShowWindow(welcomeBrowser.GetHandle(), SW_SHOW);
    welcomeBrowser.ShowWelcomePage();
}
