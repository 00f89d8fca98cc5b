#include "store/cipher/authenticated_page.h"

#include <windows.h>

#include <cstring>
#include <utility>

namespace authenticated_page {

const unsigned char kMark[kMarkBytes] = {'V', 'o', 'r', 'l', 'e', 'n', 0x00, 0x02};

namespace {

using platform_crypto::Part;

const unsigned char kSqliteHeaderMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                              'o', 'r', 'm', 'a', 't', ' ', '3', 0};

// HKDF-Expand for one block of output: HMAC(master, label || 0x01).
bool expand(const unsigned char* master, const char* label, unsigned char out[32]) {
    const unsigned char counter = 1;
    const Part parts[] = {{label, std::strlen(label)}, {&counter, 1}};
    return platform_crypto::hmacSha256(master, 32, parts, 2, out);
}

uint32_t cipherStart(uint32_t pageNumber) {
    return pageNumber == 1 ? kPageOneCipherStart : 0;
}

// The engine's header of page 1 as this format requires it: 4096-byte pages
// with 64 bytes kept free.
bool pageOneFits(const unsigned char* plain) {
    return std::memcmp(plain, kSqliteHeaderMagic, sizeof(kSqliteHeaderMagic)) == 0 && plain[16] == 0x10 &&
           plain[17] == 0x00 && plain[20] == kReservedBytes;
}

}  // namespace

bool hasMark(const unsigned char* storedPageOne) {
    return std::memcmp(storedPageOne, kMark, kMarkBytes) == 0;
}

std::shared_ptr<const PageKeys> PageKeys::derive(const unsigned char* password, uint32_t length,
                                                 const unsigned char salt[kSaltBytes]) {
    std::shared_ptr<PageKeys> keys(new PageKeys());
    unsigned char master[32];
    unsigned char encryptionKey[32];
    unsigned char check[32];
    const bool ok = platform_crypto::pbkdf2Sha256(password, length, salt, kSaltBytes, kIterations, master,
                                                  sizeof(master)) &&
                    expand(master, "Vorlen page cipher", encryptionKey) &&
                    expand(master, "Vorlen page MAC", keys->macKey) && expand(master, "Vorlen key check", check);
    std::memcpy(keys->encryptionKey, encryptionKey, sizeof(encryptionKey));
    std::memcpy(keys->fileSalt, salt, kSaltBytes);
    std::memcpy(keys->keyCheck, check, kCheckBytes);
    SecureZeroMemory(master, sizeof(master));
    SecureZeroMemory(encryptionKey, sizeof(encryptionKey));
    SecureZeroMemory(check, sizeof(check));
    if (!ok) return nullptr;
    return keys;
}

PageKeys::~PageKeys() {
    SecureZeroMemory(encryptionKey, sizeof(encryptionKey));
    SecureZeroMemory(macKey, sizeof(macKey));
    SecureZeroMemory(keyCheck, sizeof(keyCheck));
}

PageSealer::PageSealer(std::shared_ptr<const PageKeys> keys) : pageKeys(std::move(keys)) {
    ready = pageKeys && cipher.set(pageKeys->encryptionKey) &&
            authenticator.set(pageKeys->macKey, sizeof(pageKeys->macKey));
}

bool PageSealer::mac(const unsigned char* page, uint32_t pageNumber, unsigned char out[32]) const {
    const unsigned char number[4] = {static_cast<unsigned char>(pageNumber >> 24),
                                     static_cast<unsigned char>(pageNumber >> 16),
                                     static_cast<unsigned char>(pageNumber >> 8),
                                     static_cast<unsigned char>(pageNumber)};
    const uint32_t start = cipherStart(pageNumber);
    const Part parts[] = {{number, 4}, {page + kIvOffset, 16}, {page + start, kContentEnd - start}};
    return ready && authenticator.mac(parts, 3, out);
}

Check PageSealer::open(unsigned char* page, uint32_t pageNumber) {
    if (pageNumber == 1 && (!hasMark(page) || !platform_crypto::equalBytes(page + kCheckOffset,
                                                                           pageKeys->keyCheck, kCheckBytes))) {
        return Check::wrongKey;
    }
    unsigned char expected[32];
    const uint32_t start = cipherStart(pageNumber);
    if (!mac(page, pageNumber, expected) || !platform_crypto::equalBytes(expected, page + kMacOffset, 32) ||
        !cipher.decrypt(page + kIvOffset, page + start, page + start, kContentEnd - start)) {
        std::memset(page, 0, kPageSize);
        return Check::damaged;
    }
    if (pageNumber == 1) std::memcpy(page, kSqliteHeaderMagic, sizeof(kSqliteHeaderMagic));
    std::memset(page + kContentEnd, 0, kReservedBytes);
    return Check::ok;
}

bool PageSealer::seal(const unsigned char* plain, uint32_t pageNumber, unsigned char* out) {
    if (pageNumber == 1 && !pageOneFits(plain)) return false;
    const uint32_t start = cipherStart(pageNumber);
    std::memset(out + kContentEnd, 0, kReservedBytes);
    if (!platform_crypto::randomBytes(out + kIvOffset, 16) ||
        !cipher.encrypt(out + kIvOffset, plain + start, out + start, kContentEnd - start)) {
        return false;
    }
    if (pageNumber == 1) {
        std::memcpy(out, kMark, kMarkBytes);
        std::memcpy(out + kCheckOffset, pageKeys->keyCheck, kCheckBytes);
        std::memcpy(out + kSaltOffset, pageKeys->fileSalt, kSaltBytes);
    }
    return mac(out, pageNumber, out + kMacOffset);
}

}  // namespace authenticated_page
