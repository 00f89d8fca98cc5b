// Files in, RTF out: the control's stream interface.

#include <new>

#include "window/qrichedit.h"

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
    // one is never swapped.
    swapBytes = false;
    LONGLONG start = 0;
    if ((flags & SF_RTF) == 0) {
        const LONGLONG size = file.GetSize();
        if (size == 0) return true;
        if (size >= 4) {
            unsigned char first[4] = {};
            if (file.Read(first, 4) == 4) start = DetectTextEncoding(first, flags, swapBytes);
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
    DWORD read = 0;
    if (!ReadFile(self->streamedFile->GetHandle(), buffer, static_cast<DWORD>(wanted), &read, nullptr)) {
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
    *done = static_cast<LONG>(read);
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
