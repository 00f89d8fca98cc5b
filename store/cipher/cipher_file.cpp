#include "store/cipher/cipher_files.h"

int CipherFile::close() {
    return real->pMethods->xClose(real);
}

int CipherFile::read(void* buffer, int amount, sqlite3_int64 offset) {
    return real->pMethods->xRead(real, buffer, amount, offset);
}

int CipherFile::write(const void* buffer, int amount, sqlite3_int64 offset) {
    return real->pMethods->xWrite(real, buffer, amount, offset);
}

int CipherFile::truncate(sqlite3_int64 size) {
    return real->pMethods->xTruncate(real, size);
}

int CipherFile::sync(int flags) {
    return real->pMethods->xSync(real, flags);
}

int CipherFile::fileSize(sqlite3_int64* size) {
    return real->pMethods->xFileSize(real, size);
}

int CipherFile::lock(int level) {
    return real->pMethods->xLock(real, level);
}

int CipherFile::unlock(int level) {
    return real->pMethods->xUnlock(real, level);
}

int CipherFile::checkReservedLock(int* reserved) {
    return real->pMethods->xCheckReservedLock(real, reserved);
}

int CipherFile::fileControl(int op, void* argument) {
    if (op == SQLITE_FCNTL_MMAP_SIZE) {
        // Mapped reads would bypass the layer; the limit stays at nothing.
        *static_cast<sqlite3_int64*>(argument) = 0;
        return SQLITE_OK;
    }
    return real->pMethods->xFileControl(real, op, argument);
}

int CipherFile::sectorSize() {
    return real->pMethods->xSectorSize(real);
}

int CipherFile::deviceCharacteristics() {
    return real->pMethods->xDeviceCharacteristics(real);
}

int CipherFile::shmMap(int region, int regionSize, int extend, void volatile** mapped) {
    if (real->pMethods->iVersion < 2 || !real->pMethods->xShmMap) return SQLITE_IOERR_SHMMAP;
    return real->pMethods->xShmMap(real, region, regionSize, extend, mapped);
}

int CipherFile::shmLock(int offset, int n, int flags) {
    if (real->pMethods->iVersion < 2 || !real->pMethods->xShmLock) return SQLITE_IOERR_SHMLOCK;
    return real->pMethods->xShmLock(real, offset, n, flags);
}

void CipherFile::shmBarrier() {
    if (real->pMethods->iVersion >= 2 && real->pMethods->xShmBarrier) real->pMethods->xShmBarrier(real);
}

int CipherFile::shmUnmap(int deleteFlag) {
    if (real->pMethods->iVersion < 2 || !real->pMethods->xShmUnmap) return SQLITE_OK;
    return real->pMethods->xShmUnmap(real, deleteFlag);
}
