#pragma once

#include "cli/console_input.h"
#include "cli/console_output.h"

// Exit statuses of the companion.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Runs one command line (the words after the program's name): global
// options, then a command name, then the command's own words.
int runCompanion(wchar_t** words, unsigned count, ConsoleInput& in, ConsoleOutput& out, ConsoleOutput& err);
