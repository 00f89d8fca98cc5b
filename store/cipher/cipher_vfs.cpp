#include "store/cipher/cipher_vfs.h"

#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "store/cipher/cipher_files.h"

namespace {

// Kinds of file SQLite may ask for that hold data of a database outside the
// database file and its journal. The engine is built to keep them in memory;
// a request that reaches the disk anyway is refused rather than let plain
// pages of an enciphered database out.
constexpr int kTemporaryFileKinds =
    SQLITE_OPEN_TEMP_DB | SQLITE_OPEN_TRANSIENT_DB | SQLITE_OPEN_TEMP_JOURNAL | SQLITE_OPEN_SUBJOURNAL;

struct CipherVfs {
    sqlite3_vfs vfs;  // first, so SQLite's pointer is ours
    sqlite3_vfs* base;
    std::string name;
};

// What SQLite allocates for each open file: our header, then the file of the
// underlying file system.
struct CipherHandle {
    sqlite3_file header;
    CipherFile* file;
};

constexpr int kHandleSize = (sizeof(CipherHandle) + 7) & ~7;

sqlite3_file* realFileOf(sqlite3_file* handle) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(handle) + kHandleSize);
}

CipherFile* fileOf(sqlite3_file* handle) {
    return reinterpret_cast<CipherHandle*>(handle)->file;
}

sqlite3_vfs* baseOf(sqlite3_vfs* vfs) {
    return reinterpret_cast<CipherVfs*>(vfs)->base;
}

// The open database files, for their journals and logs to find.
class DatabaseRegistry {
public:
    std::shared_ptr<DatabaseState> add(const char* namePointer) {
        auto state = std::make_shared<DatabaseState>();
        state->namePointer = namePointer;
        state->name = namePointer ? namePointer : "";
        std::lock_guard<std::mutex> guard(mutex);
        open.push_back(state);
        return state;
    }

    void remove(const DatabaseState* state) {
        std::lock_guard<std::mutex> guard(mutex);
        for (auto it = open.begin(); it != open.end(); ++it) {
            if (it->get() == state) {
                open.erase(it);
                return;
            }
        }
    }

    // SQLite builds the names of a database's journal and log right behind the
    // database's own name in one allocation, so the database a journal belongs
    // to is the one opened under exactly that pointer (the same file opened by
    // two connections has two).
    std::shared_ptr<DatabaseState> find(const char* companionName) {
        const char* databaseName = sqlite3_filename_database(companionName);
        std::lock_guard<std::mutex> guard(mutex);
        for (const auto& state : open) {
            if (state->namePointer == databaseName) return state;
        }
        return nullptr;
    }

private:
    std::mutex mutex;
    std::vector<std::shared_ptr<DatabaseState>> open;
};

DatabaseRegistry& registry() {
    static DatabaseRegistry instance;
    return instance;
}

int xClose(sqlite3_file* handle) {
    std::unique_ptr<CipherFile> file(fileOf(handle));
    const int rc = file->close();
    handle->pMethods = nullptr;
    return rc;
}
int xRead(sqlite3_file* h, void* b, int n, sqlite3_int64 o) { return fileOf(h)->read(b, n, o); }
int xWrite(sqlite3_file* h, const void* b, int n, sqlite3_int64 o) { return fileOf(h)->write(b, n, o); }
int xTruncate(sqlite3_file* h, sqlite3_int64 size) { return fileOf(h)->truncate(size); }
int xSync(sqlite3_file* h, int flags) { return fileOf(h)->sync(flags); }
int xFileSize(sqlite3_file* h, sqlite3_int64* size) { return fileOf(h)->fileSize(size); }
int xLock(sqlite3_file* h, int level) { return fileOf(h)->lock(level); }
int xUnlock(sqlite3_file* h, int level) { return fileOf(h)->unlock(level); }
int xCheckReservedLock(sqlite3_file* h, int* out) { return fileOf(h)->checkReservedLock(out); }
int xFileControl(sqlite3_file* h, int op, void* arg) { return fileOf(h)->fileControl(op, arg); }
int xSectorSize(sqlite3_file* h) { return fileOf(h)->sectorSize(); }
int xDeviceCharacteristics(sqlite3_file* h) { return fileOf(h)->deviceCharacteristics(); }
int xShmMap(sqlite3_file* h, int region, int size, int extend, void volatile** mapped) {
    return fileOf(h)->shmMap(region, size, extend, mapped);
}
int xShmLock(sqlite3_file* h, int offset, int n, int flags) { return fileOf(h)->shmLock(offset, n, flags); }
void xShmBarrier(sqlite3_file* h) { fileOf(h)->shmBarrier(); }
int xShmUnmap(sqlite3_file* h, int deleteFlag) { return fileOf(h)->shmUnmap(deleteFlag); }
// Mapped pages would be the enciphered bytes on disk: never hand any out.
int xFetch(sqlite3_file*, sqlite3_int64, int, void** pages) {
    *pages = nullptr;
    return SQLITE_OK;
}
int xUnfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

const sqlite3_io_methods kMethods = {
    3,
    xClose, xRead, xWrite, xTruncate, xSync, xFileSize, xLock, xUnlock, xCheckReservedLock,
    xFileControl, xSectorSize, xDeviceCharacteristics,
    xShmMap, xShmLock, xShmBarrier, xShmUnmap,
    xFetch, xUnfetch,
};

std::unique_ptr<CipherFile> makeFile(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* real, int flags,
                                     std::shared_ptr<DatabaseState> companionOf) {
    if (flags & SQLITE_OPEN_MAIN_DB) {
        return std::make_unique<DatabaseFile>(real, baseOf(vfs), registry().add(name));
    }
    if (flags & SQLITE_OPEN_MAIN_JOURNAL) return std::make_unique<JournalFile>(real, std::move(companionOf));
    if (flags & SQLITE_OPEN_WAL) return std::make_unique<LogFile>(real, std::move(companionOf));
    return std::make_unique<CipherFile>(real);
}

