#pragma once

#include <cstddef>

#include "core/qbuffer.h"

namespace documents {

// The formats RTF carries as they are.
enum class PictureFormat { Png, Jpeg };

// What a picture file's header says about it: its size in pixels and its
// resolution in dots per inch (96 where the file gives none).
struct PictureHeader {
    PictureFormat format = PictureFormat::Png;
    unsigned width = 0;
    unsigned height = 0;
    double dpiX = 96;
    double dpiY = 96;
};

// The header of a PNG (IHDR, and pHYs when it comes before the pixels) or a
// JPEG file (its frame header, and the JFIF density); false for anything
// else or a header cut short.
bool ReadPictureHeader(const unsigned char* bytes, size_t count, PictureHeader& header);

// A PNG or JPEG picture as an RTF picture group appended to rtf: its size
// in pixels and its shown size in twips from the header's resolution, its
// bytes in hexadecimal. False, rtf untouched, for other bytes.
bool AppendPictureGroup(const unsigned char* bytes, size_t count, kiln::qstd::QBuffer& rtf);

// A whole document holding nothing but the picture group.
void AppendPictureDocument(const kiln::qstd::QBuffer& group, kiln::qstd::QBuffer& rtf);

}  // namespace documents
