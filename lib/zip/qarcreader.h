#pragma once

#include <cstdint>

#include "core/qbuffer.h"
#include "core/qfile.h"
#include "core/qstring.h"
#include "zip/qztree.h"

namespace kiln {
namespace qzip {

// An archive file and the tree of its entries. Subclasses know a format:
// they find and parse the directory and extract entries.
//
// Calling order: construct, Open, ReadDirectory, any number of extractions,
// Close, destroy. Nothing here throws: failures answer false.
class QArcReader {
public:
    QArcReader();
    QArcReader(const QArcReader&) = delete;
    QArcReader& operator=(const QArcReader&) = delete;
    virtual ~QArcReader();

    // Opens the file for reading and notes its size and last-write time.
    virtual bool Open(const qstd::QString& path);
    // The tree stays usable; extraction needs the file open.
    virtual void Close();
    virtual bool ReadDirectory();

    const qstd::QString& GetPath() const { return path; }
    uint64_t GetSize() const { return size; }
    // Seconds since 1970-01-01 UTC.
    int64_t GetTime() const { return time; }
    const QZTree& GetTree() const { return tree; }

protected:
    // Exactly n bytes at offset, or false. Small reads come from a cached
    // block, so walking a directory of many small records costs few calls
    // into the system.
    bool ReadAt(uint64_t offset, void* buffer, uint32_t n);

    qstd::QString path;
    files::QFile file;
    uint64_t size = 0;
    int64_t time = 0;
    QZTree tree;

private:
    bool ReadFromFile(uint64_t offset, void* buffer, uint32_t n);

    qstd::QBuffer cache;
    uint64_t cacheOffset = 0;
};

}  // namespace qzip
}  // namespace kiln
