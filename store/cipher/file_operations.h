#pragma once

#include <windows.h>

#include "core/qfile.h"

// The file operations a rekey makes, one call each, so that a test can make
// any one of them fail, or end the process there. The real ones are Windows'.
class FileOperations {
public:
    virtual ~FileOperations() = default;

    virtual bool open(kiln::files::QFile& file, const wchar_t* path, UINT mode);
    // Exactly n bytes, or false.
    virtual bool read(kiln::files::QFile& file, void* buffer, DWORD n);
    virtual bool write(kiln::files::QFile& file, const void* buffer, DWORD n);
    // The file ends at size.
    virtual bool truncate(kiln::files::QFile& file, LONGLONG size);
    // Down to the disk, not only to the system's cache.
    virtual bool flush(kiln::files::QFile& file);
    // Puts from in the place of to in one step: a reader finds either file
    // whole, also after a crash.
    virtual bool replace(const wchar_t* from, const wchar_t* to);
    virtual bool remove(const wchar_t* path);
};

FileOperations& systemFileOperations();
