#pragma once

#include <sqlite3.h>

#include <string>

class PageCodec;

// Whether a database file reads as an SQLite database under codec's read key
// (null: as a plain file), before SQLite is let in. A hot journal is judged
// first, as SQLite would replay it: if its first page image fails its
// checksum under the key, the journal was not written under this key and
// replaying it would write garbage, so the answer is no; if it holds an image
// of page 1, that image decides (it is what page 1 becomes, also when the
// crash tore page 1 itself). Otherwise page 1 of the file decides, and an
// empty file is a new database under any key.
bool databaseReadsUnder(sqlite3_vfs* base, sqlite3_file* database, const std::string& journalName, PageCodec* codec);

bool journalExists(sqlite3_vfs* base, const std::string& journalName);
