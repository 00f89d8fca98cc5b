#include "store/cipher/encrypted_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "core/qfile.h"
#include "core/qmultibytestr.h"
#include "store/cipher/authenticated_page.h"
#include "store/cipher/key_check.h"

using kiln::files::QFile;

namespace {

CipherFormat formatOfPageOne(const unsigned char* head, DWORD length) {
    if (length < 6) return CipherFormat::plain;
    if (std::memcmp(head, "SQLite", 6) == 0) return CipherFormat::plain;
    return length == authenticated_page::kMarkBytes && authenticated_page::hasMark(head) ? CipherFormat::format2
                                                                                          : CipherFormat::format1;
}

// A rekey ended before its commit has written part of the file in the new
// key, page 1 first, and its journal holds every page as it was: the engine
// plays the journal back before it reads anything, so page 1 as the journal
// has it is what the file is. Without it, a password removal cut short would
// leave a file that looks plain and opens under no key.
bool readJournaledHead(const kiln::qstd::QString& path, unsigned char* head, DWORD length) {
    sqlite3_vfs* base = sqlite3_vfs_find("win32");
    if (!base) return false;
    const std::string journal = std::string(kiln::qstd::QMultiByteStr(path.c_str(), CP_UTF8).c_str()) + "-journal";
    return readJournalPageOne(base, journal, head, length);
}

}  // namespace

CipherFormat fileCipherFormat(const kiln::qstd::QString& path) {
    // The storage engine holds an open database with read and write access,
    // so only a handle that shares both can look at it.
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeRead | QFile::shareDenyNone)) return CipherFormat::plain;
    unsigned char head[authenticated_page::kMarkBytes];
    DWORD read = 0;
    if (!ReadFile(file.GetHandle(), head, sizeof(head), &read, nullptr)) return CipherFormat::plain;
    // The engine plays no journal into an empty file.
    if (read > 0 && readJournaledHead(path, head, sizeof(head))) return formatOfPageOne(head, sizeof(head));
    return formatOfPageOne(head, read);
}

bool isEncryptedFile(const kiln::qstd::QString& path) {
    return fileCipherFormat(path) != CipherFormat::plain;
}

uint32_t filePageSize(const kiln::qstd::QString& path, CipherFormat format) {
    if (format != CipherFormat::plain) return authenticated_page::kPageSize;
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeRead | QFile::shareDenyNone)) return 0;
    unsigned char head[18];
    DWORD read = 0;
    if (!ReadFile(file.GetHandle(), head, sizeof(head), &read, nullptr) || read < sizeof(head)) return 0;
    // The engine writes 65536 as 1.
    const uint32_t size = (uint32_t(head[16]) << 8) | head[17];
    return size == 1 ? 65536 : size;
}

namespace {

bool isPageSize(uint32_t size) {
    return size >= 512 && size <= 65536 && (size & (size - 1)) == 0;
}

// The fields of the engine's 100-byte header that every database it writes
// holds the same way.
bool plainHeaderValid(const unsigned char* header, LONGLONG fileSize) {
    if (std::memcmp(header, "SQLite format 3", 16) != 0) return false;
    const uint32_t stored = (uint32_t(header[16]) << 8) | header[17];
    const uint32_t pageSize = stored == 1 ? 65536 : stored;
    const bool versions = header[18] >= 1 && header[18] <= 2 && header[19] >= 1 && header[19] <= 2;
    const bool fractions = header[21] == 64 && header[22] == 32 && header[23] == 32;
    // The engine needs 480 bytes of every page for itself.
    const bool reserve = isPageSize(pageSize) && pageSize - header[20] >= 480;
    return reserve && versions && fractions && fileSize >= LONGLONG(pageSize);
}

}  // namespace

bool mayBeCardDatabase(const kiln::qstd::QString& path) {
    const CipherFormat format = fileCipherFormat(path);
    if (format == CipherFormat::format2) return true;
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeRead | QFile::shareDenyNone)) return false;
    const LONGLONG size = file.GetSize();
    unsigned char header[100];
    DWORD read = 0;
    if (!ReadFile(file.GetHandle(), header, sizeof(header), &read, nullptr) || read < sizeof(header)) return false;
    if (format == CipherFormat::plain) {
        // Plain, yet not beginning so: page 1 comes back plain from the
        // journal of a rekey that was ended.
        if (std::memcmp(header, "SQLite", 6) != 0) return true;
        return plainHeaderValid(header, size);
    }
    const bool zeros = std::all_of(header, header + 16, [](unsigned char b) { return b == 0; });
    return size > 0 && size % authenticated_page::kPageSize == 0 && !zeros;
}
