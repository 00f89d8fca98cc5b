#include "app/editor/editor_card_content.h"

#include "app/editor/editor_page.h"
#include "core/qerror.h"
#include "window/qsessions.h"

#include <utility>

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// Read straight after the call that failed: window creation can fail
// without setting any error (a hook refused it, no display driver), and then
// whatever an earlier, successful call left behind would be reported.
QError HiddenEditorError() {
    const DWORD error = GetLastError();
    const QString message = L"The hidden editor that reads the file could not be created";
    if (error == ERROR_SUCCESS) return QError(message + L".");
    QString reason;
    reason.FormatSystemError(error);
    reason.Trim();
    return QError(message + L": " + reason, static_cast<int>(error));
}

}  // namespace

void ReadCardContentFromFile(const QString& path, CardContent& content) {
    if (ReadCardContentWithoutEditor(path, content)) return;
    // Only a ".rtf" file that does not begin as RTF comes this far: the
    // editor reads it as best it can. Its page holds objects through OLE.
    kiln::qwin::QOleSession ole(L"OLE could not be initialised to read the file.");
    kiln::qwin::QWindow host;
    EditorPage page;
    SetLastError(ERROR_SUCCESS);
    host.Create(nullptr, 0, WS_POPUP);
    if (!host.GetHandle()) throw HiddenEditorError();
    SetLastError(ERROR_SUCCESS);
    if (!page.Create(&host, 1, 0)) throw HiddenEditorError();
    page.ApplyDatabaseState(true);
    // Nothing is ever undone on this page; an undo record would keep another
    // copy of the whole file's text.
    SendMessageW(page.GetEditor().GetHandle(), EM_SETUNDOLIMIT, 0, 0);
    if (page.InsertFile(path) != FileInsertion::Inserted) throw QError(CardContentFailureMessage(path));

    QBuffer rtf;
    if (!page.GetRtf(rtf)) throw QError(L"The card's content could not be written as RTF.");
    content.txt = page.GetPlainText();
    content.rtf = std::move(rtf);
}
