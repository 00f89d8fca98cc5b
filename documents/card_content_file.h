#pragma once

#include "core/qbuffer.h"
#include "core/qstring.h"

// A card's two stored forms: the plain text and the RTF, and what the user
// should know about how they were made from a file (empty for nothing).
struct CardContent {
    kiln::qstd::QString txt;
    kiln::qstd::QBuffer rtf;
    kiln::qstd::QString notice;
};

// The most a card's text and RTF may take together: the storage engine's
// limit on a string or blob, which bounds a whole row as well.
constexpr unsigned long long kLargestCardContent = 1000000000;

// Makes the content a card gets when the file at path replaces what it holds,
// for every file that needs no editor to become a card: plain text with its
// encoding detected, the text of Office documents (both made into the forms
// the editor would store), and an RTF document stored as it is with the text
// the editor reports for it. False, with content untouched, for a file only
// an editor can read: a ".rtf" file that does not begin as RTF. A picture
// becomes a card holding only it, PNG and JPEG as they are, other kinds as PNG.
// Throws QError with a message for the user when the file's kind is not one
// an editor takes or the file cannot be read; content is then untouched. A
// device or a pipe, whose bytes may never end, and a file whose card could
// not be stored are refused before anything is read. A text file's text ends
// at its first NUL character, as a card's text does: the rest is left out and
// content.notice says so.
bool ReadCardContentWithoutEditor(const kiln::qstd::QString& path, CardContent& content);

// The message for a file of that kind that could not be read into a card.
kiln::qstd::QString CardContentFailureMessage(const kiln::qstd::QString& path);
