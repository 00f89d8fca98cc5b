#pragma once

#include "core/qbuffer.h"
#include "core/qstring.h"

namespace documents {

// The picture file at path as an RTF picture group appended to group: PNG
// and JPEG as they are, the other kinds the imaging component decodes (BMP,
// GIF, TIFF, ICO: their first frame) converted to PNG. False, group
// untouched, when the file cannot be read or decoded. COM must be
// initialised on the thread for the kinds that are converted.
bool ReadPictureFileGroup(const kiln::qstd::QString& path, kiln::qstd::QBuffer& group);

}  // namespace documents
