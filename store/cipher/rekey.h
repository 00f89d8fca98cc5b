#pragma once

#include <sqlite3.h>

#include <functional>

#include "store/cipher/cipher_key.h"
#include "store/cipher/file_operations.h"

// Re-enciphers the main database of db under newKey; an empty key makes it
// plain, a database that is plain and stays plain is left alone.
//
// All or nothing, in place, under the engine's exclusive lock on the file, so
// that no other connection can read or commit between the first page read
// and the last page written. Every page is first copied, as the file holds
// it, into a rollback journal beside the file (its name with "-journal"
// appended) in the engine's own format, which is flushed to the disk; then
// each page is deciphered under the old key and written back in its place
// under the new one; the file is flushed, and deleting the journal commits.
// A failure, a full disk or the end of the process at any point before that
// leaves a journal that the engine plays back under the old key, and that
// keeps the new key out until then; after it, the file is whole under the new
// key. Connections of other processes still keyed with the old key find the
// file unreadable to them and change nothing. A plain database with pages of
// another size than 4096 bytes is first rebuilt in place with 4096-byte
// pages, the only size an enciphered file has.
//
// The connection stays open and goes on under the new key, or under the old
// one when the rekey failed. It must have no transaction open and no
// statement left unfinalized.
//
// Throws QError with code 1 (SQLITE_ERROR) when the file stays under the old
// key: "Rekey error!" when the database cannot be brought to rest and locked,
// or its key is not the one the connection has; "Rekeying page error!" when a
// page cannot be read or written; "Error commit rekey!" when the journal or
// the file cannot be flushed or the journal cannot be deleted. Where a file
// operation failed, a second line says which and the system's reason (a full
// disk, a folder that takes no new file, a file locked by another program).
//
// The database is the pages its header counts (when the engine takes the
// count); bytes appended after them are no part of it and are cut off. Only when the
// connection cannot take the new key after the commit does it throw with the
// engine's code and a message that says the file is under the new key.
//
// progress, when given, hears how far the rekey is (0 to 1000) each time
// that figure moves; answering false stops it before the commit, and the
// file stays under the old key as after any other failure, with the code
// SQLITE_INTERRUPT and "Rekey cancelled.".
using RekeyProgress = std::function<bool(unsigned permille)>;
void rekeyDatabase(sqlite3*& db, const CipherKey& newKey, FileOperations& files = systemFileOperations(),
                   const RekeyProgress& progress = {});
