#include "core/text_encoding.h"

namespace kiln {
namespace qstd {

TextStart DetectTextStart(const unsigned char* b, size_t count) {
    if (count < 4) return {TextEncoding::CodePage, 0};
    if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return {TextEncoding::Utf8, 3};
    if (b[0] == 0xFF && b[1] == 0xFE) return {TextEncoding::Utf16LittleEndian, 2};
    if (b[1] == 0 && b[3] == 0) return {TextEncoding::Utf16LittleEndian, 0};
    if (b[0] == 0xFE && b[1] == 0xFF) return {TextEncoding::Utf16BigEndian, 2};
    if (b[0] == 0 && b[2] == 0) return {TextEncoding::Utf16BigEndian, 0};
    return {TextEncoding::CodePage, 0};
}

bool Utf8Check::Feed(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; valid && i < count; ++i) {
        const unsigned char c = bytes[i];
        if (pending > 0) {
            if (c < low || c > high) {
                valid = false;
                break;
            }
            low = 0x80;
            high = 0xBF;
            --pending;
            continue;
        }
        if (c < 0x80) continue;
        beyondAscii = true;
        if (c >= 0xC2 && c <= 0xDF) {
            pending = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            pending = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            pending = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            valid = false;
        }
    }
    return valid;
}

}  // namespace qstd
}  // namespace kiln
