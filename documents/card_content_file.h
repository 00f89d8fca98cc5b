#pragma once

#include "core/qbuffer.h"
#include "core/qstring.h"

// A card's two stored forms: the plain text and the RTF.
struct CardContent {
    kiln::qstd::QString txt;
    kiln::qstd::QBuffer rtf;
};

// Makes the content a card gets when the file at path replaces what it holds,
// for every file that needs no editor to become a card: plain text with its
// encoding detected, the text of Office documents (both made into the forms
// the editor would store), and an RTF document stored as it is with the text
// the editor reports for it. False, with content untouched, for a file only
// an editor can read: a ".rtf" file that does not begin as RTF. A picture
// becomes a card holding only it, PNG and JPEG as they are, other kinds as PNG.
// Throws QError with a message for the user when the file's kind is not one
// an editor takes or the file cannot be read; content is then untouched.
bool ReadCardContentWithoutEditor(const kiln::qstd::QString& path, CardContent& content);

// The message for a file of that kind that could not be read into a card.
kiln::qstd::QString CardContentFailureMessage(const kiln::qstd::QString& path);
