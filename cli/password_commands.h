#pragma once

#include "cli/commands.h"

// password set|change|remove DB: the passwords are read from standard input,
// one a line, and never stand on the command line.
void runPassword(const Invocation& invocation);
