#include <sqlite3.h>

#include "core/qerror.h"
#include "store/card_database.h"
#include "store/card_statements.h"
#include "store/cipher/cipher_key.h"
#include "store/cipher/database_key.h"
#include "store/cipher/rekey.h"

using kiln::qstd::QError;
using kiln::qstd::QString;

namespace {

// In KiB: 64 MB.
const char kEncipheredCacheSql[] = "PRAGMA cache_size = -65536";

}  // namespace

bool CardDatabase::applyKey(const QString& password) {
    // An empty password keys nothing: an enciphered file then fails the mark
    // below like a wrong password.
    if (!password.IsEmpty()) {
        const int rc = setDatabaseKey(connection, CipherKey(password));
        if (rc != SQLITE_OK) throw QError(QString(sqlite3_errstr(rc), -1, CP_UTF8), rc);
    }
    try {
        // The first statement to read page 1, and so the test of the key.
        execute(kPasswordMarkSql);
    } catch (const QError& error) {
        if (error.code == SQLITE_NOTADB) throw QError(L"Invalid password!", 0);
        // A damaged file is not to be opened as though the mark alone had failed.
        if (error.code == SQLITE_IOERR_DATA) throw;
        return false;
    }
    // Every page of an enciphered file costs a decipher each time it is read
    // from the disk: the cache may keep far more of them than the engine's
    // default 2 MB, taking memory only as pages are read.
    if (!password.IsEmpty()) execute(kEncipheredCacheSql);
    return true;
}

bool CardDatabase::changeKey(const QString& password, CipherFormat format,
                             const std::function<bool(unsigned permille)>& progress) {
    rekeyDatabase(connection, CipherKey(password, format), systemFileOperations(), progress);
    return true;
}

CipherFormat CardDatabase::keyFormat() const {
    return databaseKey(connection).format();
}
