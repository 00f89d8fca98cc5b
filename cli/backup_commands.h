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
// A backup made under another password than the file's has that password
// read from standard input, after the file's own.
extern const OptionSpec kRestoreOptions[1];
void runRestore(const Invocation& invocation);
