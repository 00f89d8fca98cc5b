#pragma once

#include "core/qbuffer.h"
#include "documents/rich_document.h"

namespace documents {

// The Word document (a WordprocessingML package, zipped) of the content:
// paragraphs with their alignment, runs with bold, italic, underline,
// strike-through, face, size and colour, bulleted and numbered lists,
// links and pictures. Raises QError when it would not fit a ZIP archive
// without 64-bit extensions.
kiln::qstd::QBuffer BuildDocx(const RichDocument& document);

}  // namespace documents
