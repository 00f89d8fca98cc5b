#pragma once

#include "core/qbuffer.h"
#include "core/qstring.h"

// A card's two stored forms: the plain text and the RTF.
struct CardContent {
    kiln::qstd::QString txt;
    kiln::qstd::QBuffer rtf;
};

// The content a card gets when the file at path replaces what it holds, read
// the way a file dropped on an editor is read (RTF, the plain-text kinds with
// their encoding detected, pictures as pictures, the text of Office
// documents) by a hidden editor page, and saved as the editor saves a card.
// Plain text is made into both forms directly, as the editor would store it;
// an RTF document is stored as it is, with the text the editor reports for it.
// Throws QError with a message for the user when the file's kind is not one
// an editor takes or the file cannot be read; content is then untouched.
void ReadCardContentFromFile(const kiln::qstd::QString& path, CardContent& content);
