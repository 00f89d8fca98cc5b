#include <cstdlib>
#include <cstring>
#include <utility>

#include "store/cipher/cipher_files.h"
#include "store/cipher/cipher_key.h"
#include "store/cipher/key_check.h"

namespace {

constexpr sqlite3_int64 kPage = PageCodec::kPageSize;

// Capabilities that would let SQLite skip the journal or read parts of pages
// straight from the disk; neither works on enciphered pages.
constexpr int kCapabilitiesOfPlainFilesOnly =
    SQLITE_IOCAP_ATOMIC | SQLITE_IOCAP_ATOMIC512 | SQLITE_IOCAP_ATOMIC1K | SQLITE_IOCAP_ATOMIC2K |
    SQLITE_IOCAP_ATOMIC4K | SQLITE_IOCAP_ATOMIC8K | SQLITE_IOCAP_ATOMIC16K | SQLITE_IOCAP_ATOMIC32K |
    SQLITE_IOCAP_ATOMIC64K | SQLITE_IOCAP_BATCH_ATOMIC | SQLITE_IOCAP_SUBPAGE_READ;

}  // namespace

int pageCheckFailure(DatabaseState& state, PageCodec::Check check, uint32_t pageNumber) {
    if (check == PageCodec::Check::wrongKey) return SQLITE_NOTADB;
    state.damagedPage = pageNumber;
    return SQLITE_IOERR_DATA;
}

DatabaseFile::DatabaseFile(sqlite3_file* real, sqlite3_vfs* base, std::shared_ptr<DatabaseState> state)
    : CipherFile(real), base(base), state(std::move(state)) {
    journalName = this->state->name + "-journal";
}

DatabaseFile::~DatabaseFile() {
    releaseDatabaseState(state.get());
}

int DatabaseFile::read(void* buffer, int amount, sqlite3_int64 offset) {
    PageCodec* codec = state->codec.get();
    if (!codec) return CipherFile::read(buffer, amount, offset);

    // Whole pages are deciphered in place; a part of a page (the header read
    // SQLite makes on opening) is cut from a whole deciphered page.
    unsigned char* out = static_cast<unsigned char*>(buffer);
    int result = SQLITE_OK;
    sqlite3_int64 position = offset;
    const sqlite3_int64 end = offset + amount;
    while (position < end) {
        const sqlite3_int64 pageStart = position / kPage * kPage;
        const sqlite3_int64 take = (end < pageStart + kPage ? end : pageStart + kPage) - position;
        const bool wholePage = position == pageStart && take == kPage;
        unsigned char* page = wholePage ? out : codec->pageBuffer;
        const uint32_t pageNumber = static_cast<uint32_t>(pageStart / kPage + 1);
        const int rc = real->pMethods->xRead(real, page, static_cast<int>(kPage), pageStart);
        if (rc == SQLITE_OK) {
            const PageCodec::Check check = codec->decipherPage(page, pageNumber);
            if (check != PageCodec::Check::ok) {
                std::memset(buffer, 0, static_cast<size_t>(amount));
                return pageCheckFailure(*state, check, pageNumber);
            }
            if (!wholePage) std::memcpy(out, page + (position - pageStart), static_cast<size_t>(take));
        } else if (rc == SQLITE_IOERR_SHORT_READ && codec->readKey.format() == CipherFormat::format2 &&
                   partOfPageExists(pageStart)) {
            // Only a whole page carries its seal: a torn one is damaged.
            std::memset(buffer, 0, static_cast<size_t>(amount));
            return pageCheckFailure(*state, PageCodec::Check::damaged, pageNumber);
        } else if (rc == SQLITE_IOERR_SHORT_READ) {
            // Past the end of the file, or a torn last page: no page there.
            std::memset(out, 0, static_cast<size_t>(take));
            result = SQLITE_IOERR_SHORT_READ;
        } else {
            return rc;
        }
        out += take;
        position += take;
    }
    return result;
}

