#include "store/cipher/database_key.h"

#include "store/cipher/authenticated_page.h"
#include "store/cipher/cipher_files.h"

namespace {

bool fileIsEmpty(sqlite3* db) {
    sqlite3_file* file = nullptr;
    sqlite3_int64 size = 0;
    return sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file &&
           file->pMethods && file->pMethods->xFileSize(file, &size) == SQLITE_OK && size == 0;
}

}  // namespace

int setDatabaseKey(sqlite3* db, const CipherKey& key) {
    if (!db) return SQLITE_MISUSE;
    const int rc = sqlite3_file_control(db, "main", kSetKeyControl, const_cast<CipherKey*>(&key));
    if (rc == SQLITE_NOTFOUND) return SQLITE_MISUSE;
    if (rc == SQLITE_OK) {
        // Pages cached under the old key are not to be trusted under the new one.
        sqlite3_db_release_memory(db);
        // A new file in format 2 is made with the bytes it seals pages in kept free.
        if (key.format() == CipherFormat::format2 && fileIsEmpty(db)) {
            int reserve = static_cast<int>(authenticated_page::kReservedBytes);
            sqlite3_file_control(db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
        }
    }
    return rc;
}

CipherKey databaseKey(sqlite3* db) {
    CipherKey key;
    if (!db || sqlite3_file_control(db, "main", kGetKeyControl, &key) != SQLITE_OK) return CipherKey();
    return key;
}

uint32_t damagedPage(sqlite3* db) {
    uint32_t page = 0;
    if (!db || sqlite3_file_control(db, "main", kDamagedPageControl, &page) != SQLITE_OK) return 0;
    return page;
}

bool keyWasVerified(sqlite3* db) {
    int verified = 0;
    return db && sqlite3_file_control(db, "main", kKeyVerifiedControl, &verified) == SQLITE_OK && verified != 0;
}
