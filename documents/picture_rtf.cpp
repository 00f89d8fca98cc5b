#include "documents/picture_rtf.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

using kiln::qstd::QBuffer;

namespace documents {

namespace {

uint32_t BigEndian32(const unsigned char* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

unsigned BigEndian16(const unsigned char* p) {
    return (static_cast<unsigned>(p[0]) << 8) | p[1];
}

bool ReadPngHeader(const unsigned char* bytes, size_t count, PictureHeader& header) {
    static const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (count < 33 || std::memcmp(bytes, signature, sizeof signature) != 0 ||
        std::memcmp(bytes + 12, "IHDR", 4) != 0) {
        return false;
    }
    PictureHeader found;
    found.format = PictureFormat::Png;
    found.width = BigEndian32(bytes + 16);
    found.height = BigEndian32(bytes + 20);
    // The resolution chunk must come before the first pixel data.
    for (size_t at = 8; at + 8 <= count;) {
        const uint32_t length = BigEndian32(bytes + at);
        const unsigned char* type = bytes + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "pHYs", 4) == 0 && length >= 9 && at + 17 <= count && bytes[at + 16] == 1) {
            // Pixels per metre.
            const uint32_t x = BigEndian32(bytes + at + 8);
            const uint32_t y = BigEndian32(bytes + at + 12);
            if (x && y) {
                found.dpiX = x * 0.0254;
                found.dpiY = y * 0.0254;
            }
        }
        if (length > count - at - 12) break;
        at += 12 + static_cast<size_t>(length);
    }
    if (found.width == 0 || found.height == 0) return false;
    header = found;
    return true;
}

bool IsFrameMarker(unsigned char marker) {
    // Start of frame, any coding; C4, C8 and CC are other tables.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool ReadJpegHeader(const unsigned char* bytes, size_t count, PictureHeader& header) {
    if (count < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    PictureHeader found;
    found.format = PictureFormat::Jpeg;
    size_t at = 2;
    while (at + 4 <= count) {
        if (bytes[at] != 0xFF) return false;
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // the pixels before any frame
        const unsigned length = BigEndian16(bytes + at + 2);
        if (length < 2 || length > count - at - 2) return false;
        const unsigned char* segment = bytes + at + 4;
        if (marker == 0xE0 && length >= 14 && std::memcmp(segment, "JFIF\0", 5) == 0) {
            const unsigned units = segment[7];
            const unsigned x = BigEndian16(segment + 8);
            const unsigned y = BigEndian16(segment + 10);
            if ((units == 1 || units == 2) && x && y) {
                const double perInch = units == 1 ? 1.0 : 2.54;
                found.dpiX = x * perInch;
                found.dpiY = y * perInch;
            }
        } else if (IsFrameMarker(marker) && length >= 7) {
            found.height = BigEndian16(segment + 1);
            found.width = BigEndian16(segment + 3);
            if (found.width == 0 || found.height == 0) return false;
            header = found;
            return true;
        }
        at += 2 + length;
    }
    return false;
}

void AppendText(QBuffer& rtf, const char* text) {
    rtf.Append(text, static_cast<unsigned>(std::strlen(text)));
}

long Twips(unsigned pixels, double dpi) {
    return std::lround(pixels * 1440.0 / dpi);
}

}  // namespace

bool ReadPictureHeader(const unsigned char* bytes, size_t count, PictureHeader& header) {
    return ReadPngHeader(bytes, count, header) || ReadJpegHeader(bytes, count, header);
}

bool AppendPictureGroup(const unsigned char* bytes, size_t count, QBuffer& rtf) {
    PictureHeader header;
    if (!ReadPictureHeader(bytes, count, header)) return false;
    char words[160];
    std::snprintf(words, sizeof words, "{\\pict\\%s\\picw%u\\pich%u\\picwgoal%ld\\pichgoal%ld\r\n",
                  header.format == PictureFormat::Png ? "pngblip" : "jpegblip", header.width, header.height,
                  Twips(header.width, header.dpiX), Twips(header.height, header.dpiY));
    AppendText(rtf, words);
    static const char digits[] = "0123456789abcdef";
    // Lines of 128 digits, as rich edit controls write them.
    char line[130];
    for (size_t at = 0; at < count;) {
        unsigned used = 0;
        for (size_t end = at + 64 < count ? at + 64 : count; at < end; ++at) {
            line[used++] = digits[bytes[at] >> 4];
            line[used++] = digits[bytes[at] & 15];
        }
        line[used++] = '\r';
        line[used++] = '\n';
        rtf.Append(line, used);
    }
    AppendText(rtf, "}");
    return true;
}

void AppendPictureDocument(const QBuffer& group, QBuffer& rtf) {
    AppendText(rtf, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Verdana;}}\r\n\\pard ");
    rtf.Append(group.GetData(), group.GetCount());
    AppendText(rtf, "\\par\r\n}");
}

}  // namespace documents
