#include "store/cipher/encrypted_file.h"

#include <cstring>

#include "core/qfile.h"

using kiln::files::QFile;

bool isEncryptedFile(const kiln::qstd::QString& path) {
    // The storage engine holds an open database with read and write access,
    // so only a handle that shares both can look at it.
    QFile file;
    if (!file.Open(path.c_str(), QFile::modeRead | QFile::shareDenyNone)) return false;
    unsigned char head[6];
    DWORD read = 0;
    if (!ReadFile(file.GetHandle(), head, sizeof(head), &read, nullptr) || read < sizeof(head)) return false;
    return std::memcmp(head, "SQLite", sizeof(head)) != 0;
}
