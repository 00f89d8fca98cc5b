#pragma once

#include "core/qstring.h"

// Options that stand before the command name and apply to whatever command
// follows.
struct GlobalOptions {
    bool help = false;
    // The password of an enciphered database comes as the first line of
    // standard input; it never stands on the command line.
    bool passwordFromStdin = false;
    kiln::qstd::QString password;
    // Commands that remove or rewrite much go on even when no backup can be made first.
    bool noBackup = false;
};

// Applies the option word to options; false when the word names no global
// option.
bool applyGlobalOption(const wchar_t* word, GlobalOptions& options);
