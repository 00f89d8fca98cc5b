#include "store/cipher/encrypted_file.h"

#include <cstring>

#include "core/qfile.h"
#include "store/cipher/authenticated_page.h"

using kiln::files::QFile;

CipherFormat fileCipherFormat(const kiln::qstd::QString& path) {
    // The storage engine holds an open database with read and write access,
    // so only a handle that shares both can look at it.
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeRead | QFile::shareDenyNone)) return CipherFormat::plain;
    unsigned char head[authenticated_page::kMarkBytes];
    DWORD read = 0;
    if (!ReadFile(file.GetHandle(), head, sizeof(head), &read, nullptr) || read < 6) return CipherFormat::plain;
    if (std::memcmp(head, "SQLite", 6) == 0) return CipherFormat::plain;
    return read == sizeof(head) && authenticated_page::hasMark(head) ? CipherFormat::format2 : CipherFormat::format1;
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
