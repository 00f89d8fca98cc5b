#pragma once

#include <objidl.h>

// A stream over an XML part that hands the parser each character reference
// to a character beyond the basic plane (&#x1F600; or &#128512;) as the
// character itself, written in the part's own encoding (UTF-8, or UTF-16 of
// either byte order), so that it arrives as the two UTF-16 units it takes.
// A parser that keeps only 16 bits of a reference (Wine's does) would turn
// it into another character. References inside comments, CDATA sections and
// processing instructions are text there and stay as they are, and so does
// every part in another encoding. Holds a reference to source.
IStream* CreateCharacterReferenceStream(IStream* source);
