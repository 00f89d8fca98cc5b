#include "documents/card_content_file.h"

#include <shlwapi.h>

#include "core/qerror.h"
#include "core/qfile.h"
#include "documents/file_kinds.h"
#include "documents/office_text.h"
#include "documents/picture_file_rtf.h"
#include "documents/picture_rtf.h"
#include "documents/plain_text_rtf.h"
#include "documents/rtf_pictures.h"
#include "documents/rtf_plain_text.h"
#include "documents/text_file.h"
#include "window/qsessions.h"
#include "window/rtf_nesting.h"

#include <string>
#include <utility>

using kiln::qstd::QBuffer;
using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// The text the editor reports for the document: its pictures are kept aside
// and stand in it as their placeholders.
bool TextAsTheEditorShowsIt(const QBuffer& rtf, QString& text) {
    documents::RtfPictures pictures;
    QBuffer shown;
    pictures.SetAside(rtf.GetData(), rtf.GetCount(), shown);
    return RtfPlainText(shown.GetData(), shown.GetCount(), text);
}

QString Quoted(const QString& path) {
    return QString(L"\"") + PathFindFileNameW(path.c_str()) + L"\"";
}

// An RTF document becomes a card as it is, with the text the editor would
// report for it: the editor would hold some hundred bytes per byte of it.
// False, with content untouched, for a file that does not begin as RTF,
// which the editor reads as best it can.
bool ReadRtfCardContent(const QString& path, CardContent& content) {
    QBuffer bytes;
    if (!ReadFileBytes(path, bytes)) throw QError(CardContentFailureMessage(path));
    kiln::qwin::RtfNesting nesting;
    nesting.Feed(bytes.GetData(), bytes.GetCount());
    kiln::qwin::RequireNestingTheEditorTakes(nesting.Deepest());
    QString text;
    if (!TextAsTheEditorShowsIt(bytes, text)) return false;
    content.txt = std::move(text);
    content.rtf = std::move(bytes);
    return true;
}

// A picture becomes a card holding it alone, written here rather than by an
// editor: not every system's editor control can write a picture it shows.
// PNG and JPEG are carried as they are; the other kinds as PNG.
void ReadPictureCardContent(const QString& path, CardContent& content) {
    kiln::qwin::QOleSession com(L"COM could not be initialised to read the picture.");
    QBuffer group;
    if (!documents::ReadPictureFileGroup(path, group)) throw QError(CardContentFailureMessage(path));
    QBuffer rtf;
    documents::AppendPictureDocument(group, rtf);
    QString text;
    TextAsTheEditorShowsIt(rtf, text);
    content.txt = std::move(text);
    content.rtf = std::move(rtf);
}

// What comes through a device or a pipe may never end, and what the engine
// cannot store would take minutes and gigabytes to read before the save
// failed: both are refused first. A text file's text is stored twice, as
// text and in the RTF, and so is a picture, whose bytes the RTF holds as
// two hexadecimal digits each.
void RequireStorableFile(const QString& path, FileKind kind) {
    kiln::files::QFile file;
    if (!file.Open(path.c_str(), kiln::files::QFile::modeNoAccess | kiln::files::QFile::shareDenyNone)) return;
    if (!file.IsDiskFile()) {
        throw QError(Quoted(path) + L" is not an ordinary file (a device or a pipe): a card takes the content of "
                                    L"files only.");
    }
    const unsigned long long size = static_cast<unsigned long long>(file.GetSize());
    const unsigned long long copies = kind == FileKind::Text || kind == FileKind::Picture ? 2 : 1;
    if (kind == FileKind::Office || size <= kLargestCardContent / copies) return;
    const std::wstring message = L" is too large for a card: it holds " + std::to_wstring(size) +
                                 L" bytes, and a card stores at most " + std::to_wstring(kLargestCardContent) +
                                 L" bytes";
    throw QError(Quoted(path) + message.c_str() +
                 (copies == 2 ? QString(L" (this kind of file twice over, as text and in the RTF).") : QString(L".")));
}

// A card's text ends at its first NUL character: the stored text is cut
// there, so the RTF is made from the same text, and the user is told.
void CutAtFirstNul(const QString& path, QString& text, QString& notice) {
    const wchar_t* units = text.c_str();
    const int length = text.GetLength();
    int end = 0;
    while (end < length && units[end] != L'\0') ++end;
    if (end == length) return;
    QString where;
    where.Format(L" holds a NUL character after %d of its %d characters: a card's text ends there, so the rest "
                 L"was left out.",
                 end, length);
    notice = Quoted(path) + where;
    text = QString(units, end);
}

}  // namespace

QString CardContentFailureMessage(const QString& path) {
    switch (KindOfFile(path)) {
    case FileKind::Office: return L"Document load error!";
    case FileKind::Picture: return Quoted(path) + L" could not be decoded as a picture.";
    default: return Quoted(path) + L" could not be read into the card.";
    }
}

bool ReadCardContentWithoutEditor(const QString& path, CardContent& content) {
    const FileKind kind = KindOfFile(path);
    if (kind == FileKind::Database || kind == FileKind::Other) {
        throw QError(Quoted(path) + L" is not a kind of file a card can hold: use an RTF, text, picture, "
                                    L"Word, Excel or PowerPoint file.");
    }
    RequireStorableFile(path, kind);
    if (kind == FileKind::Text) {
        // The editor would hold hundreds of bytes per character of a large
        // file; plain text needs no editor to become a card.
        QString text;
        if (!ReadTextFile(path, text)) throw QError(CardContentFailureMessage(path));
        QString notice;
        CutAtFirstNul(path, text, notice);
        PlainTextCardForms(text, content.txt, content.rtf);
        content.notice = notice;
        return true;
    }
    if (kind == FileKind::Office) {
        // The document's text is plain text: no editor is needed for it either.
        QString text;
        if (!ExtractOfficeText(path, text)) throw QError(CardContentFailureMessage(path));
        PlainTextCardForms(text, content.txt, content.rtf);
        return true;
    }
    if (kind == FileKind::Picture) {
        ReadPictureCardContent(path, content);
        return true;
    }
    return kind == FileKind::Rtf && ReadRtfCardContent(path, content);
}
