#pragma once

#include "core/qarray.h"
#include "core/qstring.h"
#include "store/card_id.h"

// A mistake in how the program was called: reported with the usage text and
// exit status 2, before any file is touched.
struct UsageError {
    kiln::qstd::QString message;
};

// An option word ("--parent") and whether the next word is its value.
struct OptionSpec {
    const wchar_t* name;
    bool takesValue;
};

// The words given to one command, split into positional words and options.
// Options may stand anywhere among the positional words; a word "--" ends
// the options, so a title may begin with "--".
class ParsedArguments {
public:
    // Raises UsageError for an unknown option, a missing option value, or a
    // number of positional words other than positionalCount.
    ParsedArguments(wchar_t** words, unsigned count, const OptionSpec* options, unsigned optionCount,
                    unsigned positionalCount);

    const wchar_t* positional(unsigned index) const { return positionals[index]; }
    // The option's value ("" for an option without value), or null when absent.
    const wchar_t* option(const wchar_t* name) const;

private:
    struct GivenOption {
        const wchar_t* name;
        const wchar_t* value;
    };

    kiln::qstd::QArray<const wchar_t*> positionals;
    kiln::qstd::QArray<GivenOption> given;
};

// A card id as the user typed it: decimal digits, with a minus sign for the
// negative ids a file may hold, from -9223372036854775808 to
// 9223372036854775807, every id the file can hold.
CardId parseCardId(const wchar_t* word);
