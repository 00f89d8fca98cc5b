#pragma once

#include <cstddef>

#include "core/qstring.h"

// The plain text the editor reports for a page holding an RTF document:
// paragraphs, page and section breaks end in CR LF (but for the document's
// last paragraph mark, the page's own), a line break
// is a space, table cells end in a tab and rows in CR LF after a CR LF that
// opens them; the text of font, colour and style tables, document
// information, pictures, objects, headers, footers, footnotes, list numbers,
// index and bookmark entries, field instructions and any ignorable
// destination is left out; bytes are decoded in the code page of their font.
// Unlike the editor under some systems, a field's result is kept: it is the
// text the document shows. One pass over the bytes, without recursion, so
// any nesting and any length take no more than the text itself.
//
// True for a document that begins as RTF does ("{\rtf", or "{\urtf"); false,
// with text empty, for anything else.
bool RtfPlainText(const unsigned char* bytes, size_t length, kiln::qstd::QString& text);
