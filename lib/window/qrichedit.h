#pragma once

#include <windows.h>
#include <richedit.h>

#include "core/qbuffer.h"
#include "core/qfile.h"
#include "window/qwindow.h"

namespace kiln {
namespace qwin {

class QOleCallback;

// The system's rich edit control ("RICHEDIT50W"), able to hold pictures.
// Character and paragraph operations go through two work records that live
// as long as the wrapper: each operation writes only the fields it names, so
// the effect bits persist and the bold, italic and underline toggles flip the
// record's own bits, not the state of the selected text.
class QRichEdit : public QWindow {
public:
    class QImageIDataObject;

    QRichEdit();
    ~QRichEdit() override;

    // Loads the control's library; the owner calls it before Create.
    bool LoadControlLibrary();
    // The control with style plus child, visible, clip-siblings, vertical
    // scroll bar and multi-line, at an empty rectangle, with the OLE callback
    // that lets it hold embedded objects.
    bool Create(QWindow* parent, int id, DWORD style) override;

    // Reads file into the control at the selection. flags are SF_TEXT or
    // SF_RTF with SFF_SELECTION; for text the encoding is detected from the
    // first bytes and SF_UNICODE added to flags when the file is UTF-16;
    // other text that is valid UTF-8 throughout is read as UTF-8.
    // An empty text file is success without touching the control; false
    // when the control took no characters.
    bool StreamInFile(files::QFile& file, WPARAM& flags);
    // The whole content as 8-bit RTF, pictures included, appended to rtf.
    // False when the control did not write a complete document.
    bool StreamOutRtf(qstd::QBuffer& rtf);
    // The whole content, replaced by rtf: the control's RTF reader takes it
    // when it starts with the RTF signature, else it is read as ANSI text.
    // Throws QError, leaving the content as it was, when the groups nest
    // deeper than the control takes.
    bool SetRtf(const unsigned char* bytes, unsigned length);
    // Replaces the selection with an RTF document, as an undoable step.
    // Throws QError, leaving the content as it was, when the groups nest
    // deeper than the control takes.
    bool ReplaceSelectionRtf(const unsigned char* bytes, unsigned length);
    // Replaces the selection with text without keeping an undo step.
    bool ReplaceSelection(const wchar_t* text);
    // The whole text, with CR LF line ends, as the window text gives it.
    qstd::QString GetPlainText() const;

    bool IsModified() const;
    void SetModified(bool modified);

    // Character operations on the selection.
    bool SetDefaultFormat();
    bool SetTextColor(COLORREF color);
    bool SetBackColor(COLORREF color);
    bool SetFontFace(const wchar_t* face);
    bool SetFontSize(int points);
    bool ToggleBold();
    bool ToggleItalic();
    bool ToggleUnderline();
    // The control's default format, not the selection's.
    bool SetDefaultCharFormat(const wchar_t* face, int twips, COLORREF text, COLORREF back);
    // Applied to the whole content at creation.
    bool SetAllCharFormat(const wchar_t* face, int twips, COLORREF text, COLORREF back);

    // Paragraph operations on the selected paragraphs. Line spacing counts
    // twentieths of a line: 20 single, 23 for 1.15, 30 for 1.5.
    bool SetLineSpacing(int twentieths);
    bool SetSpaceBefore(int twips);
    bool SetSpaceAfter(int twips);
    // The list toggles look at the record's last numbering, not the text.
    bool ToggleBullets();
    bool ToggleNumbering();

    // Wraps at the window edge when on; without wrapping the control gets a
    // horizontal scroll bar.
    void SetWordWrap(bool on);

    // Inserts bitmap at the selection as a static picture; the bitmap stays
    // the caller's.
    bool InsertPicture(HBITMAP bitmap);

private:
    bool ApplyCharFormat(DWORD mask, UINT scope);
    bool ApplyParaFormat(DWORD mask);
    bool ToggleEffect(DWORD effect);
    static DWORD CALLBACK ReadFileChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* done);
    static DWORD CALLBACK AppendChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done);
    // qrichedit_drop.cpp: files dropped on the control reach its parent as
    // EN_DROPFILES whichever version of the control runs.
    static LRESULT CALLBACK DropFilesProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);

    HMODULE library = nullptr;
    CHARFORMAT2W charFormat;
    PARAFORMAT2 paraFormat;
    SETTEXTEX textSetting;
    QOleCallback* oleCallback = nullptr;
    // Big-endian UTF-16 is handed to the control with every byte pair swapped.
    bool swapBytes = false;
    // UTF-8 text without a mark is handed to the control with one in front.
    bool markUtf8 = false;
    files::QFile* streamedFile = nullptr;
};

}  // namespace qwin
}  // namespace kiln
