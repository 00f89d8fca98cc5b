#include "app/card_content_file.h"

#include <ole2.h>
#include <shlwapi.h>

#include "app/editor_page.h"
#include "app/file_kinds.h"
#include "core/qerror.h"
#include "documents/office_text.h"
#include "documents/plain_text_rtf.h"
#include "documents/rtf_plain_text.h"
#include "documents/text_file.h"
#include "window/rtf_nesting.h"

#include <utility>

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// OLE for the calling thread, for as long as the call needs it: the editor
// embeds pictures as OLE objects. An earlier initialisation (S_FALSE) is
// counted too and balanced the same way.
class OleSession {
public:
    OleSession() : initialised(SUCCEEDED(OleInitialize(nullptr))) {}
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    ~OleSession() {
        if (initialised) OleUninitialize();
    }

private:
    bool initialised;
};

QString Quoted(const QString& path) {
    return QString(L"\"") + PathFindFileNameW(path.c_str()) + L"\"";
}

QString FailureMessage(FileKind kind, const QString& path) {
    switch (kind) {
    case FileKind::Office: return L"Document load error!";
    case FileKind::Picture: return Quoted(path) + L" could not be decoded as a picture.";
    default: return Quoted(path) + L" could not be read into the card.";
    }
}

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

// An RTF document becomes a card as it is, with the text the editor would
// report for it: the editor would hold some hundred bytes per byte of it.
// False, with content untouched, for a file that does not begin as RTF,
// which the editor reads as best it can.
bool ReadRtfCardContent(const QString& path, CardContent& content) {
    QBuffer bytes;
    if (!ReadFileBytes(path, bytes)) throw QError(FailureMessage(FileKind::Rtf, path));
    kiln::qwin::RtfNesting nesting;
    nesting.Feed(bytes.GetData(), bytes.GetCount());
    kiln::qwin::RequireNestingTheEditorTakes(nesting.Deepest());
    QString text;
    if (!RtfPlainText(bytes.GetData(), bytes.GetCount(), text)) return false;
    content.txt = std::move(text);
    content.rtf = std::move(bytes);
    return true;
}

}  // namespace

void ReadCardContentFromFile(const QString& path, CardContent& content) {
    const FileKind kind = KindOfFile(path);
    if (kind == FileKind::Database || kind == FileKind::Other) {
        throw QError(Quoted(path) + L" is not a kind of file a card can hold: use an RTF, text, picture, "
                                    L"Word, Excel or PowerPoint file.");
    }
    if (kind == FileKind::Text) {
        // The editor would hold hundreds of bytes per character of a large
        // file; plain text needs no editor to become a card.
        QString text;
        if (!ReadTextFile(path, text)) throw QError(FailureMessage(kind, path));
        PlainTextCardForms(text, content.txt, content.rtf);
        return;
    }
    if (kind == FileKind::Office) {
        // The document's text is plain text: no editor is needed for it either.
        QString text;
        if (!ExtractOfficeText(path, text)) throw QError(FailureMessage(kind, path));
        PlainTextCardForms(text, content.txt, content.rtf);
        return;
    }
    if (kind == FileKind::Rtf && ReadRtfCardContent(path, content)) return;
    OleSession ole;
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
    if (page.InsertFile(path) != FileInsertion::Inserted) throw QError(FailureMessage(kind, path));

    QBuffer rtf;
    if (!page.GetRtf(rtf)) throw QError(L"The card's content could not be written as RTF.");
    content.txt = page.GetPlainText();
    content.rtf = std::move(rtf);
}
