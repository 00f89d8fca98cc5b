#pragma once

// app/editor: a card's editor page (this class, its definitions in
// editor_page_<concern>.cpp), the tab container that holds the pages, the
// formatting toolbar, and reading a file into a card where only an editor can.

#include <windows.h>

#include <cstdint>
#include <richedit.h>
#include <shellapi.h>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "documents/rich_print.h"
#include "documents/rtf_pictures.h"
#include "window/qrichedit.h"
#include "window/qwindow.h"

// What inserting one file into an editor came to.
enum class FileInsertion {
    Inserted,
    // The file's kind is one the editor does not take; nothing changed.
    Unsupported,
    // The file is of a kind the editor takes but could not be read.
    Failed,
};

// The formatting where the caret stands, as the toolbar's combos show it; a
// value that differs within the selection is empty.
struct CaretFormat {
    kiln::qstd::QString face;
    kiln::qstd::QString size;
    kiln::qstd::QString lineSpacing;
    // CLR_INVALID when the text has no colour of its own, or several.
    COLORREF textColor = CLR_INVALID;
    COLORREF backColor = CLR_INVALID;
};

// The page of one editor tab: a rich edit control filling the page, the
// editing commands that act on it, and the card's two stored forms.
class EditorPage : public kiln::qwin::QWindow {
public:
    // The option words of the control while no database is open (read-only)
    // and while one is (writable).
    static const DWORD kOptionsWithoutDatabase = 0x010099C4;
    static const DWORD kOptionsWithDatabase = 0x01003144;

    EditorPage();
    ~EditorPage() override;

    bool Create(kiln::qwin::QWindow* parent, int id, DWORD style) override;
    const wchar_t* GetClassName() const override;
    bool PreRegisterClass(WNDCLASSW& windowClass) override;
    bool PreCreateWindow(CREATESTRUCTW& create) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int controlId, NMHDR* header, LRESULT* result) override;
    bool OnSize(UINT type, int cx, int cy) override;
    // The page itself takes no keys: the focus goes on to its editor.
    bool OnSetFocus(HWND losingFocus) override;

    kiln::qwin::QRichEdit& GetEditor() { return editor; }
    const kiln::qwin::QRichEdit& GetEditor() const { return editor; }

    // The card's two stored forms: the plain text (for search) and the whole
    // content as 8-bit RTF with its pictures, appended to rtf. The pictures
    // are the ones loaded or inserted, byte for byte, wherever their
    // placeholders still stand.
    kiln::qstd::QString GetPlainText() const;
    bool GetRtf(kiln::qstd::QBuffer& rtf);
    // A card's stored RTF becomes the whole content; the page is then
    // unmodified. Its pictures are kept aside and shown as placeholders that
    // can be deleted only as a whole. RTF nested deeper than the editor takes is refused with a
    // QError: the page is then empty, read-only and never modified until the
    // next card is loaded, so nothing is saved over the card.
    void LoadRtf(const unsigned char* bytes, unsigned length);
    bool IsModified() const;
    CaretFormat GetCaretFormat() const;
    // What the card held when the page was loaded or last saved (a hash the
    // store computes), so that a save can tell whether another program
    // changed the card meanwhile.
    uint64_t GetLoadedVersion() const { return loadedVersion; }
    void SetLoadedVersion(uint64_t version) { loadedVersion = version; }

    // Replaces the whole option set of the control.
    void ApplyDatabaseState(bool databaseOpen);
    void SetWordWrap(bool on);
    void SetCodeStyle();
    // The printer choice of this page, kept from one print to the next.
    documents::PrintSetup& GetPrintSetup() { return printSetup; }

    // Selects the next match of text, ignoring letter case: after the
    // selection when there is one, else from the start of the text. No match
    // leaves the selection alone and answers false.
    bool FindNext(const wchar_t* text);

    // The plain text of a Word, Excel or PowerPoint file replaces the
    // selection and marks the page modified; false leaves everything as it was.
    bool InsertOfficeText(const kiln::qstd::QString& path);
    // Inserts a file at the selection the way a drop on the editor does:
    // RTF, plain text with its encoding detected, a picture, or the text of
    // an Office document. Throws QError when an RTF or text file cannot be opened.
    FileInsertion InsertFile(const kiln::qstd::QString& path);

protected:
    // Seams for the outside world; tests record instead of opening a browser
    // or a message box.
    virtual void OpenInShell(const kiln::qstd::QString& address);
    virtual void ShowMessage(const wchar_t* text);

private:
    void WebSearch(int command);
    void ApplyFontSize(const wchar_t* text);
    void ApplyLineSpacing(const wchar_t* text);
    void ShowContextMenu(const POINT& clientPoint);
    void OpenLink(const ENLINK& link);
    void InsertDroppedFiles(HDROP drop);
    bool StreamFileIn(const kiln::qstd::QString& path, WPARAM flags);
    bool InsertPictureFile(const kiln::qstd::QString& path);
    // editor_page_pictures.cpp: whether a change of the text in change
    // leaves every picture placeholder whole; one that would cut into one is
    // refused, with the placeholder selected instead, so that the next key
    // takes it whole. The control reports changes to protected text; keys
    // are weighed before the control sees them.
    bool AllowsChange(CHARRANGE change, bool duringChange);
    bool AllowsProtectedChange(const ENPROTECTED& change);
    bool AllowsKey(UINT msg, WPARAM key);
    void ProtectPlaceholders(LONG from, LONG to);
    bool InsertRtfWithPlaceholders(const kiln::qstd::QBuffer& rtf);
    bool InsertRtfFile(const kiln::qstd::QString& path);

    kiln::qwin::QRichEdit editor;
    documents::RtfPictures pictures;
    // The last card loaded could not be shown: the page stays empty,
    // read-only and unmodified until another card is loaded.
    bool contentRefused = false;
    // The state of the last search: where it looked, what for, what it found.
    CHARRANGE searchRange = {0, 0};
    kiln::qstd::QString searchText;
    CHARRANGE foundRange = {0, 0};
    bool found = false;
    documents::PrintSetup printSetup;
    uint64_t loadedVersion = 0;
};
