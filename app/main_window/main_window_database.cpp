// Opening and closing the card database, and saving the card being edited.

#include "app/main_window/main_window.h"
#include "app/product.h"
#include "core/qerror.h"
#include "store/card_operations.h"
#include "store/card_tree.h"
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
        // Before the window changes state: a file that is no card database,
        // or a database of something else, fails here and leaves the welcome
        // page in place.
        ensureTreeIndex(database);
        ShowDatabaseState();
        if (!create) {
            FillCardTree();
            SelectFirstCard();
            SetFocus(cardTree.GetHandle());
            SetStatusText(L"Database opened from path: " + path);
        }
    } catch (const QError& error) {
        // The window never shows a database it could not read, and nothing is
        // written through a connection whose open failed (its key, say). The
        // connection goes first, so that emptying the tree saves nothing.
        database.close();
        cardTree.DeleteAll();
        databasePath.Empty();
        currentPassword.Empty();
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

bool MainWindow::CloseDatabase() {
    if (!RequireOpenDatabase()) return false;
    try {
        SaveCurrentCard();
        SaveModifiedTabs();
    } catch (const QError& error) {
        // The edit is still in the editor: the database stays open for
        // another try rather than losing it.
        ShowMessage(error.message);
        return false;
    }
    // A tab left open would keep a card id of this file, and a later save
    // would write it into the card of that id in the next file.
    CloseAllTabsButOne();
    // The search thread lets go of the file before anything replaces it.
    EndSearching();
    cardTree.DeleteAll();
    SetStatusText(L"Database closed!");
    ShowWelcomeState();
    database.close();
    databasePath.Empty();
    currentPassword.Empty();
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
    tabs.SetActiveTitle(cardTitle);
    tabs.SetActiveValue(cardId);
    const QBuffer rtf = store::loadCardContent(database, cardId);
    page->LoadRtf(rtf.GetData(), rtf.GetCount());
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

void MainWindow::ShowDatabaseState() {
    if (EditorPage* page = tabs.GetActiveEditor()) page->ApplyDatabaseState(true);
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
