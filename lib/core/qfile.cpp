#include "core/qfile.h"

#include "core/qerror.h"
#include "core/qpathstr.h"

namespace kiln {
namespace files {

namespace {

constexpr UINT kAccessBits = 0x0003;
constexpr UINT kShareBits = 0x0070;

DWORD AccessFor(UINT mode) {
    DWORD access = 0;
    switch (mode & kAccessBits) {
        case QFile::modeRead: access = GENERIC_READ; break;
        case QFile::modeWrite: access = GENERIC_WRITE; break;
        case QFile::modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
        default: break;
    }
    if (mode & (QFile::modeCreate | QFile::modeCreateNew)) access |= GENERIC_WRITE;
    return access;
}

DWORD SharingFor(UINT mode) {
    switch (mode & kShareBits) {
        case 0: return (mode & kAccessBits) == QFile::modeNoAccess ? 0 : FILE_SHARE_READ;
        case QFile::shareDenyWrite: return FILE_SHARE_READ;
        case QFile::shareDenyRead: return FILE_SHARE_WRITE;
        case QFile::shareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
        default: return 0;
    }
}

DWORD DispositionFor(UINT mode) {
    if (mode & QFile::modeCreateNew) return CREATE_NEW;
    if (mode & QFile::modeOpenOrCreate) return OPEN_ALWAYS;
    if (mode & QFile::modeCreate) return CREATE_ALWAYS;
    return OPEN_EXISTING;
}

}  // namespace

QFile::QFile(const wchar_t* path, UINT mode) {
    if (!Open(path, mode)) throw qstd::QError::FromLastError();
}

QFile::~QFile() {
    Close();
}

bool QFile::Open(const wchar_t* path, UINT mode) {
    Close();
    this->mode = mode;
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const DWORD access = AccessFor(mode);
    const DWORD sharing = SharingFor(mode);
    const DWORD disposition = DispositionFor(mode);
    HANDLE opened = CreateFileW(path, access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        // Whatever the reason: names over MAX_PATH and names ending in a dot
        // or blank open only in the long form.
        const DWORD plainError = GetLastError();
        wchar_t longPath[kLongPathRoom];
        if (MakeLongPath(path, longPath)) {
            opened = CreateFileW(longPath, access, sharing, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        } else {
            SetLastError(plainError);
        }
    }
    if (opened != INVALID_HANDLE_VALUE) handle = opened;
    return handle != nullptr;
}

BOOL QFile::Close() {
    if (!handle) return 0;
    const BOOL closed = CloseHandle(handle);
    handle = nullptr;
    return closed;
}

bool QFile::IsClosed() const {
    return handle == nullptr;
}

DWORD QFile::Read(void* buffer, DWORD n) {
    DWORD done = 0;
    if (!handle || !ReadFile(handle, buffer, n, &done, nullptr)) return 0;
    return done;
}

DWORD QFile::Write(const void* buffer, DWORD n) {
    DWORD done = 0;
    if (!handle || !WriteFile(handle, buffer, n, &done, nullptr)) return 0;
    return done;
}

bool QFile::Seek(LONGLONG offset, UINT origin, LONGLONG& newPosition) {
    if (!handle || origin > seekEnd) return false;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!SetFilePointerEx(handle, distance, &position, origin)) return false;
    newPosition = position.QuadPart;
    return true;
}

bool QFile::Seek(LONGLONG offset, UINT origin) {
    LONGLONG ignored = 0;
    return Seek(offset, origin, ignored);
}

LONGLONG QFile::GetSize() const {
    LARGE_INTEGER size;
    size.QuadPart = 0;
    if (handle) GetFileSizeEx(handle, &size);
    return size.QuadPart;
}

LONGLONG QFile::GetPosition() const {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    LARGE_INTEGER position;
    if (!handle || !SetFilePointerEx(handle, zero, &position, FILE_CURRENT)) return 0;
    return position.QuadPart;
}

}  // namespace files
}  // namespace kiln
