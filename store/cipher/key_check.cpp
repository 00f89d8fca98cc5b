#include "store/cipher/key_check.h"

#include <cstring>
#include <memory>

#include "core/qbuffer.h"
#include "store/cipher/authenticated_page.h"
#include "store/cipher/journal_format.h"
#include "store/cipher/page_codec.h"

using journal_format::readBigEndian32;

namespace {

// The first bytes of page 1 of every SQLite database, in plain.
const unsigned char kSqliteHeaderMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                              'o', 'r', 'm', 'a', 't', ' ', '3', 0};

constexpr uint32_t kJournalHeaderFields = journal_format::kHeaderFields + sizeof(journal_format::kRekeyMark);

enum class Verdict { Absent, Valid, Invalid };

bool isRekeyJournal(const unsigned char* header) {
    return std::memcmp(header + journal_format::kRekeyMarkOffset, journal_format::kRekeyMark,
                       sizeof(journal_format::kRekeyMark)) == 0;
}

bool isPowerOfTwoBetween(uint32_t value, uint32_t low, uint32_t high) {
    return value >= low && value <= high && (value & (value - 1)) == 0;
}

bool headerValid(const unsigned char* page, const PageCodec* codec) {
    if (std::memcmp(page, kSqliteHeaderMagic, sizeof(kSqliteHeaderMagic)) != 0) return false;
    if (!codec) return true;
    // An enciphered file is only ever written in 4096-byte pages, and format 2
    // keeps 64 bytes of each free.
    const bool reserveFits = codec->readKey.format() != CipherFormat::format2 ||
                             page[20] == authenticated_page::kReservedBytes;
    return page[16] == 0x10 && page[17] == 0x00 && reserveFits;
}

