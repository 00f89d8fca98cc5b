#pragma once

#include <sqlite3.h>

#include "store/cipher/cipher_key.h"
#include "store/cipher/file_operations.h"

// Re-enciphers the main database of db under newKey; an empty key makes it
// plain, a database that is plain and stays plain is left alone.
//
// All or nothing: the database is written page by page, deciphered under its
// old key and enciphered under the new one, into a new file beside it
// (its name with "-rekey" appended), which is flushed to the disk, checked to
// open under the new key, and then put in the place of the old file in one
// rename. A failure, a full disk or the end of the process at any point
// before the rename leaves the old file as it was; after it, the new one is
// whole. A plain database with pages of another size than 4096 bytes is first
// rebuilt with 4096-byte pages, the only size an enciphered file has.
//
// The connection is closed for the rename (Windows replaces no open file)
// and reopened, with the same file system and busy timeout, under the new key,
// or under the old one when anything failed. It must have no transaction
// open and no statement left unfinalized.
//
// Throws QError with code 1 (SQLITE_ERROR): "Rekey error!" when the database
// cannot be brought to rest and to itself, "Rekeying page error!" when a page
// cannot be read or written, "Error commit rekey!" when the new file cannot be
// flushed, checked or put in place.
void rekeyDatabase(sqlite3*& db, const CipherKey& newKey, FileOperations& files = systemFileOperations());
