#pragma once

#include "core/qstring.h"
#include "documents/card_content_file.h"

// The content a card gets when the file at path replaces what it holds, read
// the way a file dropped on an editor is read (RTF, the plain-text kinds with
// their encoding detected, pictures as pictures, the text of Office
// documents), and saved as the editor saves a card. Only what needs an editor
// (a ".rtf" file that is not RTF) is read by a hidden editor page.
// Throws QError with a message for the user when the file's kind is not one
// an editor takes or the file cannot be read; content is then untouched.
void ReadCardContentFromFile(const kiln::qstd::QString& path, CardContent& content);
