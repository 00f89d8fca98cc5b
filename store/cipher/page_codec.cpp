#include "store/cipher/page_codec.h"

#include <cstring>

#include "store/cipher/page_cipher.h"

void PageCodec::setReadKey(const CipherKey& key) {
    readKey = key;
    hasReadKey = !key.isEmpty();
}

void PageCodec::setWriteKey(const CipherKey& key) {
    writeKey = key;
    hasWriteKey = !key.isEmpty();
}

PageCodec::Check PageCodec::decipherPage(unsigned char* page, uint32_t pageNumber) const {
    if (!hasReadKey) return Check::ok;
    if (readKey.format() == CipherFormat::format1) {
        decipherBlock(page, pageSize, readKey.area(), readKey.length());
        return Check::ok;
    }
    const authenticated_page::PageKeys* keys = readKey.pageKeys();
    if (!keys) return Check::wrongKey;
    switch (keys->open(page, pageNumber)) {
    case authenticated_page::Check::ok:
        return Check::ok;
    case authenticated_page::Check::wrongKey:
        std::memset(page, 0, pageSize);
        return Check::wrongKey;
    case authenticated_page::Check::damaged:
        break;
    }
    return Check::damaged;
}

const unsigned char* PageCodec::encipherCopy(const unsigned char* page, uint32_t pageNumber, bool useWriteKey) {
    const CipherKey& key = useWriteKey ? writeKey : readKey;
    if (key.format() == CipherFormat::format1) {
        std::memcpy(pageBuffer, page, pageSize);
        encipherBlock(pageBuffer, pageSize, key.area(), key.length());
        return pageBuffer;
    }
    const authenticated_page::PageKeys* keys = key.pageKeys();
    return keys && pageSize == authenticated_page::kPageSize && keys->seal(page, pageNumber, pageBuffer) ? pageBuffer
                                                                                                         : nullptr;
}

const unsigned char* PageCodec::pageToWrite(const unsigned char* page, uint32_t pageNumber) {
    return hasWriteKey ? encipherCopy(page, pageNumber, true) : page;
}
