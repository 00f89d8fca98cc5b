#pragma once

#include "cli/global_options.h"
#include "core/qstring.h"
#include "store/card_database.h"

// Opens the existing card database at path for a command. A missing file, a
// folder, or a file that holds no cards is refused with a message naming the
// path, and nothing is written to it.
// An enciphered one is keyed with the password of --password-stdin. A file
// that no password opens, or not the one given, is refused as "not a card
// database, or the password is wrong" (code 0): from the outside a damaged or
// foreign file cannot be told from a wrong password. The file is not written to.
void openCardFile(CardDatabase& database, const kiln::qstd::QString& path, const GlobalOptions& options);
void openCardFileWithPassword(CardDatabase& database, const kiln::qstd::QString& path,
                              const kiln::qstd::QString& password);

// Refuses a file marked read-only before a command that changes it starts:
// the mark is the user's, even where the system would let the write through.
void requireWritableFile(const kiln::qstd::QString& path);

// Makes a new, empty card database at path. A file already there is refused,
// unless replace is given; a folder always is.
void createCardFile(CardDatabase& database, const kiln::qstd::QString& path, bool replace);
