#pragma once

#include <cstdint>
#include <memory>

#include "store/cipher/authenticated_page.h"
#include "store/cipher/cipher_key.h"

// The codec context of one enciphered database: the key the pages now on disk
// are enciphered under (read key), the key pages are to be written under
// (write key), the block length, and one buffer that receives the enciphered
// copy of a page on its way out, so the page itself (the engine's cached copy)
// stays plain and no page costs an allocation. Each key enciphers in its own
// format; format 2 keys are bound to their file's salt first (cipher_key.h).
// The platform's key objects for format 2 belong to the codec, one set per
// key, so that every connection has its own and none is made per page.
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

    // What reading a stored page found. Format 1 cannot tell: every page
    // reads as ok.
    enum class Check { ok, wrongKey, damaged };

    PageCodec() = default;
    PageCodec(const PageCodec&) = delete;
    PageCodec& operator=(const PageCodec&) = delete;

    void setReadKey(const CipherKey& key);
    void setWriteKey(const CipherKey& key);

    // Deciphers pageSize bytes of page pageNumber in place under the read
    // key; plain pages are left alone. A page that is not ok holds no data
    // of the file afterwards.
    Check decipherPage(unsigned char* page, uint32_t pageNumber);
    // Copies page into pageBuffer enciphered with the write key (useWriteKey)
    // or the read key. Valid until the next use of this codec; null when the
    // page cannot be enciphered (format 2 refuses a page 1 that does not keep
    // its 64 bytes free).
    const unsigned char* encipherCopy(const unsigned char* page, uint32_t pageNumber, bool useWriteKey);
    // What to write for a page: the enciphered copy, or the page itself while
    // there is no write key.
    const unsigned char* pageToWrite(const unsigned char* page, uint32_t pageNumber);

    bool hasReadKey = false;
    bool hasWriteKey = false;
    CipherKey writeKey;
    CipherKey readKey;
    uint32_t pageSize = kPageSize;
    unsigned char pageBuffer[kLargestPageSize];

private:
    // The sealer of a bound format 2 key, made when the key is first used
    // with its salt; null when the platform cannot make one.
    authenticated_page::PageSealer* sealerFor(const CipherKey& key, bool forWriting);

    std::unique_ptr<authenticated_page::PageSealer> readSealer;
    std::unique_ptr<authenticated_page::PageSealer> writeSealer;
};
