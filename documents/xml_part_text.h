#pragma once

#include <objidl.h>

#include <cstdint>

#include "core/qstring.h"

// The text of one XML part of an Office package: the content of text nodes,
// each whitespace-only node followed by a line feed, and a line feed at the
// end of every element named "p" in any namespace (paragraphs of word
// processing and of drawing text alike).
//
// False when the parser cannot be created, finds the part not well-formed
// (or nested deeper than it goes, or holding a document type declaration), or
// refuses to give a node's prefix, name or value. Throws QError when the text
// grows beyond kLongestOfficeText characters.
const unsigned kLongestOfficeText = 32000000;

bool XmlPartToText(const unsigned char* bytes, unsigned length, kiln::qstd::QString& text);

// The same for a part read from a stream as the parser pulls it; length is
// the part's size, which bounds the nodes it can hold.
bool XmlStreamToText(IStream* input, uint64_t length, kiln::qstd::QString& text);
