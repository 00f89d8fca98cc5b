#pragma once

#include "cli/global_options.h"
#include "core/qstring.h"
#include "store/card_database.h"

// Opens the existing card database at path for a command. A missing file, a
// folder, or a file that holds no cards is refused with a message naming the
// path, and nothing is written to it.
// An enciphered one is keyed with the password of --password-stdin; a wrong
// or missing password is refused with "Invalid password!", and the file is
// not written to.
void openCardFile(CardDatabase& database, const kiln::qstd::QString& path, const GlobalOptions& options);
void openCardFileWithPassword(CardDatabase& database, const kiln::qstd::QString& path,
                              const kiln::qstd::QString& password);

// Makes a new, empty card database at path, replacing any file there.
void createCardFile(CardDatabase& database, const kiln::qstd::QString& path);
