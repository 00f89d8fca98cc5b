#pragma once

// Options that stand before the command name and apply to whatever command
// follows.
struct GlobalOptions {
    bool help = false;
};

// Applies the option word to options; false when the word names no global
// option.
bool applyGlobalOption(const wchar_t* word, GlobalOptions& options);
