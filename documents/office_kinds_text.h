#pragma once

#include "documents/office_package.h"
#include "documents/xml_part_text.h"

// The text of each kind of package, from its main part on. False when a
// part the text needs is missing or cannot be read.

// Word: the main document's paragraphs and tables.
bool GatherWordText(OfficePackage& package, TextGatherer& text);

// Excel: every worksheet in the workbook's order, each introduced by its
// name on a line and followed by an empty line before the next; each row a
// line (rows missing between them as empty lines), its cells separated by
// tabs (a missing cell keeps its column); shared and inline strings
// resolved, numbers and booleans as stored, a formula's cached value.
bool GatherWorkbookText(OfficePackage& package, TextGatherer& text);

// PowerPoint: every slide in the presentation's order, its paragraphs as
// lines, then its speaker notes after a line "Notes:"; an empty line
// between slides.
bool GatherPresentationText(OfficePackage& package, TextGatherer& text);
