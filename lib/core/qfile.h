#pragma once

#include <windows.h>

namespace kiln {
namespace files {

// Owner of one Windows file handle. The mode word of Open chooses access,
// sharing and creation; a name the system refuses is retried in its long
// ("\\?\") form.
class QFile {
public:
    enum : UINT {
        // Bits 0 and 1: access.
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeNoAccess = 0x0003,
        // Bits 4 to 6: sharing. 0 lets others read unless no access was asked for.
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        // Create or truncate, with write access added.
        modeCreate = 0x1000,
        // Open, or create when missing; wins over modeCreate for the disposition.
        modeOpenOrCreate = 0x2000,
        // Create only when no file has the name; wins over both above.
        modeCreateNew = 0x4000,
    };
    enum : UINT { seekBegin = 0, seekCurrent = 1, seekEnd = 2 };

    QFile() = default;
    // Throws QError with the system's message when the file cannot be opened.
    QFile(const wchar_t* path, UINT mode);
    QFile(const QFile&) = delete;
    QFile& operator=(const QFile&) = delete;
    virtual ~QFile();

    // Closes a file opened before. On failure GetLastError() is what the
    // failing CreateFileW left.
    virtual bool Open(const wchar_t* path, UINT mode);
    // The result of CloseHandle, 0 when nothing was open.
    virtual BOOL Close();
    virtual bool IsClosed() const;
    // Bytes moved by one ReadFile / WriteFile call, 0 on failure.
    virtual DWORD Read(void* buffer, DWORD n);
    virtual DWORD Write(const void* buffer, DWORD n);
    virtual bool Seek(LONGLONG offset, UINT origin, LONGLONG& newPosition);
    virtual bool Seek(LONGLONG offset, UINT origin);
    virtual LONGLONG GetSize() const;
    // 0 when the position cannot be read.
    virtual LONGLONG GetPosition() const;

    // Whether what is open is a file on a disk: not a device or a pipe,
    // whose bytes may never end.
    bool IsDiskFile() const { return handle && GetFileType(handle) == FILE_TYPE_DISK; }

    // The raw handle, null while closed, for calls this class does not wrap.
    HANDLE GetHandle() const { return handle; }
    UINT GetMode() const { return mode; }

protected:
    HANDLE handle = nullptr;
    UINT mode = 0;
};

}  // namespace files
}  // namespace kiln