// A file of the underlying file system, opened for reading and closed on scope exit.
class ReadOnlyFile {
public:
    ReadOnlyFile(sqlite3_vfs* base, const std::string& name)
        : storage(std::make_unique<char[]>(static_cast<size_t>(base->szOsFile))) {
        // The Windows file system reads URI parameters behind the name's
        // terminator, so the name ends in several.
        nameBuffer = name;
        nameBuffer.append(4, '\0');
        file = reinterpret_cast<sqlite3_file*>(storage.get());
        int outFlags = 0;
        if (base->xOpen(base, nameBuffer.c_str(), file, SQLITE_OPEN_READONLY | SQLITE_OPEN_MAIN_JOURNAL, &outFlags) !=
            SQLITE_OK) {
            if (file->pMethods) file->pMethods->xClose(file);
            file = nullptr;
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile() {
        if (file) file->pMethods->xClose(file);
    }

    bool isOpen() const { return file != nullptr; }
    sqlite3_int64 size() const {
        sqlite3_int64 bytes = 0;
        return file->pMethods->xFileSize(file, &bytes) == SQLITE_OK ? bytes : 0;
    }
    bool read(void* buffer, uint32_t amount, sqlite3_int64 offset) const {
        return file->pMethods->xRead(file, buffer, static_cast<int>(amount), offset) == SQLITE_OK;
    }

private:
    std::unique_ptr<char[]> storage;
    std::string nameBuffer;
    sqlite3_file* file = nullptr;
};

// The fields of a journal's first header that decide how it is walked.
struct JournalShape {
    sqlite3_int64 size = 0;
    uint32_t sectorSize = 0;
    uint32_t pageSize = 0;
    uint32_t pagesBefore = 0;
    bool rekey = false;
};

// A journal SQLite would call hot and walk; false for any other.
bool readShape(const ReadOnlyFile& journal, JournalShape& shape) {
    shape.size = journal.size();
    unsigned char header[kJournalHeaderFields];
    if (shape.size < sqlite3_int64(kJournalHeaderFields) || !journal.read(header, kJournalHeaderFields, 0) ||
        std::memcmp(header, journal_format::kMagic, sizeof(journal_format::kMagic)) != 0) {
        return false;
    }
    shape.sectorSize = readBigEndian32(header + 20);
    shape.pageSize = readBigEndian32(header + 24);
    shape.pagesBefore = readBigEndian32(header + 16);
    shape.rekey = isRekeyJournal(header);
    return true;
}

bool shapeWalkable(const JournalShape& shape) {
    return isPowerOfTwoBetween(shape.sectorSize, 32, 0x10000) && isPowerOfTwoBetween(shape.pageSize, 512, 65536);
}

// Visits the journal's records as SQLite's replay would meet them: header
// after header, record after record, up to the first that cannot be read.
// visit(pageNumber, image, storedChecksum, checksumSeed) returns false to stop.
template <class Visit>
void walkRecords(const ReadOnlyFile& journal, const JournalShape& shape, unsigned char* image, Visit visit) {
    const sqlite3_int64 recordSize = sqlite3_int64(shape.pageSize) + 8;
    const uint32_t lockBytePage = 0x40000000u / shape.pageSize + 1;
    unsigned char header[kJournalHeaderFields];
    sqlite3_int64 headerOffset = 0;
    while (headerOffset + shape.sectorSize <= shape.size) {
        if (!journal.read(header, kJournalHeaderFields, headerOffset) ||
            std::memcmp(header, journal_format::kMagic, sizeof(journal_format::kMagic)) != 0) {
            return;
        }
        sqlite3_int64 records = readBigEndian32(header + journal_format::kRecordCountOffset);
        const uint32_t checksumSeed = readBigEndian32(header + 12);
        if (records == 0xFFFFFFFF) records = (shape.size - shape.sectorSize) / recordSize;

        sqlite3_int64 offset = headerOffset + shape.sectorSize;
        for (sqlite3_int64 record = 0; record < records; ++record, offset += recordSize) {
            unsigned char number[4];
            unsigned char stored[4];
            if (offset + recordSize > shape.size || !journal.read(number, 4, offset) ||
                !journal.read(image, shape.pageSize, offset + 4) ||
                !journal.read(stored, 4, offset + 4 + shape.pageSize)) {
                return;
            }
            const uint32_t pageNumber = readBigEndian32(number);
            if (pageNumber == 0 || pageNumber == lockBytePage) return;
            if (!visit(pageNumber, image, readBigEndian32(stored), checksumSeed)) return;
        }
        // The next header starts at the next sector boundary.
        headerOffset = ((offset - 1) / shape.sectorSize + 1) * shape.sectorSize;
    }
}

// The buffer of one page image of the journal's size.
class ImageBuffer {
public:
    explicit ImageBuffer(uint32_t size) { buffer.SetCapacity(size); }
    unsigned char* get() { return buffer.GetData(); }

private:
    kiln::qstd::QBuffer buffer;
};

// Page 1 as the journal holds it, as stored, into image (of the journal's
// page size); false when the journal holds none.
bool findPageOne(const ReadOnlyFile& journal, const JournalShape& shape, ImageBuffer& image) {
    bool found = false;
    walkRecords(journal, shape, image.get(), [&](uint32_t pageNumber, const unsigned char*, uint32_t, uint32_t) {
        if (pageNumber != 1) return true;
        found = true;
        return false;
    });
    return found;
}

// Binds the key to page 1 as the journal holds it, as stored; false when the
// journal holds no page 1 of the file's page size.
bool bindToJournalPageOne(const ReadOnlyFile& journal, const JournalShape& shape, PageCodec& codec) {
    if (shape.pageSize != PageCodec::kPageSize) return false;
    ImageBuffer image(shape.pageSize);
    return findPageOne(journal, shape, image) && codec.readKey.bindToPageOne(image.get());
}

// Judges the journal under the key, as the engine's replay would go.
Verdict judgeJournal(const ReadOnlyFile& journal, const JournalShape& shape, PageCodec* codec,
                     sqlite3_int64 databaseSize) {
    // Judged once, from the first header. A first record that fails its
    // checksum under this key means another key's rekey when the journal is
    // one. Otherwise SQLite plays none of it back, but still cuts the file to
    // the size the header gives: a journal that would cut it short is refused
    // rather than let damage the file.
    const bool wouldShorten = sqlite3_int64(shape.pagesBefore) * shape.pageSize < databaseSize;
    const Verdict foreignRecord = shape.rekey || wouldShorten ? Verdict::Invalid : Verdict::Absent;
    if (!shapeWalkable(shape)) return Verdict::Absent;
    if (codec && shape.pageSize != PageCodec::kPageSize) return Verdict::Invalid;

    ImageBuffer image(shape.pageSize);
    Verdict verdict = Verdict::Absent;
    bool firstRecord = true;
    walkRecords(journal, shape, image.get(),
                [&](uint32_t pageNumber, unsigned char* page, uint32_t stored, uint32_t seed) {
                    // The engine stops its playback at the first record whose
                    // checksum fails; at the very first one it plays back
                    // nothing, and so neither does the journal decide anything
                    // here. A format 2 image that fails its own check counts
                    // the same.
                    const bool readable = !codec || codec->decipherPage(page, pageNumber) == PageCodec::Check::ok;
                    if (!readable || journal_format::recordChecksum(seed, page, shape.pageSize) != stored) {
                        verdict = firstRecord ? foreignRecord : Verdict::Absent;
                        return false;
                    }
                    firstRecord = false;
                    if (pageNumber != 1) return true;
                    verdict = headerValid(page, codec) ? Verdict::Valid : Verdict::Invalid;
                    return false;
                });
    return verdict;
}

int damaged(uint32_t page, uint32_t& damagedPage) {
    damagedPage = page;
    return SQLITE_IOERR_DATA;
}

// A format 2 file holds every page its header counts: a file cut short is
// damaged at its first missing page, not a smaller database. What follows
// the counted pages is no part of the database (the engine never reads it),
// so bytes appended to a file do not keep it from opening; without a count
// the engine takes, the file's length is its count and must be whole pages.
int checkLength(const unsigned char* pageOne, sqlite3_int64 size, uint32_t& damagedPage) {
    const sqlite3_int64 pages = size / PageCodec::kPageSize;
    const bool countValid = std::memcmp(pageOne + 24, pageOne + 92, 4) == 0;
    const uint32_t counted = readBigEndian32(pageOne + 28);
    if (countValid && counted > 0) return counted > pages ? damaged(uint32_t(pages + 1), damagedPage) : SQLITE_OK;
    if (size % PageCodec::kPageSize != 0) return damaged(uint32_t(pages + 1), damagedPage);
    return SQLITE_OK;
}

}  // namespace

bool journalExists(sqlite3_vfs* base, const std::string& journalName) {
    int exists = 0;
    return base->xAccess(base, journalName.c_str(), SQLITE_ACCESS_EXISTS, &exists) == SQLITE_OK && exists;
}

bool readJournalPageOne(sqlite3_vfs* base, const std::string& journalName, unsigned char* start, uint32_t length) {
    if (!journalExists(base, journalName)) return false;
    ReadOnlyFile journal(base, journalName);
    JournalShape shape;
    if (!journal.isOpen() || !readShape(journal, shape) || !shapeWalkable(shape) || length > shape.pageSize) {
        return false;
    }
    ImageBuffer image(shape.pageSize);
    if (!findPageOne(journal, shape, image)) return false;
    std::memcpy(start, image.get(), length);
    return true;
}

int checkDatabaseKey(sqlite3_vfs* base, sqlite3_file* database, const std::string& journalName, PageCodec* codec,
                     uint32_t& damagedPage) {
    sqlite3_int64 size = 0;
    if (database->pMethods->xFileSize(database, &size) != SQLITE_OK) return SQLITE_NOTADB;
    // The engine plays no journal back into an empty file; it deletes it.
    if (size == 0) {
        if (!codec || codec->readKey.format() != CipherFormat::format2 || codec->readKey.pageKeys()) return SQLITE_OK;
        if (!codec->readKey.bindToNewSalt()) return SQLITE_NOTADB;
        codec->writeKey = codec->readKey;
        return SQLITE_OK;
    }

    std::unique_ptr<ReadOnlyFile> journal;
    JournalShape shape;
    if (journalExists(base, journalName)) {
        journal = std::make_unique<ReadOnlyFile>(base, journalName);
        if (!journal->isOpen() || !readShape(*journal, shape)) journal.reset();
    }
    unsigned char* page = codec ? codec->pageBuffer : nullptr;
    if (codec) {
        if (size < PageCodec::kPageSize ||
            database->pMethods->xRead(database, page, PageCodec::kPageSize, 0) != SQLITE_OK) {
            return SQLITE_NOTADB;
        }
        const bool bound = (journal && shapeWalkable(shape) && bindToJournalPageOne(*journal, shape, *codec)) ||
                           codec->readKey.bindToPageOne(page);
        if (!bound) return SQLITE_NOTADB;
        codec->writeKey = codec->readKey;
    }

    if (journal) {
        const Verdict verdict = judgeJournal(*journal, shape, codec, size);
        if (verdict != Verdict::Absent) return verdict == Verdict::Valid ? SQLITE_OK : SQLITE_NOTADB;
    }
    if (!codec) {
        unsigned char magic[sizeof(kSqliteHeaderMagic)];
        const bool valid = size >= sqlite3_int64(sizeof(magic)) &&
                           database->pMethods->xRead(database, magic, sizeof(magic), 0) == SQLITE_OK &&
                           headerValid(magic, nullptr);
        return valid ? SQLITE_OK : SQLITE_NOTADB;
    }
    switch (codec->decipherPage(page, 1)) {
    case PageCodec::Check::wrongKey:
        return SQLITE_NOTADB;
    case PageCodec::Check::damaged:
        return damaged(1, damagedPage);
    case PageCodec::Check::ok:
        break;
    }
    if (!headerValid(page, codec)) return SQLITE_NOTADB;
    return codec->readKey.format() == CipherFormat::format2 ? checkLength(page, size, damagedPage) : SQLITE_OK;
}
