#include "cli/arguments.h"

#include <cwchar>

using kiln::qstd::QString;

namespace {

bool isOptionWord(const wchar_t* word) {
    return word[0] == L'-' && word[1] == L'-';
}

const OptionSpec* findOption(const wchar_t* word, const OptionSpec* options, unsigned optionCount) {
    for (unsigned i = 0; i < optionCount; ++i) {
        if (std::wcscmp(options[i].name, word) == 0) return &options[i];
    }
    return nullptr;
}

}  // namespace

ParsedArguments::ParsedArguments(wchar_t** words, unsigned count, const OptionSpec* options,
                                 unsigned optionCount, unsigned positionalCount) {
    bool optionsEnded = false;
    for (unsigned i = 0; i < count; ++i) {
        const wchar_t* word = words[i];
        if (optionsEnded || !isOptionWord(word)) {
            positionals.Add(word);
            continue;
        }
        if (word[2] == 0) {
            optionsEnded = true;
            continue;
        }
        const OptionSpec* spec = findOption(word, options, optionCount);
        if (!spec) throw UsageError{QString(L"Unknown option: ") + word};
        const wchar_t* value = L"";
        if (spec->takesValue) {
            if (i + 1 == count) throw UsageError{QString(L"The option ") + word + L" needs a value."};
            value = words[++i];
        }
        if (option(spec->name)) throw UsageError{QString(L"The option ") + word + L" is given twice."};
        given.Add(GivenOption{spec->name, value});
    }
    if (positionals.GetCount() != positionalCount) throw UsageError{L"Wrong number of arguments."};
}

const wchar_t* ParsedArguments::option(const wchar_t* name) const {
    for (unsigned i = 0; i < given.GetCount(); ++i) {
        if (std::wcscmp(given[i].name, name) == 0) return given[i].value;
    }
    return nullptr;
}

CardId parseCardId(const wchar_t* word) {
    // The file's ids are signed 64-bit integers, negative ones included.
    const bool negative = word[0] == L'-';
    const unsigned long long largest = negative ? 0x8000000000000000ULL : 0x7FFFFFFFFFFFFFFFULL;
    unsigned long long value = 0;
    const wchar_t* digits = negative ? word + 1 : word;
    const wchar_t* c = digits;
    for (; *c >= L'0' && *c <= L'9'; ++c) {
        const unsigned digit = static_cast<unsigned>(*c - L'0');
        if (value > (largest - digit) / 10) throw UsageError{QString(L"Not a card id: ") + word};
        value = value * 10 + digit;
    }
    if (c == digits || *c != 0) throw UsageError{QString(L"Not a card id: ") + word};
    return negative ? static_cast<CardId>(0ULL - value) : static_cast<CardId>(value);
}
