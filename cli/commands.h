#pragma once

#include "cli/arguments.h"
#include "cli/console_input.h"
#include "cli/console_output.h"
#include "cli/global_options.h"

// What a command gets to work with.
struct Invocation {
    const GlobalOptions& options;
    const ParsedArguments& arguments;
    ConsoleInput& in;
    ConsoleOutput& out;
    // For what a command that succeeds wants the user to know.
    ConsoleOutput& err;
};

struct Command {
    const wchar_t* name;
    // The words after the name, as the usage text shows them.
    const wchar_t* synopsis;
    const wchar_t* summary;
    unsigned positionalCount;
    const OptionSpec* options;
    unsigned optionCount;
    void (*run)(const Invocation& invocation);
};

// The command of that name, or null.
const Command* findCommand(const wchar_t* name);
// Every command, for the usage text.
const Command* commandsBegin();
const Command* commandsEnd();
