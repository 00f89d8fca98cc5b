// Files in, RTF out: the control's stream interface.

#include <cstring>
#include <new>

#include "core/qerror.h"
#include "core/text_encoding.h"
#include "window/qrichedit.h"
#include "window/rtf_nesting.h"

namespace kiln {
namespace qwin {

namespace {

// The flags that tell the control a text file's encoding; answers where the
// text starts. The UTF-8 mark stays: it is how the control knows the bytes
// are UTF-8. A UTF-16 mark is left out, since the flags already say what it
// says and a control that kept it would put an invisible character at the
// start of the card's text.
LONGLONG ApplyTextEncoding(const unsigned char first[4], WPARAM& flags, bool& swapBytes) {
    const qstd::TextStart start = qstd::DetectTextStart(first, 4);
    switch (start.encoding) {
    case qstd::TextEncoding::Utf16BigEndian: swapBytes = true; [[fallthrough]];
    case qstd::TextEncoding::Utf16LittleEndian: flags |= SF_UNICODE; return start.markLength;
    case qstd::TextEncoding::Utf8:
    case qstd::TextEncoding::CodePage: break;
    }
    return 0;
}

// Whether the file from its current position is UTF-8 that an 8-bit code
// page would read differently. Reads the file once, a chunk at a time.
bool IsUtf8BeyondAscii(files::QFile& file) {
    unsigned char chunk[65536];
    qstd::Utf8Check check;
    DWORD read = 0;
    for (;;) {
        if (!ReadFile(file.GetHandle(), chunk, sizeof chunk, &read, nullptr)) return false;
        if (read == 0) return check.IsUtf8BeyondAscii();
        if (!check.Feed(chunk, read)) return false;
    }
}

// The deepest nesting of the RTF from the file's current position; reads
// the file once, a chunk at a time.
unsigned DeepestRtfNesting(files::QFile& file) {
    RtfNesting nesting;
    unsigned char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file.GetHandle(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        nesting.Feed(chunk, read);
    }
    return nesting.Deepest();
}

// A writer that gives up halfway (on an object it cannot write) may still
// report success; a card saved from such a stream would lose everything
// after the object. Complete RTF ends by closing its outer group.
bool EndsWithClosedGroup(const qstd::QBuffer& rtf, unsigned start) {
    for (unsigned i = rtf.GetCount(); i > start; --i) {
        const unsigned char c = rtf.GetData()[i - 1];
        if (c == '}') return true;
        if (c != '\0' && c != '\r' && c != '\n' && c != ' ') return false;
    }
    return false;
}

}  // namespace

bool QRichEdit::StreamInFile(files::QFile& file, WPARAM& flags) {
    // Decided afresh for every file: an RTF or 8-bit file after a big-endian
    // one is never swapped, nor marked as UTF-8.
    swapBytes = false;
    markUtf8 = false;
    LONGLONG start = 0;
    if ((flags & SF_RTF) == 0) {
        const LONGLONG size = file.GetSize();
        if (size == 0) return true;
        unsigned char first[4] = {};
        const unsigned got = size >= 4 ? file.Read(first, 4) : 0;
        if (got == 4) start = ApplyTextEncoding(first, flags, swapBytes);
        const bool utf8Mark = got == 4 && first[0] == 0xEF && first[1] == 0xBB && first[2] == 0xBF;
        // Most editors write UTF-8 without a mark today: bytes that are valid
        // UTF-8 are read as such, anything else in the ANSI code page as ever.
        // The control is told by the mark, the one sign every version of it
        // takes for UTF-8 plain text.
        if ((flags & SF_UNICODE) == 0 && !utf8Mark) {
            file.Seek(0, files::QFile::seekBegin);
            markUtf8 = IsUtf8BeyondAscii(file);
        }
    } else {
        RequireNestingTheEditorTakes(DeepestRtfNesting(file));
    }
    file.Seek(start, files::QFile::seekBegin);

    streamedFile = &file;
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(this);
    stream.pfnCallback = ReadFileChunk;
    SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
    const LRESULT taken = SendMessageW(handle, EM_STREAMIN, flags, reinterpret_cast<LPARAM>(&stream));
    SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    streamedFile = nullptr;
    return taken != 0;
}

DWORD CALLBACK QRichEdit::ReadFileChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* done) {
    auto* self = reinterpret_cast<QRichEdit*>(cookie);
    *done = 0;
    if (wanted <= 0) return 0;
    static const BYTE utf8Mark[] = {0xEF, 0xBB, 0xBF};
    LONG marked = 0;
    if (self->markUtf8 && wanted > static_cast<LONG>(sizeof utf8Mark)) {
        std::memcpy(buffer, utf8Mark, sizeof utf8Mark);
        marked = sizeof utf8Mark;
        self->markUtf8 = false;
    }
    DWORD read = 0;
    if (!ReadFile(self->streamedFile->GetHandle(), buffer + marked, static_cast<DWORD>(wanted - marked), &read,
                  nullptr)) {
        return 1;
    }
    if (self->swapBytes) {
        for (DWORD i = 0; i + 1 < read; i += 2) {
            const BYTE first = buffer[i];
            buffer[i] = buffer[i + 1];
            buffer[i + 1] = first;
        }
    }
    // Nothing read is the end of the file, which ends the stream.
    *done = marked + static_cast<LONG>(read);
    return 0;
}

bool QRichEdit::StreamOutRtf(qstd::QBuffer& rtf) {
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
    stream.pfnCallback = AppendChunk;
    const unsigned before = rtf.GetCount();
    SendMessageW(handle, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0 && EndsWithClosedGroup(rtf, before);
}

DWORD CALLBACK QRichEdit::AppendChunk(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
    auto* rtf = reinterpret_cast<qstd::QBuffer*>(cookie);
    *done = 0;
    // No exception may cross back into the control.
    try {
        if (size > 0) rtf->Append(buffer, static_cast<unsigned>(size));
    } catch (const std::bad_alloc&) {
        return 1;
    }
    *done = size;
    return 0;
}

}  // namespace qwin
}  // namespace kiln
