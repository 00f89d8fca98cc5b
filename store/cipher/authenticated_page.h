#pragma once

#include <cstdint>
#include <memory>

#include "store/cipher/platform_crypto.h"

// The page format of passwords set from now on ("format 2"): every 4096-byte
// page enciphered with AES-256 in CBC mode under a fresh random IV each time
// it is written, and sealed with HMAC-SHA256 over its page number, IV and
// ciphertext, so that a wrong password, a damaged page or a page moved to
// another place is found out instead of read as data. CBC with a fresh IV
// rather than XTS: a page written twice with the same content looks
// different each time, and the MAC, not the cipher mode, is what guards
// against changes.
//
// The storage engine keeps the last 64 bytes of every page free (file header
// byte 20); a page on disk is
//
//   [0, 4032)     the page's content, enciphered; on page 1 only from byte 16
//   [4032, 4048)  the IV
//   [4048, 4080)  the MAC: HMAC-SHA256(MAC key, page number as 4 bytes
//                 big-endian || IV || ciphertext)
//   [4080, 4096)  page 1: the file's salt; other pages: zero
//
// Page 1 begins, in place of the engine's fixed "SQLite format 3" text, with
// the format mark (8 bytes) and the key check (8 bytes), so that the format,
// the salt and whether a password is the right one are all known before any
// page is deciphered.
//
// Keys: master = PBKDF2-HMAC-SHA256(the password's UTF-16LE bytes, salt,
// 256,000 iterations, 32 bytes); the encryption key, the MAC key and the key
// check are HKDF-Expand(master, label, 32) for the labels "Vorlen page
// cipher", "Vorlen page MAC" and "Vorlen key check" (the check is the first 8
// bytes of its output).
namespace authenticated_page {

constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kReservedBytes = 64;
constexpr uint32_t kContentEnd = kPageSize - kReservedBytes;
constexpr uint32_t kIvOffset = kContentEnd;
constexpr uint32_t kMacOffset = kIvOffset + 16;
constexpr uint32_t kSaltOffset = kMacOffset + 32;
constexpr uint32_t kSaltBytes = 16;
constexpr uint32_t kMarkBytes = 8;
constexpr uint32_t kCheckOffset = kMarkBytes;
constexpr uint32_t kCheckBytes = 8;
// Where page 1's ciphertext starts: the mark and check stand before it.
constexpr uint32_t kPageOneCipherStart = kCheckOffset + kCheckBytes;
constexpr uint64_t kIterations = 256000;

extern const unsigned char kMark[kMarkBytes];

// Whether the stored bytes of a page 1 begin with the format mark.
bool hasMark(const unsigned char* storedPageOne);

enum class Check { ok, wrongKey, damaged };

// The keys of one password for one file's salt. They never change, so
// copies of a key on any number of connections share them.
class PageKeys {
public:
    // Null when the platform cannot derive them.
    static std::shared_ptr<const PageKeys> derive(const unsigned char* password, uint32_t length,
                                                  const unsigned char salt[kSaltBytes]);

    const unsigned char* salt() const { return fileSalt; }

    PageKeys(const PageKeys&) = delete;
    PageKeys& operator=(const PageKeys&) = delete;
    ~PageKeys();

private:
    friend class PageSealer;
    PageKeys() = default;

    unsigned char fileSalt[kSaltBytes] = {};
    unsigned char encryptionKey[32] = {};
    unsigned char macKey[32] = {};
    unsigned char keyCheck[kCheckBytes] = {};
};

// Opens and seals pages under one file's keys with the platform's key
// objects, made once. The objects carry state from call to call: a sealer
// serves one connection, on one thread at a time.
class PageSealer {
public:
    explicit PageSealer(std::shared_ptr<const PageKeys> keys);
    PageSealer(const PageSealer&) = delete;
    PageSealer& operator=(const PageSealer&) = delete;

    // False when the platform could not make the key objects.
    bool isReady() const { return ready; }
    const PageKeys* keys() const { return pageKeys.get(); }

    // Checks and deciphers a stored page in place. Page 1 whose key check
    // differs is a wrong key; a MAC that differs is damage, and the page is
    // then wiped rather than left half read.
    Check open(unsigned char* page, uint32_t pageNumber);
    // Enciphers and seals a plain page into out. False when the page cannot
    // be one of this format (page 1 must leave the 64 bytes free) or the
    // platform fails.
    bool seal(const unsigned char* plain, uint32_t pageNumber, unsigned char* out);

private:
    bool mac(const unsigned char* page, uint32_t pageNumber, unsigned char out[32]) const;

    std::shared_ptr<const PageKeys> pageKeys;
    platform_crypto::AesCbcKey cipher;
    platform_crypto::HmacSha256Key authenticator;
    bool ready = false;
};

}  // namespace authenticated_page
