#pragma once

#include "core/qstring.h"

// The text of one XML part of an Office package: the content of text nodes,
// each whitespace-only node followed by a line feed, and a line feed at the
// end of every element named "p" in any namespace (paragraphs of word
// processing and of drawing text alike).
//
// A part that is not well-formed yields the text before the fault, and true.
// False when the parser cannot be created or refuses to give a node's prefix,
// name or value.
bool XmlPartToText(const unsigned char* bytes, unsigned length, kiln::qstd::QString& text);
