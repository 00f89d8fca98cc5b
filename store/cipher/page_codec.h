#pragma once

#include <cstdint>

#include "store/cipher/cipher_key.h"

// The codec context of one enciphered database: the key the pages now on disk
// are enciphered under (read key), the key pages are to be written under
// (write key), the block length, and one buffer that receives the enciphered
// copy of a page on its way out, so the page itself (the engine's cached copy)
// stays plain and no page costs an allocation.
//
//   read key  write key
//      no        no       plain file, written plain
//      yes       yes      enciphered file in normal use (the same key)
//      no        yes      a password being set: plain pages in, enciphered out
//      yes       no       a password being removed
//      yes       yes      a password being changed (different keys)
class PageCodec {
public:
    // Every enciphered database has pages of this size; it is the cipher's block.
    static constexpr uint32_t kPageSize = 4096;
    static constexpr uint32_t kLargestPageSize = 65536;

    PageCodec() = default;
    PageCodec(const PageCodec&) = delete;
    PageCodec& operator=(const PageCodec&) = delete;

    void setReadKey(const CipherKey& key);
    void setWriteKey(const CipherKey& key);

    // Deciphers pageSize bytes in place under the read key; plain pages are left alone.
    void decipherPage(unsigned char* page) const;
    // Copies pageSize bytes of page into pageBuffer and enciphers the copy with
    // the write key (useWriteKey) or the read key. Valid until the next use of
    // this codec.
    const unsigned char* encipherCopy(const unsigned char* page, bool useWriteKey);
    // What to write for a page: the enciphered copy, or the page itself while
    // there is no write key.
    const unsigned char* pageToWrite(const unsigned char* page);

    bool hasReadKey = false;
    bool hasWriteKey = false;
    CipherKey writeKey;
    CipherKey readKey;
    uint32_t pageSize = kPageSize;
    unsigned char pageBuffer[kLargestPageSize];
};
