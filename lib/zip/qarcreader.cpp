#include "zip/qarcreader.h"

#include <cstring>
#include <new>

#include "zip/buffer_length.h"
#include "zip/unix_time.h"

namespace kiln {
namespace qzip {

namespace {

const uint32_t CacheBlock = 64 * 1024;

}  // namespace

QArcReader::QArcReader() = default;
QArcReader::~QArcReader() = default;

bool QArcReader::Open(const qstd::QString& archivePath) {
    Close();
    try {
        path = archivePath;
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!file.Open(path, files::QFile::modeRead)) {
        return false;
    }
    const LONGLONG length = file.GetSize();
    size = length > 0 ? static_cast<uint64_t>(length) : 0;
    FILETIME lastWrite;
    time = GetFileTime(file.GetHandle(), nullptr, nullptr, &lastWrite) ? FileTimeToUnixSeconds(lastWrite) : 0;
    return true;
}

void QArcReader::Close() {
    file.Close();
    cache.RemoveAll();
}

bool QArcReader::ReadDirectory() {
    return false;
}

bool QArcReader::ReadAt(uint64_t offset, void* buffer, uint32_t n) {
    if (offset > size || n > size - offset) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    const bool cached = offset >= cacheOffset && offset - cacheOffset <= cache.GetCount() &&
                        n <= cache.GetCount() - (offset - cacheOffset);
    if (!cached) {
        if (n > CacheBlock) {
            return ReadFromFile(offset, buffer, n);
        }
        const uint64_t rest = size - offset;
        const uint32_t block = rest < CacheBlock ? static_cast<uint32_t>(rest) : CacheBlock;
        cache.RemoveAll();
        try {
            cache.SetCapacity(block);
        } catch (const std::bad_alloc&) {
            return ReadFromFile(offset, buffer, n);
        }
        if (!ReadFromFile(offset, cache.GetData(), block)) {
            return false;
        }
        SetBufferLength(cache, block);
        cacheOffset = offset;
    }
    memcpy(buffer, cache.GetData() + (offset - cacheOffset), n);
    return true;
}

bool QArcReader::ReadFromFile(uint64_t offset, void* buffer, uint32_t n) {
    if (!file.Seek(static_cast<LONGLONG>(offset), files::QFile::seekBegin)) {
        return false;
    }
    unsigned char* into = static_cast<unsigned char*>(buffer);
    while (n > 0) {
        const DWORD got = file.Read(into, n);
        if (got == 0) {
            return false;
        }
        into += got;
        n -= got;
    }
    return true;
}

}  // namespace qzip
}  // namespace kiln
