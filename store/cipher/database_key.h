#pragma once

#include <sqlite3.h>

#include "store/cipher/cipher_key.h"

// Sets the key that the main database of db is enciphered under; an empty key
// makes it plain. Nothing is read here: a wrong key shows at the first
// statement, which fails with SQLITE_NOTADB and leaves the file untouched.
// SQLITE_BUSY while a transaction is open; SQLITE_MISUSE when the connection
// does not use the enciphering file layer.
int setDatabaseKey(sqlite3* db, const CipherKey& key);

// The key the main database of db is enciphered under; empty when plain or
// when the connection does not use the enciphering file layer.
CipherKey databaseKey(sqlite3* db);
