#pragma once

#include "documents/xml_part_text.h"

// The text of word processing and drawing markup (a Word document's body, a
// slide, a notes page): each paragraph a line; each table row a line with its
// cells separated by tabs (the paragraphs of one cell by spaces); a tab or a
// break inside a run as a tab or a line feed. Only text elements ("t") give
// text, so whitespace between elements, field codes and deleted text add
// nothing, while whitespace inside text is kept.
struct ParagraphTextOptions {
    // Word keeps empty paragraphs as empty lines: they space its text. On a
    // slide they are the leftovers of empty placeholders.
    bool keepEmptyParagraphs = true;
    // A notes page also holds the slide's picture and number: only the
    // shapes of its body placeholder are its notes.
    bool bodyPlaceholdersOnly = false;
};

// False when the part cannot be read (the walker's faults).
bool GatherParagraphText(XmlPartWalker& walker, const ParagraphTextOptions& options, TextGatherer& text);
