#include "store/cipher/database_key.h"

#include "store/cipher/cipher_files.h"

int setDatabaseKey(sqlite3* db, const CipherKey& key) {
    if (!db) return SQLITE_MISUSE;
    const int rc = sqlite3_file_control(db, "main", kSetKeyControl, const_cast<CipherKey*>(&key));
    if (rc == SQLITE_NOTFOUND) return SQLITE_MISUSE;
    if (rc == SQLITE_OK) {
        // Pages cached under the old key are not to be trusted under the new one.
        sqlite3_db_release_memory(db);
    }
    return rc;
}

CipherKey databaseKey(sqlite3* db) {
    CipherKey key;
    if (!db || sqlite3_file_control(db, "main", kGetKeyControl, &key) != SQLITE_OK) return CipherKey();
    return key;
}
