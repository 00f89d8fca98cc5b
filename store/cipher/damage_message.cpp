#include "store/cipher/damage_message.h"

#include <cwchar>

kiln::qstd::QString damagedFileMessage(uint32_t pageNumber) {
    wchar_t text[80];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"The file is damaged: page %lu failed its check.",
                  static_cast<unsigned long>(pageNumber));
    return kiln::qstd::QString(text);
}