int xOpen(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* handle, int flags, int* outFlags) {
    handle->pMethods = nullptr;
    if (flags & kTemporaryFileKinds) return SQLITE_CANTOPEN;

    std::shared_ptr<DatabaseState> companionOf;
    if (flags & (SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL)) {
        companionOf = registry().find(name);
        // A journal whose database is unknown could not be told whether to
        // encipher, and a log cannot hold an enciphered database's pages.
        if (!companionOf) return SQLITE_CANTOPEN;
        if ((flags & SQLITE_OPEN_WAL) && companionOf->codec) return SQLITE_CANTOPEN;
    }

    sqlite3_vfs* base = baseOf(vfs);
    sqlite3_file* real = realFileOf(handle);
    std::memset(real, 0, static_cast<size_t>(base->szOsFile));
    const int rc = base->xOpen(base, name, real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (real->pMethods) real->pMethods->xClose(real);
        return rc;
    }
    reinterpret_cast<CipherHandle*>(handle)->file = makeFile(vfs, name, real, flags, std::move(companionOf)).release();
    handle->pMethods = &kMethods;
    return SQLITE_OK;
}

int xDelete(sqlite3_vfs* v, const char* name, int syncDir) { return baseOf(v)->xDelete(baseOf(v), name, syncDir); }
int xAccess(sqlite3_vfs* v, const char* name, int flags, int* out) {
    return baseOf(v)->xAccess(baseOf(v), name, flags, out);
}
int xFullPathname(sqlite3_vfs* v, const char* name, int n, char* out) {
    return baseOf(v)->xFullPathname(baseOf(v), name, n, out);
}
void* xDlOpen(sqlite3_vfs* v, const char* name) { return baseOf(v)->xDlOpen(baseOf(v), name); }
void xDlError(sqlite3_vfs* v, int n, char* message) { baseOf(v)->xDlError(baseOf(v), n, message); }
void (*xDlSym(sqlite3_vfs* v, void* library, const char* symbol))(void) {
    return baseOf(v)->xDlSym(baseOf(v), library, symbol);
}
void xDlClose(sqlite3_vfs* v, void* library) { baseOf(v)->xDlClose(baseOf(v), library); }
int xRandomness(sqlite3_vfs* v, int n, char* out) { return baseOf(v)->xRandomness(baseOf(v), n, out); }
int xSleep(sqlite3_vfs* v, int microseconds) { return baseOf(v)->xSleep(baseOf(v), microseconds); }
int xCurrentTime(sqlite3_vfs* v, double* now) { return baseOf(v)->xCurrentTime(baseOf(v), now); }
int xGetLastError(sqlite3_vfs* v, int n, char* message) {
    return baseOf(v)->xGetLastError ? baseOf(v)->xGetLastError(baseOf(v), n, message) : 0;
}
int xCurrentTimeInt64(sqlite3_vfs* v, sqlite3_int64* now) {
    sqlite3_vfs* base = baseOf(v);
    if (base->iVersion >= 2 && base->xCurrentTimeInt64) return base->xCurrentTimeInt64(base, now);
    double days = 0;
    const int rc = base->xCurrentTime(base, &days);
    *now = static_cast<sqlite3_int64>(days * 86400000.0);
    return rc;
}

// Registered file systems must outlive every connection, so they are kept for
// the life of the process.
std::list<CipherVfs>& installed() {
    static std::list<CipherVfs> instances;
    return instances;
}

int install(const char* name, const char* baseName, bool makeDefault) {
    static std::mutex mutex;
    std::lock_guard<std::mutex> guard(mutex);
    const int init = sqlite3_initialize();
    if (init != SQLITE_OK) return init;
    if (sqlite3_vfs* existing = sqlite3_vfs_find(name)) {
        return existing->xOpen == xOpen ? SQLITE_OK : SQLITE_MISUSE;
    }
    sqlite3_vfs* base = sqlite3_vfs_find(baseName);
    if (!base) return SQLITE_ERROR;

    installed().emplace_back();
    CipherVfs& layer = installed().back();
    layer.base = base;
    layer.name = name;
    sqlite3_vfs& vfs = layer.vfs;
    std::memset(&vfs, 0, sizeof(vfs));
    vfs.iVersion = 2;
    vfs.szOsFile = kHandleSize + base->szOsFile;
    vfs.mxPathname = base->mxPathname;
    vfs.zName = layer.name.c_str();
    vfs.xOpen = xOpen;
    vfs.xDelete = xDelete;
    vfs.xAccess = xAccess;
    vfs.xFullPathname = xFullPathname;
    vfs.xDlOpen = xDlOpen;
    vfs.xDlError = xDlError;
    vfs.xDlSym = xDlSym;
    vfs.xDlClose = xDlClose;
    vfs.xRandomness = xRandomness;
    vfs.xSleep = xSleep;
    vfs.xCurrentTime = xCurrentTime;
    vfs.xGetLastError = xGetLastError;
    vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
    return sqlite3_vfs_register(&vfs, makeDefault ? 1 : 0);
}

}  // namespace

void releaseDatabaseState(const DatabaseState* state) {
    registry().remove(state);
}

int registerCipherVfs() {
    static std::once_flag once;
    static int result = SQLITE_OK;
    std::call_once(once, [] { result = install(kCipherVfsName, "win32", true); });
    return result;
}

int registerCipherVfsOver(const char* name, const char* baseName) {
    return install(name, baseName, false);
}
