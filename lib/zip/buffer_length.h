#pragma once

#include "core/qbuffer.h"

namespace kiln {
namespace qzip {

// Makes the first n bytes of the buffer's block its content, for data that
// was written straight into the block (n at most the capacity). QBuffer has
// no length setter; appending the block's own bytes to the emptied buffer
// sets the length without a second copy of the data.
inline void SetBufferLength(qstd::QBuffer& buffer, unsigned n) {
    buffer.RemoveAll();
    buffer.Append(buffer.GetData(), n);
}

}  // namespace qzip
}  // namespace kiln
