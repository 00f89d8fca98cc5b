// Finding the end-of-central-directory record and reading the directory.
#include "zip/qzipreader.h"

#include <new>

#include "core/qpathstr.h"
#include "zip/unix_time.h"
#include "zip/zip_format.h"

namespace kiln {
namespace qzip {

using namespace format;

namespace {

const uint32_t SearchWindow = 1024;
// A comment of at most 65535 bytes after the 22-byte record.
const uint64_t SearchLimit = 65535 + EndOfDirectorySize;

// Values that do not fit a 32-bit field are marked 0xFFFFFFFF and stored in
// the ZIP64 extended-information field, in this order, each only when its
// field is marked.
void ApplyZip64Extra(const unsigned char* extra, unsigned length, QZFileItem& item) {
    unsigned at = 0;
    while (length - at >= 4) {
        const uint16_t id = Read16(extra + at);
        const unsigned fieldLength = Read16(extra + at + 2);
        at += 4;
        if (fieldLength > length - at) {
            return;
        }
        if (id == Zip64ExtraId) {
            const unsigned char* value = extra + at;
            const unsigned char* valueEnd = value + fieldLength;
            uint64_t* const marked[] = {&item.uncompressedSize, &item.compressedSize, &item.localHeaderOffset};
            for (uint64_t* field : marked) {
                if (*field != Zip64Marker32) {
                    continue;
                }
                if (valueEnd - value < 8) {
                    return;
                }
                *field = Read64(value);
                value += 8;
            }
            return;
        }
        at += fieldLength;
    }
}

bool EndsWithSlash(const qstd::QString& name) {
    const int length = name.GetLength();
    return length > 0 && (name.c_str()[length - 1] == L'/' || name.c_str()[length - 1] == L'\\');
}

}  // namespace

bool QZipReader::ReadDirectory() {
    directoryEnd = DirectoryEnd();
    uint64_t position;
    if (!FindDirectoryEnd(position) || !ReadDirectoryEnd(position)) {
        return false;
    }
    try {
        return ReadEntries();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Backwards through overlapping windows, nearest the end first. The windows
// overlap by 3 bytes so a signature cut by a window edge is still seen.
bool QZipReader::FindDirectoryEnd(uint64_t& position) {
    if (size <= EndOfDirectorySize) {
        return false;
    }
    // A signature in the last 21 bytes cannot start a whole record.
    const uint64_t lastPossible = size - EndOfDirectorySize;
    unsigned char window[SearchWindow];
    uint64_t start = size > SearchWindow ? size - SearchWindow : 0;
    for (;;) {
        const uint64_t rest = size - start;
        const uint32_t length = rest < SearchWindow ? static_cast<uint32_t>(rest) : SearchWindow;
        if (!ReadAt(start, window, length)) {
            return false;
        }
        uint64_t i = length - 4;
        if (start + i > lastPossible) {
            i = lastPossible - start;
        }
        for (;; --i) {
            if (Read32(window + i) == EndOfDirectorySignature) {
                position = start + i;
                return true;
            }
            if (i == 0) {
                break;
            }
        }
        if (start == 0 || size - start >= SearchLimit) {
            return false;
        }
        start = start > SearchWindow - 3 ? start - (SearchWindow - 3) : 0;
    }
}

bool QZipReader::ReadDirectoryEnd(uint64_t position) {
    unsigned char record[EndOfDirectorySize];
    if (!ReadAt(position, record, EndOfDirectorySize)) {
        return false;
    }
    directoryEnd.thisDisk = Read16(record + 4);
    directoryEnd.directoryDisk = Read16(record + 6);
    directoryEnd.entriesOnDisk = Read16(record + 8);
    directoryEnd.totalEntries = Read16(record + 10);
    directoryEnd.directorySize = Read32(record + 12);
    directoryEnd.directoryOffset = Read32(record + 16);
    directoryEnd.commentLength = Read16(record + 20);
    if (directoryEnd.entriesOnDisk == Zip64Marker16 && directoryEnd.totalEntries == Zip64Marker16) {
        return ReadZip64End(position);
    }
    return true;
}

bool QZipReader::ReadZip64End(uint64_t endPosition) {
    unsigned char locator[Zip64LocatorSize];
    if (endPosition < Zip64LocatorSize || !ReadAt(endPosition - Zip64LocatorSize, locator, Zip64LocatorSize) ||
        Read32(locator) != Zip64LocatorSignature) {
        return false;
    }
    unsigned char record[Zip64EndSize];
    if (!ReadAt(Read64(locator + 8), record, Zip64EndSize) || Read32(record) != Zip64EndSignature) {
        return false;
    }
    directoryEnd.thisDisk = Read32(record + 16);
    directoryEnd.directoryDisk = Read32(record + 20);
    directoryEnd.entriesOnDisk = Read64(record + 24);
    directoryEnd.totalEntries = Read64(record + 32);
    directoryEnd.directorySize = Read64(record + 40);
    directoryEnd.directoryOffset = Read64(record + 48);
    directoryEnd.zip64 = true;
    return true;
}

// Every header takes at least 46 bytes of the file, so a count that lies
// ends at the first read past the end of the file.
bool QZipReader::ReadEntries() {
    uint64_t position = directoryEnd.directoryOffset;
    for (uint64_t i = 0; i < directoryEnd.totalEntries; ++i) {
        if (!ReadEntry(position)) {
            return false;
        }
    }
    return true;
}

bool QZipReader::ReadEntry(uint64_t& position) {
    unsigned char header[CentralHeaderSize];
    if (!ReadAt(position, header, CentralHeaderSize) || Read32(header) != CentralHeaderSignature) {
        return false;
    }
    const unsigned nameLength = Read16(header + 28);
    const unsigned extraLength = Read16(header + 30);
    const unsigned commentLength = Read16(header + 32);

    // 64 KB each at most: both fit the field's 16 bits.
    qstd::QBuffer bytes;
    bytes.SetCapacity(nameLength + extraLength + 1);
    unsigned char* name = bytes.GetData();
    unsigned char* extra = name + nameLength;
    if (!ReadAt(position + CentralHeaderSize, name, nameLength + extraLength)) {
        return false;
    }

    QZFileItem item;
    // Always UTF-8, whatever the language-encoding flag says.
    files::QPathStr decoded(reinterpret_cast<const char*>(name), static_cast<int>(nameLength), CP_UTF8);
    item.attributes = EndsWithSlash(decoded) ? QZFileItem::AttrDirectory : QZFileItem::AttrArchive;
    decoded.ToForwardSlashes();
    item.name = decoded;
    item.compressionMethod = Read16(header + 10);
    item.modificationTime = DosTimeToUnixSeconds(Read16(header + 14), Read16(header + 12));
    item.compressedSize = Read32(header + 20);
    item.uncompressedSize = Read32(header + 24);
    item.localHeaderOffset = Read32(header + 42);
    ApplyZip64Extra(extra, extraLength, item);

    tree.Add(item);
    position += CentralHeaderSize + nameLength + extraLength + commentLength;
    return true;
}

}  // namespace qzip
}  // namespace kiln
