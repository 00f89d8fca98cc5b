#pragma once

#include "core/qstring.h"
#include "store/cipher/cipher_key.h"

// Whether the file at path is an enciphered card database: a plain SQLite
// file begins with "SQLite" and anything else of six bytes or more is taken
// for enciphered. A file that is missing, shorter or cannot be read counts as
// plain. Files that are open elsewhere, the open database included, are
// still examined. A file with a journal beside it that the storage engine
// plays back on the next open is what page 1 in that journal says (a
// password change cut short leaves page 1 of the file already in the new
// form).
bool isEncryptedFile(const kiln::qstd::QString& path);

// The format of the file at path, told by its first bytes before any key is
// known: format 2 files begin with their mark, any other enciphered file is
// taken for format 1. Plain as isEncryptedFile counts plain.
CipherFormat fileCipherFormat(const kiln::qstd::QString& path);

// Whether the file at path can hold a card database, as far as its first
// bytes tell without a password: a plain file has a valid SQLite header (a
// page size the engine has, the fixed fields as the engine writes them); an
// enciphered one begins with the mark of format 2 (a file of that format cut
// short is damaged, and the password tells where), or consists of whole
// 4096-byte pages that do not begin with zeros. Format 1 cannot be told from
// random bytes of such a length without its password.
bool mayBeCardDatabase(const kiln::qstd::QString& path);

// The page size of the file at path in the given format: an enciphered file
// has 4096-byte pages in either format; a plain one says in its header (0
// when it cannot be read).
uint32_t filePageSize(const kiln::qstd::QString& path, CipherFormat format);
