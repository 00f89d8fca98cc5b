#pragma once

#include "core/qstring.h"

// Whether the file at path is an enciphered card database: a plain SQLite
// file begins with "SQLite" and anything else of six bytes or more is taken
// for enciphered. A file that is missing, shorter or cannot be read counts as
// plain. Files that are open elsewhere, the open database included, are
// still examined.
bool isEncryptedFile(const kiln::qstd::QString& path);
