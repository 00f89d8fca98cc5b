#include "store/cipher/key_check.h"

#include <cstring>
#include <memory>

#include "core/qbuffer.h"
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

bool headerValid(const unsigned char* page, bool enciphered) {
    if (std::memcmp(page, kSqliteHeaderMagic, sizeof(kSqliteHeaderMagic)) != 0) return false;
    // An enciphered file is only ever written in 4096-byte pages.
    return !enciphered || (page[16] == 0x10 && page[17] == 0x00);
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

// Walks the journal as SQLite's replay would: header after header, record
// after record, stopping where the replay stops.
Verdict journalPageOne(sqlite3_vfs* base, const std::string& journalName, PageCodec* codec,
                       sqlite3_int64 databaseSize) {
    if (!journalExists(base, journalName)) return Verdict::Absent;
    ReadOnlyFile journal(base, journalName);
    if (!journal.isOpen()) return Verdict::Absent;
    const sqlite3_int64 size = journal.size();

    unsigned char header[kJournalHeaderFields];
    if (size < sqlite3_int64(kJournalHeaderFields) || !journal.read(header, kJournalHeaderFields, 0) ||
        std::memcmp(header, journal_format::kMagic, sizeof(journal_format::kMagic)) != 0) {
        return Verdict::Absent;  // not hot: SQLite will not replay it
    }
    const uint32_t sectorSize = readBigEndian32(header + 20);
    const uint32_t pageSize = readBigEndian32(header + 24);
    // Judged once, from the first header. A first record that fails its
    // checksum under this key means another key's rekey when the journal is
    // one. Otherwise SQLite plays none of it back, but still cuts the file to
    // the size the header gives: a journal that would cut it short is refused
    // rather than let damage the file.
    const bool wouldShorten = sqlite3_int64(readBigEndian32(header + 16)) * pageSize < databaseSize;
    const Verdict foreignRecord = isRekeyJournal(header) || wouldShorten ? Verdict::Invalid : Verdict::Absent;
    if (!isPowerOfTwoBetween(sectorSize, 32, 0x10000) || !isPowerOfTwoBetween(pageSize, 512, 65536)) {
        return Verdict::Absent;
    }
    if (codec && pageSize != PageCodec::kPageSize) return Verdict::Invalid;

    kiln::qstd::QBuffer imageBuffer;
    imageBuffer.SetCapacity(pageSize);
    unsigned char* image = imageBuffer.GetData();
    const sqlite3_int64 recordSize = sqlite3_int64(pageSize) + 8;
    const uint32_t lockBytePage = 0x40000000u / pageSize + 1;
    bool firstRecord = true;

    sqlite3_int64 headerOffset = 0;
    while (headerOffset + sectorSize <= size) {
        if (!journal.read(header, kJournalHeaderFields, headerOffset) ||
            std::memcmp(header, journal_format::kMagic, sizeof(journal_format::kMagic)) != 0) {
            break;
        }
        sqlite3_int64 records = readBigEndian32(header + journal_format::kRecordCountOffset);
        const uint32_t checksumSeed = readBigEndian32(header + 12);
        if (records == 0xFFFFFFFF) records = (size - sectorSize) / recordSize;

        sqlite3_int64 offset = headerOffset + sectorSize;
        for (sqlite3_int64 record = 0; record < records; ++record, offset += recordSize) {
            unsigned char number[4];
            unsigned char stored[4];
            if (offset + recordSize > size || !journal.read(number, 4, offset) ||
                !journal.read(image, pageSize, offset + 4) || !journal.read(stored, 4, offset + 4 + pageSize)) {
                return Verdict::Absent;
            }
            const uint32_t pageNumber = readBigEndian32(number);
            if (pageNumber == 0 || pageNumber == lockBytePage) return Verdict::Absent;
            if (codec) codec->decipherPage(image);

            // The engine stops its playback at the first record whose
            // checksum fails; at the very first one it plays back nothing, and
            // so neither does the journal decide anything here.
            if (journal_format::recordChecksum(checksumSeed, image, pageSize) != readBigEndian32(stored)) {
                return firstRecord ? foreignRecord : Verdict::Absent;
            }
            firstRecord = false;
            if (pageNumber == 1) return headerValid(image, codec != nullptr) ? Verdict::Valid : Verdict::Invalid;
        }
        // The next header starts at the next sector boundary.
        headerOffset = ((offset - 1) / sectorSize + 1) * sectorSize;
    }
    return Verdict::Absent;
}

}  // namespace

bool journalExists(sqlite3_vfs* base, const std::string& journalName) {
    int exists = 0;
    return base->xAccess(base, journalName.c_str(), SQLITE_ACCESS_EXISTS, &exists) == SQLITE_OK && exists;
}

bool databaseReadsUnder(sqlite3_vfs* base, sqlite3_file* database, const std::string& journalName, PageCodec* codec) {
    sqlite3_int64 size = 0;
    if (database->pMethods->xFileSize(database, &size) != SQLITE_OK) return false;
    // The engine plays no journal back into an empty file; it deletes it.
    if (size == 0) return true;

    const Verdict journal = journalPageOne(base, journalName, codec, size);
    if (journal != Verdict::Absent) return journal == Verdict::Valid;
    if (!codec) {
        unsigned char magic[sizeof(kSqliteHeaderMagic)];
        return size >= sqlite3_int64(sizeof(magic)) &&
               database->pMethods->xRead(database, magic, sizeof(magic), 0) == SQLITE_OK &&
               headerValid(magic, false);
    }
    if (size < PageCodec::kPageSize) return false;
    unsigned char* page = codec->pageBuffer;
    if (database->pMethods->xRead(database, page, PageCodec::kPageSize, 0) != SQLITE_OK) return false;
    codec->decipherPage(page);
    return headerValid(page, true);
}
