#pragma once

#include "cli/commands.h"

// password set|change|remove DB: the passwords are read from standard input,
// one a line, and never stand on the command line.
void runPassword(const Invocation& invocation);

// info DB: the file's format (plain, format 1, format 2) and page size, told
// without a password.
void runInfo(const Invocation& invocation);
