#include "store/cipher/file_operations.h"

using kiln::files::QFile;

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

bool FileOperations::flush(QFile& file) {
    return FlushFileBuffers(file.GetHandle()) != 0;
}

bool FileOperations::replace(const wchar_t* from, const wchar_t* to) {
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileOperations::remove(const wchar_t* path) {
    return DeleteFileW(path) != 0;
}

FileOperations& systemFileOperations() {
    static FileOperations operations;
    return operations;
}
