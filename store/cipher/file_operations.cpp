#include "store/cipher/file_operations.h"

using kiln::files::QFile;

namespace {

constexpr int kReplaceAttempts = 8;

}  // namespace

bool FileOperations::open(QFile& file, const wchar_t* path, UINT mode) {
    return file.Open(path, mode);
}

bool FileOperations::read(QFile& file, void* buffer, DWORD n) {
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    for (DWORD done = 0; done < n;) {
        const DWORD step = file.Read(bytes + done, n - done);
        if (step == 0) return false;
        done += step;
    }
    return true;
}

bool FileOperations::write(QFile& file, const void* buffer, DWORD n) {
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    for (DWORD done = 0; done < n;) {
        const DWORD step = file.Write(bytes + done, n - done);
        if (step == 0) return false;
        done += step;
    }
    return true;
}

bool FileOperations::truncate(QFile& file, LONGLONG size) {
    return file.Seek(size, QFile::seekBegin) && SetEndOfFile(file.GetHandle());
}

bool FileOperations::flush(QFile& file) {
    return FlushFileBuffers(file.GetHandle()) != 0;
}

bool FileOperations::replace(const wchar_t* from, const wchar_t* to) {
    // A virus scanner or an indexer may hold the file for a moment after it
    // was closed; such a hold passes, a real refusal does not.
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        const bool transient =
            error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!transient || attempt == kReplaceAttempts) return false;
        Sleep(25 * attempt);
    }
}

bool FileOperations::remove(const wchar_t* path) {
    return DeleteFileW(path) != 0;
}

FileOperations& systemFileOperations() {
    static FileOperations operations;
    return operations;
}
