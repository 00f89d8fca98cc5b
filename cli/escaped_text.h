#pragma once

#include "core/qstring.h"

// A title as one line of output that cannot move the cursor, end the line or
// speak to the terminal: line breaks and tabs become \n, \r and \t, every
// other control character (C0, DEL, C1, and the Unicode line and paragraph
// separators) \xHH or \uHHHH, and a backslash is doubled so that the escapes
// read back unambiguously. Text without any of them comes back unchanged.
kiln::qstd::QString escapeControlCharacters(const kiln::qstd::QString& text);
