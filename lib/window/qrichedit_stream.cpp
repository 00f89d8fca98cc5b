// Files in, RTF out: the control's stream interface.

#include <cstring>
#include <new>

#include "core/qerror.h"
#include "window/qrichedit.h"
#include "window/rtf_nesting.h"

namespace kiln {
namespace qwin {

namespace {

// The encoding of a text file from its first four bytes; answers where the
// text starts. The UTF-8 mark stays: it is how the control knows the bytes
// are UTF-8. A UTF-16 mark is left out, since the flags already say what it
// says and a control that kept it would put an invisible character at the
// start of the card's text.
LONGLONG DetectTextEncoding(const unsigned char b[4], WPARAM& flags, bool& swapBytes) {
    if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return 0;
    if (b[0] == 0xFF && b[1] == 0xFE) {
        flags |= SF_UNICODE;
        return 2;
    }
    if (b[1] == 0 && b[3] == 0) {  // little-endian UTF-16 without mark
        flags |= SF_UNICODE;
    } else if (b[0] == 0xFE && b[1] == 0xFF) {
        flags |= SF_UNICODE;
        swapBytes = true;
        return 2;
    } else if (b[0] == 0 && b[2] == 0) {  // big-endian UTF-16 without mark
        flags |= SF_UNICODE;
        swapBytes = true;
    }
    return 0;
}

// How many bytes the UTF-8 sequence at s takes: 0 when the bytes there are
// no valid sequence (stray continuation bytes, overlong forms, surrogates,
// code points beyond U+10FFFF), and more than available when the sequence
// runs past the end of the bytes at hand.
size_t Utf8SequenceLength(const unsigned char* s, size_t available) {
    const unsigned char lead = s[0];
    if (lead < 0x80) return 1;
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if (i >= available) return length;
        const unsigned char lowest = i == 1 ? low : 0x80;
        const unsigned char highest = i == 1 ? high : 0xBF;
        if (s[i] < lowest || s[i] > highest) return 0;
    }
    return length;
}

// Whether the file from its current position is UTF-8 that an 8-bit code
// page would read differently: valid throughout, with at least one byte
// beyond ASCII. Reads the file once, a chunk at a time.
bool IsUtf8BeyondAscii(files::QFile& file) {
    unsigned char chunk[65536];
    size_t carried = 0;
    bool beyondAscii = false;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.GetHandle(), chunk + carried, static_cast<DWORD>(sizeof chunk - carried), &read,
                      nullptr)) {
            return false;
        }
        const size_t available = carried + read;
        if (read == 0) return carried == 0 && beyondAscii;
        size_t at = 0;
        while (at < available) {
            const size_t length = Utf8SequenceLength(chunk + at, available - at);
            if (length == 0) return false;
            if (at + length > available) break;
            if (length > 1) beyondAscii = true;
            at += length;
        }
        // A sequence cut by the chunk's end is judged with the next chunk.
        carried = available - at;
        std::memmove(chunk, chunk + at, carried);
    }
}

// The control keeps a fixed stack of group states while it reads RTF and
// crashes when a document nests deeper.
const unsigned kDeepestRtfNesting = 32;

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
        if (got == 4) start = DetectTextEncoding(first, flags, swapBytes);
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
        const unsigned deepest = DeepestRtfNesting(file);
        if (deepest > kDeepestRtfNesting) {
            qstd::QString message;
            message.Format(L"The RTF nests its groups %u deep; the editor takes at most %u.", deepest,
                           kDeepestRtfNesting);
            throw qstd::QError(message);
        }
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
