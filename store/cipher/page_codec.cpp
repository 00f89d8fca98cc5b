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

authenticated_page::PageSealer* PageCodec::sealerFor(const CipherKey& key, bool forWriting) {
    const auto& keys = key.sharedPageKeys();
    if (!keys) return nullptr;
    // Read and write keys are the same in normal use: one set of objects serves both.
    if (readSealer && readSealer->keys() == keys.get()) return readSealer.get();
    if (writeSealer && writeSealer->keys() == keys.get()) return writeSealer.get();
    auto& slot = forWriting ? writeSealer : readSealer;
    slot = std::make_unique<authenticated_page::PageSealer>(keys);
    return slot->isReady() ? slot.get() : nullptr;
}

PageCodec::Check PageCodec::decipherPage(unsigned char* page, uint32_t pageNumber) {
    if (!hasReadKey) return Check::ok;
    if (readKey.format() == CipherFormat::format1) {
        decipherBlock(page, pageSize, readKey.area(), readKey.length());
        return Check::ok;
    }
    authenticated_page::PageSealer* sealer = sealerFor(readKey, false);
    if (!sealer) return Check::wrongKey;
    switch (sealer->open(page, pageNumber)) {
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
    authenticated_page::PageSealer* sealer = sealerFor(key, useWriteKey);
    return sealer && pageSize == authenticated_page::kPageSize && sealer->seal(page, pageNumber, pageBuffer)
               ? pageBuffer
               : nullptr;
}

const unsigned char* PageCodec::pageToWrite(const unsigned char* page, uint32_t pageNumber) {
    return hasWriteKey ? encipherCopy(page, pageNumber, true) : page;
}
