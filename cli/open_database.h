#pragma once

#include "cli/global_options.h"
#include "core/qstring.h"
#include "store/card_database.h"

// Opens the existing card database at path for a command. A missing file, a
// folder, or a file that holds no cards is refused with a message naming the
// path, and nothing is written to it.
void openCardFile(CardDatabase& database, const kiln::qstd::QString& path, const GlobalOptions& options);

// Makes a new, empty card database at path, replacing any file there.
void createCardFile(CardDatabase& database, const kiln::qstd::QString& path);
