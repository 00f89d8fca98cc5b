#include <cstring>
#include <utility>

#include "store/cipher/cipher_files.h"
#include "store/cipher/journal_format.h"

namespace {

// A journal record is a 4-byte page number, the page image and a 4-byte
// checksum, and records follow headers that start on sector boundaries (a
// multiple of 8). So page images, and only they and the checksums, start 4
// bytes past a multiple of 8.
bool isPageImageOffset(sqlite3_int64 offset) {
    return offset % 8 == 4;
}

bool isPageNumberField(int amount, sqlite3_int64 offset) {
    return amount == 4 && offset % 8 == 0;
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
    if (rc != SQLITE_OK) return rc;
    noteNumber(buffer, amount, offset);
    PageCodec* codec = state->codec.get();
    if (!codec || amount != static_cast<int>(codec->pageSize) || !isPageImageOffset(offset)) return SQLITE_OK;
    uint32_t pageNumber = 0;
    if (!recordPageNumber(offset, pageNumber)) return SQLITE_IOERR_READ;
    unsigned char* image = static_cast<unsigned char*>(buffer);
    const PageCodec::Check check = codec->decipherPage(image, pageNumber);
    if (check == PageCodec::Check::ok) return SQLITE_OK;
    std::memset(image, 0, static_cast<size_t>(amount));
    return pageCheckFailure(*state, check, pageNumber);
}

int JournalFile::write(const void* buffer, int amount, sqlite3_int64 offset) {
    PageCodec* codec = state->codec.get();
    if (codec && isPageImageOffset(offset)) {
        if (amount == static_cast<int>(codec->pageSize)) {
            // The journal holds pages as they stand in the file now, under the
            // key the file is enciphered under, so replaying them restores it.
            uint32_t pageNumber = 0;
            if (!recordPageNumber(offset, pageNumber)) return SQLITE_IOERR_WRITE;
            const unsigned char* stored =
                codec->encipherCopy(static_cast<const unsigned char*>(buffer), pageNumber, false);
            return stored ? CipherFile::write(stored, amount, offset) : SQLITE_IOERR_WRITE;
        }
        if (looksLikeForeignPage(amount)) return SQLITE_IOERR_WRITE;
    }
    const int rc = CipherFile::write(buffer, amount, offset);
    if (rc == SQLITE_OK) noteNumber(buffer, amount, offset);
    return rc;
}

void JournalFile::noteNumber(const void* buffer, int amount, sqlite3_int64 offset) {
    if (!isPageNumberField(amount, offset)) return;
    numberOffset = offset;
    number = journal_format::readBigEndian32(static_cast<const unsigned char*>(buffer));
}

bool JournalFile::recordPageNumber(sqlite3_int64 imageOffset, uint32_t& pageNumber) {
    if (numberOffset != imageOffset - 4) {
        unsigned char field[4];
        if (CipherFile::read(field, 4, imageOffset - 4) != SQLITE_OK) return false;
        noteNumber(field, 4, imageOffset - 4);
    }
    pageNumber = number;
    return true;
}

LogFile::LogFile(sqlite3_file* real, std::shared_ptr<DatabaseState> state)
    : CipherFile(real), state(std::move(state)) {
    ++this->state->openCompanions;
}

LogFile::~LogFile() {
    --state->openCompanions;
}
