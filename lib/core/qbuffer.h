#pragma once

#include "core/qarray.h"

namespace kiln {
namespace qstd {

// Growable byte buffer that carries RTF streams, file contents and archive
// members. GetData() and GetCount() give the bytes, RemoveAll() empties it
// and keeps the block.
class QBuffer : public QArray<unsigned char> {
public:
    // Grows by at least 1024 bytes, or by half the capacity once that is
    // above 4096, so a streamed document is not copied for every chunk.
    void Append(const void* bytes, unsigned n);
};

}  // namespace qstd
}  // namespace kiln
