#pragma once

#include <cstddef>

#include "core/qstring.h"

// The words of the welcome page as its HTML resource holds them, so that the
// page drawn without a browser says exactly what the browser's page says.
struct WelcomeWords {
    kiln::qstd::QString title;        // the main column's heading
    kiln::qstd::QString heading;      // the navigation column's heading
    kiln::qstd::QString newDatabase;  // the text of the link to "app:NewDatabase"
    kiln::qstd::QString openDatabase; // the text of the link to "app:OpenDatabase"
    // The main column's paragraphs that hold no link, a blank line apart.
    kiln::qstd::QString description;
};

// Reads the words from the page's UTF-8 HTML. White space runs become one
// space and the character entities the page may use are decoded. False when
// the page lacks a title, a heading or either link.
bool ReadWelcomeWords(const char* html, size_t length, WelcomeWords& words);
