#pragma once

#include "core/qstring.h"

// The plain text of a Word, Excel or PowerPoint file (an Office Open XML
// package): the main document, else the first worksheet of a workbook, else
// the first slide of a presentation, whatever the file's extension says.
// Paragraphs end with a line feed; worksheet cells run together.
//
// True with the text on success; a package holding none of the three kinds
// gives empty text and true. False, with empty text, when the file cannot be
// opened, is not a ZIP archive that can be read, lacks the sheet or slide its
// kind promises, holds a damaged or empty (0 bytes) main part, or the XML
// parser fails or finds the part unreadable. Throws QError when the part or its text is beyond
// what a card can take, so the reason reaches the user.
bool ExtractOfficeText(const kiln::qstd::QString& path, kiln::qstd::QString& text);
