#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

class PageCodec;

// Whether a database file reads as an SQLite database under codec's read key
// (null: as a plain file), before SQLite is let in. An empty file is a new
// database under any key (the engine plays no journal into it); a format 2
// key is then bound to a new salt. Otherwise the key is first bound to the
// format and salt of what page 1 is going to be: the image of page 1 in a
// hot journal when there is one (a rekey's journal holds the file as it was,
// in its old format), else page 1 of the file.
//
// A hot journal is then judged, as SQLite would replay it: if it holds an
// image of page 1 that passes its checksum under the key, that image decides
// (it is what page 1 becomes, also when the crash tore page 1 itself). If its
// first record fails its checksum under the key, SQLite would play nothing
// back, and the journal is ignored as SQLite ignores it, unless it is the
// journal of an unfinished rekey (it belongs to another key, which the file
// is to go back to) or its header would have SQLite cut the file short: then
// the answer is no. Otherwise page 1 of the file decides.
//
// Returns SQLITE_OK when the key reads the file; SQLITE_NOTADB when it does
// not (a wrong key or no database); SQLITE_IOERR_DATA when the key is right
// but a format 2 file is damaged, with the first page that failed its check
// (or is missing from a file cut short) in damagedPage.
int checkDatabaseKey(sqlite3_vfs* base, sqlite3_file* database, const std::string& journalName, PageCodec* codec,
                     uint32_t& damagedPage);

bool journalExists(sqlite3_vfs* base, const std::string& journalName);

// The first length bytes of page 1 as the journal beside a database stores
// it, when the journal is one the engine would walk and holds an image of
// page 1: what page 1 of the file is again once the journal is played back.
// False otherwise.
bool readJournalPageOne(sqlite3_vfs* base, const std::string& journalName, unsigned char* start, uint32_t length);
