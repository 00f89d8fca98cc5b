#pragma once

#include <windows.h>

#include "core/qbuffer.h"
#include "core/qstring.h"

// A picture file (BMP, GIF, JPEG, PNG, TIFF, ICO: its first frame) decoded
// into a top-down 32-bit premultiplied BGRA section the caller deletes; null
// when the file cannot be decoded. COM must be initialised on the thread.
HBITMAP DecodePictureFile(const kiln::qstd::QString& path);

// The same for a picture held in memory (a resource), scaled smoothly to
// width × height pixels.
HBITMAP DecodePictureBytes(const void* bytes, DWORD size, UINT width, UINT height);

// The first frame of a picture file, with its resolution, written as a PNG
// file's bytes appended to png; false when the file cannot be decoded or
// encoded. COM must be initialised on the thread.
bool EncodePictureFileAsPng(const kiln::qstd::QString& path, kiln::qstd::QBuffer& png);
