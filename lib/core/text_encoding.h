#pragma once

#include <cstddef>

namespace kiln {
namespace qstd {

// How the bytes of a plain-text file are to be read.
enum class TextEncoding { CodePage, Utf8, Utf16LittleEndian, Utf16BigEndian };

struct TextStart {
    TextEncoding encoding;
    // The byte-order mark's length, where there is one.
    unsigned markLength;
};

// What the first four bytes of a file say about its encoding; fewer than four
// bytes say nothing (the ANSI code page). Bytes that say nothing may still
// be UTF-8: Utf8Check decides that from the whole file.
TextStart DetectTextStart(const unsigned char* first, size_t count);

// Whether bytes fed in pieces of any size are UTF-8 that an 8-bit code page
// would read differently: valid throughout (no stray continuation bytes,
// overlong forms, surrogates or code points beyond U+10FFFF), with at least
// one character beyond ASCII.
class Utf8Check {
public:
    // False as soon as the bytes cannot be UTF-8.
    bool Feed(const unsigned char* bytes, size_t count);
    bool IsUtf8BeyondAscii() const { return valid && pending == 0 && beyondAscii; }

private:
    bool valid = true;
    bool beyondAscii = false;
    // Continuation bytes still owed by the sequence in progress, and the
    // range the next one must fall in.
    unsigned pending = 0;
    unsigned char low = 0x80, high = 0xBF;
};

}  // namespace qstd
}  // namespace kiln
