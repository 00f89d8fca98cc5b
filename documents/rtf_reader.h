#pragma once

#include <cstddef>

#include "documents/rich_document.h"

namespace documents {

// Reads the RTF the editor writes (and RTF from other writers, as far as it
// carries the same things) into paragraphs, formatted runs, lists, links and
// pictures. Never fails: what it does not know it leaves out. Web addresses
// in plain text become links, as the editor shows them.
RichDocument ReadRtf(const unsigned char* bytes, size_t length);

}  // namespace documents
