// Files dropped on the window outside the editors: a card database is
// opened in place of the open one; documents become new top-level cards.

#include <shlwapi.h>

#include "app/editor/editor_card_content.h"
#include "documents/file_kinds.h"
#include "app/main_window/main_window.h"
#include "core/qerror.h"
#include "store/card_operations.h"
#include "window/qdropped_files.h"
#include "window/qwait_cursor.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

bool MainWindow::OnDropFiles(HDROP drop) {
    const kiln::qwin::QDroppedFiles files(drop);
    kiln::qwin::QWaitCursor waiting;
    for (unsigned i = 0; i < files.GetCount(); ++i) {
        const QString path = files.GetPath(i);
        const FileKind kind = KindOfFile(path);
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
