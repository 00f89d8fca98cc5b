#pragma once

#include <cstdint>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "zip/qarcreader.h"
#include "zip/qinflater.h"
#include "zip/qzip_entry_reader.h"

namespace kiln {
namespace qzip {

// Reader of ZIP archives: finds the central directory from the end of the
// file, fills the path tree from it, and extracts single entries into
// memory, stored ones as they are and deflated ones through its own decoder.
// Archives come from anywhere: no input makes it read or write outside a
// buffer, allocate more than the file can justify, or hang.
class QZipReader : public QArcReader {
public:
    // What the end-of-central-directory record (or its ZIP64 form) says.
    struct DirectoryEnd {
        uint32_t thisDisk = 0;
        uint32_t directoryDisk = 0;
        uint64_t entriesOnDisk = 0;
        uint64_t totalEntries = 0;
        uint64_t directorySize = 0;
        uint64_t directoryOffset = 0;
        uint16_t commentLength = 0;
        bool zip64 = false;
    };

    QZipReader();
    ~QZipReader() override;

    bool ReadDirectory() override;

    // Decompresses the entry at path (exact, case-sensitive) into out. An
    // empty entry succeeds and leaves out as it was. On failure out may hold
    // partial data.
    bool Extract(const qstd::QString& path, qstd::QBuffer& out);

    // Prepares entry to give the item's bytes a piece at a time: only its
    // compressed data is read now. False for an entry that cannot be read
    // (outside the file, an unknown method, sizes no data could have).
    bool OpenEntry(const QZFileItem& item, QZipEntryReader& entry);

    // Raw DEFLATE of a whole buffer. On entry `produced` is the room at dest,
    // on return the bytes written. 0 on success, -1 on a data error.
    int Inflate(unsigned char* dest, uint64_t& produced, const unsigned char* src, uint64_t srcLength) const;

    const DirectoryEnd& GetDirectoryEnd() const { return directoryEnd; }

private:
    bool FindDirectoryEnd(uint64_t& position);
    bool ReadDirectoryEnd(uint64_t position);
    bool ReadZip64End(uint64_t endPosition);
    bool ReadEntries();
    bool ReadEntry(uint64_t& position);
    bool ExtractItem(const QZFileItem& item, qstd::QBuffer& out);
    // The entry's data as the archive holds it, checked as every use needs;
    // empty for an empty entry.
    bool ReadEntryData(const QZFileItem& item, qstd::QBuffer& data);

    QInflater inflater;
    DirectoryEnd directoryEnd;
};

}  // namespace qzip
}  // namespace kiln
