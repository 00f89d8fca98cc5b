#include <utility>

#include "store/cipher/cipher_files.h"

namespace {

// A journal record is a 4-byte page number, the page image and a 4-byte
// checksum, and records follow headers that start on sector boundaries (a
// multiple of 8). So page images, and only they and the checksums, start 4
// bytes past a multiple of 8.
bool isPageImageOffset(sqlite3_int64 offset) {
    return offset % 8 == 4;
}

// A write of a whole page of another size where page images go: an
// enciphered database is never journalled in such pages, and letting one
// through would put a plain page on disk.
bool looksLikeForeignPage(int amount) {
    return amount >= 512 && amount <= 65536 && (amount & (amount - 1)) == 0;
}

}  // namespace

JournalFile::JournalFile(sqlite3_file* real, std::shared_ptr<DatabaseState> state)
    : CipherFile(real), state(std::move(state)) {
    ++this->state->openCompanions;
}

JournalFile::~JournalFile() {
    --state->openCompanions;
}

int JournalFile::read(void* buffer, int amount, sqlite3_int64 offset) {
    const int rc = CipherFile::read(buffer, amount, offset);
    PageCodec* codec = state->codec.get();
    if (rc == SQLITE_OK && codec && amount == static_cast<int>(codec->pageSize) && isPageImageOffset(offset)) {
        codec->decipherPage(static_cast<unsigned char*>(buffer));
    }
    return rc;
}

int JournalFile::write(const void* buffer, int amount, sqlite3_int64 offset) {
    PageCodec* codec = state->codec.get();
    if (codec && isPageImageOffset(offset)) {
        if (amount == static_cast<int>(codec->pageSize)) {
            // The journal holds pages as they stand in the file now, under the
            // key the file is enciphered under, so replaying them restores it.
            return CipherFile::write(codec->encipherCopy(static_cast<const unsigned char*>(buffer), false), amount,
                                     offset);
        }
        if (looksLikeForeignPage(amount)) return SQLITE_IOERR_WRITE;
    }
    return CipherFile::write(buffer, amount, offset);
}

LogFile::LogFile(sqlite3_file* real, std::shared_ptr<DatabaseState> state)
    : CipherFile(real), state(std::move(state)) {
    ++this->state->openCompanions;
}

LogFile::~LogFile() {
    --state->openCompanions;
}
