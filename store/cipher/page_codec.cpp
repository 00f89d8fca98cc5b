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

void PageCodec::decipherPage(unsigned char* page) const {
    if (hasReadKey) decipherBlock(page, pageSize, readKey.area(), readKey.length());
}

const unsigned char* PageCodec::encipherCopy(const unsigned char* page, bool useWriteKey) {
    const CipherKey& key = useWriteKey ? writeKey : readKey;
    std::memcpy(pageBuffer, page, pageSize);
    encipherBlock(pageBuffer, pageSize, key.area(), key.length());
    return pageBuffer;
}

const unsigned char* PageCodec::pageToWrite(const unsigned char* page) {
    return hasWriteKey ? encipherCopy(page, true) : page;
}
