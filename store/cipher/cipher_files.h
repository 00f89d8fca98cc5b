#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "store/cipher/page_codec.h"

// Internals of the enciphering file layer, shared by its source files.

// Opcodes of sqlite3_file_control understood by the layer's database files.
// SQLite's own opcodes are small numbers; these cannot collide with them.
enum CipherFileControl : int {
    kSetKeyControl = 0x564B0001,  // argument: const CipherKey*, null or empty for plain
    kGetKeyControl = 0x564B0002,  // argument: CipherKey*, receives the key
    kDamagedPageControl = 0x564B0003,  // argument: uint32_t*, receives the page that failed its check last
    kKeyVerifiedControl = 0x564B0004,  // argument: int*, receives whether the key has read the file
};

// What a database file shares with the journal and write-ahead log files that
// SQLite opens for it.
struct DatabaseState {
    // The name SQLite opened the database under; SQLite names its journal and
    // log from the same block of memory, which is how they find this state.
    const char* namePointer = nullptr;
    std::string name;
    // Null while the file is plain.
    std::unique_ptr<PageCodec> codec;
    // Journals and logs now open for this database; the key cannot change under them.
    int openCompanions = 0;
    // The last page of the file, or of its journal, that failed its check.
    uint32_t damagedPage = 0;
};

// The result of reading a page that the codec found not ok.
int pageCheckFailure(DatabaseState& state, PageCodec::Check check, uint32_t pageNumber);

// Called when a database file closes: its journals and logs can no longer find it.
void releaseDatabaseState(const DatabaseState* state);

// One open file of the layer. The base class passes everything through to the
// file of the underlying file system.
class CipherFile {
public:
    explicit CipherFile(sqlite3_file* real) : real(real) {}
    CipherFile(const CipherFile&) = delete;
    CipherFile& operator=(const CipherFile&) = delete;
    virtual ~CipherFile() = default;

    virtual int close();
    virtual int read(void* buffer, int amount, sqlite3_int64 offset);
    virtual int write(const void* buffer, int amount, sqlite3_int64 offset);
    virtual int truncate(sqlite3_int64 size);
    virtual int sync(int flags);
    virtual int fileSize(sqlite3_int64* size);
    virtual int lock(int level);
    virtual int unlock(int level);
    virtual int checkReservedLock(int* reserved);
    virtual int fileControl(int op, void* argument);
    virtual int sectorSize();
    virtual int deviceCharacteristics();
    int shmMap(int region, int regionSize, int extend, void volatile** mapped);
    int shmLock(int offset, int n, int flags);
    void shmBarrier();
    int shmUnmap(int deleteFlag);

protected:
    sqlite3_file* real;
};

// The main database file: deciphers and enciphers 4096-byte pages while a key
// is set, and admits SQLite only once page 1 reads as a database.
class DatabaseFile : public CipherFile {
public:
    DatabaseFile(sqlite3_file* real, sqlite3_vfs* base, std::shared_ptr<DatabaseState> state);
    ~DatabaseFile() override;

    int read(void* buffer, int amount, sqlite3_int64 offset) override;
    int write(const void* buffer, int amount, sqlite3_int64 offset) override;
    int truncate(sqlite3_int64 size) override;
    int lock(int level) override;
    int unlock(int level) override;
    int fileControl(int op, void* argument) override;
    int deviceCharacteristics() override;

private:
    int admit();
    bool partOfPageExists(sqlite3_int64 pageStart);
    int setKey(const CipherKey* key);
    int interceptPragma(char** arguments);

    sqlite3_vfs* base;
    std::shared_ptr<DatabaseState> state;
    std::string journalName;
    int lockLevel = SQLITE_LOCK_NONE;
    bool verified = false;
};

// The rollback journal: page images travel enciphered under the database's
// key; its headers, page numbers and checksums are SQLite's and pass as they are.
class JournalFile : public CipherFile {
public:
    JournalFile(sqlite3_file* real, std::shared_ptr<DatabaseState> state);
    ~JournalFile() override;

    int read(void* buffer, int amount, sqlite3_int64 offset) override;
    int write(const void* buffer, int amount, sqlite3_int64 offset) override;

private:
    // The page number of the record whose image is at imageOffset: SQLite
    // writes and reads it just before the image, so it is usually known.
    bool recordPageNumber(sqlite3_int64 imageOffset, uint32_t& pageNumber);
    void noteNumber(const void* buffer, int amount, sqlite3_int64 offset);

    std::shared_ptr<DatabaseState> state;
    sqlite3_int64 numberOffset = -1;
    uint32_t number = 0;
};

// A write-ahead log of a plain database: passed through, but it still holds
// its database's key steady while open.
class LogFile : public CipherFile {
public:
    LogFile(sqlite3_file* real, std::shared_ptr<DatabaseState> state);
    ~LogFile() override;

private:
    std::shared_ptr<DatabaseState> state;
};
