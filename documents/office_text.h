#pragma once

#include "core/qstring.h"

// The plain text of a Word, Excel or PowerPoint file (an Office Open XML
// package), told by its main part whatever the file's extension says: a
// document's paragraphs and table rows, a workbook's sheets or a
// presentation's slides and notes, as office_kinds_text.h sets out.
//
// True with the text on success; a package holding none of the three kinds
// gives empty text and true. False, with empty text, when the file cannot be
// opened, is not a ZIP archive that can be read, lacks a part its main part
// names, holds a damaged or empty part, or the XML parser fails or finds a
// part unreadable. Throws QError when a part or the text is beyond what a
// card can take, so the reason reaches the user.
bool ExtractOfficeText(const kiln::qstd::QString& path, kiln::qstd::QString& text);
