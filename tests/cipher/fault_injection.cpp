#include "fault_injection.h"

#include <sqlite3.h>

#include <cstring>

#include "store/cipher/cipher_vfs.h"

void endProcessHere() {
    TerminateProcess(GetCurrentProcess(), kEndedAtFaultExitCode);
    for (;;) Sleep(INFINITE);
}

namespace {

struct Plan {
    bool armed = false;
    FileOperationKind kind = FileOperationKind::Any;
    int nth = 0;
    Fault fault = Fault::IoError;
    bool sticky = false;
    int seen = 0;
};

Plan plan;

struct FaultyFile {
    sqlite3_file header;
    sqlite3_file* real;
};

sqlite3_vfs* windowsVfs() {
    return sqlite3_vfs_find("win32");
}

sqlite3_file* realOf(sqlite3_file* file) {
    return reinterpret_cast<FaultyFile*>(file)->real;
}

// SQLITE_OK to go ahead, anything else to fail with; ends the process itself.
int decide(FileOperationKind kind, int failure, bool* tornWrite) {
    if (!plan.armed || (plan.kind != FileOperationKind::Any && plan.kind != kind)) return SQLITE_OK;
    ++plan.seen;
    if (plan.seen < plan.nth || (plan.seen > plan.nth && !plan.sticky)) return SQLITE_OK;
    switch (plan.fault) {
    case Fault::IoError:
        return failure;
    case Fault::DiskFull:
        return SQLITE_FULL;
    case Fault::EndProcess:
        endProcessHere();
    case Fault::TornWriteThenEnd:
        if (!tornWrite) endProcessHere();
        *tornWrite = true;
        return SQLITE_OK;
    }
    return SQLITE_OK;
}

int xClose(sqlite3_file* f) {
    const int rc = realOf(f)->pMethods->xClose(realOf(f));
    f->pMethods = nullptr;
    return rc;
}
int xRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return realOf(f)->pMethods->xRead(realOf(f), b, n, o); }
int xWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    bool torn = false;
    const int rc = decide(FileOperationKind::Write, SQLITE_IOERR_WRITE, &torn);
    if (rc != SQLITE_OK) return rc;
    if (torn) {
        realOf(f)->pMethods->xWrite(realOf(f), b, n / 2, o);
        endProcessHere();
    }
    return realOf(f)->pMethods->xWrite(realOf(f), b, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 s) { return realOf(f)->pMethods->xTruncate(realOf(f), s); }
int xSync(sqlite3_file* f, int flags) {
    const int rc = decide(FileOperationKind::Sync, SQLITE_IOERR_FSYNC, nullptr);
    return rc != SQLITE_OK ? rc : realOf(f)->pMethods->xSync(realOf(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* s) { return realOf(f)->pMethods->xFileSize(realOf(f), s); }
int xLock(sqlite3_file* f, int l) { return realOf(f)->pMethods->xLock(realOf(f), l); }
int xUnlock(sqlite3_file* f, int l) { return realOf(f)->pMethods->xUnlock(realOf(f), l); }
int xCheckReservedLock(sqlite3_file* f, int* r) { return realOf(f)->pMethods->xCheckReservedLock(realOf(f), r); }
int xFileControl(sqlite3_file* f, int op, void* a) { return realOf(f)->pMethods->xFileControl(realOf(f), op, a); }
int xSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int xDeviceCharacteristics(sqlite3_file* f) { return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)); }

const sqlite3_io_methods kMethods = {
    1, xClose, xRead, xWrite, xTruncate, xSync, xFileSize, xLock, xUnlock, xCheckReservedLock,
    xFileControl, xSectorSize, xDeviceCharacteristics,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
};

int xOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    sqlite3_vfs* base = windowsVfs();
    FaultyFile* faulty = reinterpret_cast<FaultyFile*>(file);
    faulty->real = reinterpret_cast<sqlite3_file*>(faulty + 1);
    std::memset(faulty->real, 0, size_t(base->szOsFile));
    file->pMethods = nullptr;
    (void)vfs;
    const int rc = base->xOpen(base, name, faulty->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (faulty->real->pMethods) faulty->real->pMethods->xClose(faulty->real);
        return rc;
    }
    file->pMethods = &kMethods;
    return SQLITE_OK;
}

sqlite3_vfs faultyVfs;

}  // namespace

void registerFaultyVfs() {
    if (sqlite3_vfs_find(kFaultyVfs)) return;
    sqlite3_vfs* base = windowsVfs();
    faultyVfs = *base;
    faultyVfs.pNext = nullptr;
    faultyVfs.zName = kFaultyVfs;
    faultyVfs.szOsFile = int(sizeof(FaultyFile)) + base->szOsFile;
    faultyVfs.xOpen = xOpen;
    sqlite3_vfs_register(&faultyVfs, 0);
    registerCipherVfsOver(kFaultyCipherVfs, kFaultyVfs);
}

void armFaultyVfs(FileOperationKind kind, int nth, Fault fault, bool sticky) {
    plan = Plan{true, kind, nth, fault, sticky, 0};
}

void disarmFaultyVfs() {
    plan.armed = false;
}

int faultyVfsOperationsSeen() {
    return plan.seen;
}

bool ScriptedFileOperations::proceed(Kind operation) {
    if (kind != Kind::Any && kind != operation) return true;
    if (++count != nth) return true;
    switch (fault) {
    case Fault::IoError:
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    case Fault::DiskFull:
        SetLastError(ERROR_DISK_FULL);
        return false;
    case Fault::EndProcess:
    case Fault::TornWriteThenEnd:
        endProcessHere();
    }
    return true;
}

bool ScriptedFileOperations::open(kiln::files::QFile& file, const wchar_t* path, UINT mode) {
    return proceed(Kind::Open) && FileOperations::open(file, path, mode);
}

bool ScriptedFileOperations::read(kiln::files::QFile& file, void* buffer, DWORD n) {
    return proceed(Kind::Read) && FileOperations::read(file, buffer, n);
}

bool ScriptedFileOperations::write(kiln::files::QFile& file, const void* buffer, DWORD n) {
    return proceed(Kind::Write) && FileOperations::write(file, buffer, n);
}

bool ScriptedFileOperations::truncate(kiln::files::QFile& file, LONGLONG size) {
    return proceed(Kind::Truncate) && FileOperations::truncate(file, size);
}

bool ScriptedFileOperations::flush(kiln::files::QFile& file) {
    return proceed(Kind::Flush) && FileOperations::flush(file);
}

bool ScriptedFileOperations::replace(const wchar_t* from, const wchar_t* to) {
    return proceed(Kind::Replace) && FileOperations::replace(from, to);
}

bool ScriptedFileOperations::remove(const wchar_t* path) {
    return proceed(Kind::Remove) && FileOperations::remove(path);
}
