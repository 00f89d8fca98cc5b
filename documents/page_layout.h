#pragma once

#include <windows.h>
#include <richedit.h>

namespace documents {

// Lays out one page of a rich edit control's text the way EM_FORMATRANGE
// does, for a control that cannot (Wine's answers that message with 0 and
// prints nothing): from range.chrg.cpMin, into range.rc (twips) on
// range.hdc, with the face, size, weight, slant, underline, strike-through
// and colour of every character and the alignment of every paragraph;
// pictures are left out. Draws only when render is true. Returns the first
// character that did not fit (range.chrg.cpMin when not even one line did).
// The control's selection is used to read the formats and put back after.
LONG FormatPage(HWND control, const FORMATRANGE& range, bool render);

}  // namespace documents
