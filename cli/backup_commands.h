#pragma once

#include "cli/commands.h"
#include "core/qstring.h"
#include "store/card_database.h"

// A backup of the open database as it stands, before a command that removes
// or rewrites much. A backup that fails refuses the command, unless
// --no-backup was given.
void backUpBeforeChange(const Invocation& invocation, CardDatabase& database, const kiln::qstd::QString& path);

void runBackup(const Invocation& invocation);
void runBackups(const Invocation& invocation);
void runRestore(const Invocation& invocation);
