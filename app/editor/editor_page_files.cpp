// Files brought into the editor at the selection: dropped files, and the
// text of Office documents.

#include "app/editor/editor_page.h"
#include "core/qfile.h"
#include "documents/file_kinds.h"
#include "documents/office_text.h"
#include "window/qwait_cursor.h"

using kiln::files::QFile;
using kiln::qstd::QString;

bool EditorPage::InsertOfficeText(const QString& path) {
    kiln::qwin::QWaitCursor wait;
    QString text;
    if (!ExtractOfficeText(path, text)) return false;
    editor.ReplaceSelection(text.c_str());
    editor.SetModified(true);
    return true;
}

bool EditorPage::StreamFileIn(const QString& path, WPARAM flags) {
    QFile file(path.c_str(), QFile::modeRead);
    return editor.StreamInFile(file, flags);
}

FileInsertion EditorPage::InsertFile(const QString& path) {
    bool inserted = false;
    switch (KindOfFile(path)) {
    case FileKind::Rtf: inserted = InsertRtfFile(path); break;
    case FileKind::Text: inserted = StreamFileIn(path, SF_TEXT | SFF_SELECTION); break;
    case FileKind::Picture: inserted = InsertPictureFile(path); break;
    case FileKind::Office: inserted = InsertOfficeText(path); break;
    case FileKind::Database:
    case FileKind::Other: return FileInsertion::Unsupported;
    }
    if (!inserted) return FileInsertion::Failed;
    // The card takes the file at its next save.
    editor.SetModified(true);
    return FileInsertion::Inserted;
}
