// Files dropped on the window outside the editors: a card database is
// opened in place of the open one; documents become new top-level cards.

#include <shlwapi.h>

#include <vector>

#include "app/editor/editor_card_content.h"
#include "app/editor/folder_cards.h"
#include "documents/file_kinds.h"
#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/card_branch.h"
#include "store/card_operations.h"
#include "window/qdropped_files.h"
#include "window/qsessions.h"
#include "window/qwait_cursor.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

bool MainWindow::OnDropFiles(HDROP drop) {
    const kiln::qwin::QDroppedFiles files(drop);
    kiln::qwin::QWaitCursor waiting;
    for (unsigned i = 0; i < files.GetCount(); ++i) {
        const QString path = files.GetPath(i);
        const bool folder = PathIsDirectoryW(path.c_str()) != FALSE;
        const FileKind kind = folder ? FileKind::Other : KindOfFile(path);
        if (kind == FileKind::Database) {
            // The edits of the open database are saved first; a database
            // that cannot take them stays open with them.
            if (IsDatabaseOpen() && !CloseDatabase()) return false;
            return OpenDatabase(path, false);
        }
        if (!IsDatabaseOpen()) {
            ShowMessage(L"Create a database first!");
            return false;
        }
        if (folder) {
            if (!AddBranchFromFolder(path)) return true;
            continue;
        }
        if (kind != FileKind::Rtf && kind != FileKind::Text && kind != FileKind::Office) continue;
        if (!AddCardFromFile(path)) return true;
    }
    return true;
}

bool MainWindow::AddCardFromFile(const QString& path) {
    // One refusal ends the drop: no later file could be added either.
    if (!RequireWritableDatabase()) return false;
    // Read before anything is created: a file that cannot be read leaves no
    // empty card behind. The next file may still be readable.
    CardContent content;
    try {
        ReadCardContentFromFile(path, content);
    } catch (const QError& error) {
        ShowMessage(path + L"\n\n" + error.message);
        return true;
    }
    try {
        // The card being edited keeps its edits even when selecting the new
        // card could not save them.
        SaveCurrentCard();
        const QString title = PathFindFileNameW(path.c_str());
        const CardId cardId = store::addCard(database, 0, title, content.txt, content.rtf);
        const HTREEITEM item = cardTree.InsertItem(title.c_str(), TVI_ROOT, cardId);
        cardTree.SelectItem(item);
    } catch (const QError& error) {
        // The database refused: the files after this one would fare no better.
        ShowMessage(error.message);
        return false;
    }
    return true;
}

// A folder becomes a branch at the top level, every file read before the
// first card is made; the files that could not be read are named in one
// message at the end. A large folder takes a while: the reading and the
// storing run behind a progress dialog whose Cancel leaves the file and the
// tree as they were.
bool MainWindow::AddBranchFromFolder(const QString& folder) {
    if (!RequireWritableDatabase()) return false;
    NewCardBranch branch;
    std::vector<QString> skipped;
    CardId cardId = 0;
    try {
        SaveCurrentCard();
        RunOnDatabase(L"Add folder", [&](ProgressReport& report) {
            // Pictures other than PNG and JPEG are converted through COM,
            // and a few files need a hidden editor: both on this thread.
            kiln::qwin::QOleSession ole(L"OLE could not be initialised to read the files.");
            if (!report.Report(0, L"Listing the folder...")) return;
            const bool read = ReadFolderCards(folder, branch, skipped, [&](unsigned done, unsigned total) {
                QString text;
                text.Format(L"Reading files: %u of %u", done, total);
                return report.Report(total == 0 ? 0 : static_cast<unsigned>(800ull * done / total), text);
            });
            if (!read) return;
            const unsigned cards = countBranchCards(branch);
            cardId = addCardBranch(database, 0, branch, [&](unsigned made) {
                QString text;
                text.Format(L"Storing cards: %u of %u", made, cards);
                return report.Report(800 + static_cast<unsigned>(200ull * made / cards), text);
            });
        });
    } catch (const QError& error) {
        ShowMessage(folder + L"\n\n" + error.message);
        return false;
    }
    if (cardId == 0) {
        SetStatusText(L"The folder was not added.");
        return false;
    }
    const HTREEITEM item = cardTree.InsertItem(branch.title.c_str(), TVI_ROOT, cardId, !branch.children.empty());
    LoadChildCards(item);
    cardTree.Expand(item);
    cardTree.SelectItem(item);
    if (!skipped.empty()) {
        QString message = L"These files could not be read and were left out:\n";
        for (const QString& file : skipped) message = message + L"\n" + file;
        ShowMessage(message);
    }
    return true;
}
