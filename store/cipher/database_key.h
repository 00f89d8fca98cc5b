#pragma once

#include <sqlite3.h>

#include <cstdint>

#include "store/cipher/cipher_key.h"

// Sets the key that the main database of db is enciphered under; an empty key
// makes it plain. An existing file is read in the format it is in, whichever
// format the key was made for; a new, empty file is written in the key's
// format. Nothing is read here: a wrong key shows at the first statement,
// which fails with SQLITE_NOTADB and leaves the file untouched.
// SQLITE_BUSY while a transaction is open; SQLITE_MISUSE when the connection
// does not use the enciphering file layer.
int setDatabaseKey(sqlite3* db, const CipherKey& key);

// The key the main database of db is enciphered under; empty when plain or
// when the connection does not use the enciphering file layer. Its format is
// the file's once the connection has read the file.
CipherKey databaseKey(sqlite3* db);

// The page of the main database of db (or of its journal) that failed its
// check last, for a statement that failed with SQLITE_IOERR_DATA; 0 for none.
uint32_t damagedPage(sqlite3* db);

// Whether the connection's key (or none, for a plain file) has read the main
// database: a statement that then fails with SQLITE_NOTADB met a file that
// another program gave another key (or replaced) since.
bool keyWasVerified(sqlite3* db);
