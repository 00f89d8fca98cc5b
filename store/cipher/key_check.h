#pragma once

#include <sqlite3.h>

#include <string>

class PageCodec;

// Whether a database file reads as an SQLite database under codec's read key
// (null: as a plain file), before SQLite is let in. An empty file is a new
// database under any key (the engine plays no journal into it). Otherwise a
// hot journal is judged first, as SQLite would replay it: if it holds an
// image of page 1 that passes its checksum under the key, that image decides
// (it is what page 1 becomes, also when the crash tore page 1 itself). If its
// first record fails its checksum under the key, SQLite would play nothing
// back, and the journal is ignored as SQLite ignores it, unless it is the
// journal of an unfinished rekey (it belongs to another key, which the file
// is to go back to) or its header would have SQLite cut the file short: then
// the answer is no. Otherwise page 1 of the file decides.
bool databaseReadsUnder(sqlite3_vfs* base, sqlite3_file* database, const std::string& journalName, PageCodec* codec);

bool journalExists(sqlite3_vfs* base, const std::string& journalName);
