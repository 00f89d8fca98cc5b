#pragma once

#include <cstddef>
#include <string>

#include "core/qstring.h"

// The search text as the engine's LIKE compares it with an escaped pattern:
// byte by byte in UTF-8, ASCII letters without regard to case, every other
// character exactly (a byte of a multi-byte character is never an ASCII
// letter, so folding bytes folds nothing else). Like LIKE, a value ends at
// its first NUL, and a missing (NULL) value matches nothing.
class LiteralPattern {
public:
    explicit LiteralPattern(const kiln::qstd::QString& text);

    // Whether the value of size bytes begins with the text.
    bool IsPrefixOf(const unsigned char* value, size_t size) const;
    // Whether the value of size bytes holds the text anywhere.
    bool IsFoundIn(const unsigned char* value, size_t size) const;

private:
    bool matchesAt(const unsigned char* value) const;
    bool endsBeforeNul(const unsigned char* value, size_t end) const;

    // Lower case for ASCII letters, every other byte as it is.
    std::string folded;
    // The first and the last byte of the text as a byte of a value is
    // compared with them: (byte | mask) == wanted. A letter's mask is the
    // case bit, so both cases of it and nothing else compare equal; any
    // other byte's mask is 0.
    unsigned char firstMask = 0, firstWanted = 0;
    unsigned char lastMask = 0, lastWanted = 0;
};