int DatabaseFile::write(const void* buffer, int amount, sqlite3_int64 offset) {
    if (!verified) return SQLITE_IOERR_WRITE;
    PageCodec* codec = state->codec.get();
    if (!codec) return CipherFile::write(buffer, amount, offset);
    if (offset % kPage != 0 || amount % kPage != 0) return SQLITE_IOERR_WRITE;

    const unsigned char* in = static_cast<const unsigned char*>(buffer);
    for (int done = 0; done < amount; done += static_cast<int>(kPage)) {
        const unsigned char* stored = codec->pageToWrite(in + done, static_cast<uint32_t>((offset + done) / kPage + 1));
        if (!stored) return SQLITE_IOERR_WRITE;
        const int rc = real->pMethods->xWrite(real, stored, static_cast<int>(kPage), offset + done);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

int DatabaseFile::truncate(sqlite3_int64 size) {
    if (!verified) return SQLITE_IOERR_TRUNCATE;
    if (state->codec && size % kPage != 0) return SQLITE_IOERR_TRUNCATE;
    return CipherFile::truncate(size);
}

int DatabaseFile::lock(int level) {
    const bool firstShared = level == SQLITE_LOCK_SHARED && lockLevel == SQLITE_LOCK_NONE;
    int rc = CipherFile::lock(level);
    if (rc != SQLITE_OK) return rc;
    if (firstShared) {
        rc = admit();
        if (rc != SQLITE_OK) {
            CipherFile::unlock(SQLITE_LOCK_NONE);
            return rc;
        }
    }
    if (level > lockLevel) lockLevel = level;
    return SQLITE_OK;
}

int DatabaseFile::unlock(int level) {
    const int rc = CipherFile::unlock(level);
    if (rc == SQLITE_OK && level < lockLevel) lockLevel = level;
    return rc;
}

// Runs with the shared lock held, before SQLite looks for a hot journal, so
// no journal is ever replayed into a file whose key has not been checked.
// Once the key has passed, later transactions only need checking while a
// journal is about.
int DatabaseFile::admit() {
    if (verified && !journalExists(base, journalName)) return SQLITE_OK;
    const int rc = checkDatabaseKey(base, real, journalName, state->codec.get(), state->damagedPage);
    verified = rc == SQLITE_OK;
    return rc;
}

bool DatabaseFile::partOfPageExists(sqlite3_int64 pageStart) {
    sqlite3_int64 size = 0;
    return real->pMethods->xFileSize(real, &size) == SQLITE_OK && size > pageStart;
}

int DatabaseFile::setKey(const CipherKey* key) {
    // The key of pages already locked, cached or journalled cannot change.
    if (lockLevel != SQLITE_LOCK_NONE || state->openCompanions != 0) return SQLITE_BUSY;
    if (!key || key->isEmpty()) {
        state->codec.reset();
    } else {
        auto codec = std::make_unique<PageCodec>();
        codec->setReadKey(*key);
        codec->setWriteKey(*key);
        state->codec = std::move(codec);
    }
    verified = false;
    return SQLITE_OK;
}

int DatabaseFile::fileControl(int op, void* argument) {
    switch (op) {
    case kSetKeyControl:
        return setKey(static_cast<const CipherKey*>(argument));
    case kGetKeyControl:
        *static_cast<CipherKey*>(argument) = state->codec ? state->codec->readKey : CipherKey();
        return SQLITE_OK;
    case kDamagedPageControl:
        *static_cast<uint32_t*>(argument) = state->damagedPage;
        return SQLITE_OK;
    case kKeyVerifiedControl:
        *static_cast<int*>(argument) = verified ? 1 : 0;
        return SQLITE_OK;
    case SQLITE_FCNTL_PRAGMA:
        if (state->codec) {
            const int rc = interceptPragma(static_cast<char**>(argument));
            if (rc != SQLITE_NOTFOUND) return rc;
        }
        break;
    default:
        break;
    }
    return CipherFile::fileControl(op, argument);
}

// Statements that would turn an enciphered file into one this layer cannot
// keep enciphered fail with a message instead.
int DatabaseFile::interceptPragma(char** arguments) {
    const char* name = arguments[1];
    const char* value = arguments[2];
    if (!name || !value) return SQLITE_NOTFOUND;
    if (sqlite3_stricmp(name, "page_size") == 0 && std::atoi(value) != kPage) {
        arguments[0] = sqlite3_mprintf("an enciphered database keeps pages of 4096 bytes");
        return SQLITE_ERROR;
    }
    if (sqlite3_stricmp(name, "journal_mode") == 0 && sqlite3_stricmp(value, "wal") == 0) {
        arguments[0] = sqlite3_mprintf("an enciphered database cannot use write-ahead logging");
        return SQLITE_ERROR;
    }
    return SQLITE_NOTFOUND;
}

int DatabaseFile::deviceCharacteristics() {
    const int capabilities = CipherFile::deviceCharacteristics();
    return state->codec ? capabilities & ~kCapabilitiesOfPlainFilesOnly : capabilities;
}
