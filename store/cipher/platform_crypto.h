#pragma once

#include <cstddef>
#include <cstdint>

// The platform's cryptography (Windows CNG), the only source of the page
// format's primitives: no cipher or hash of our own. Every call reports
// failure by its result rather than by throwing, because the file layer
// calls them from inside the storage engine.
namespace platform_crypto {

constexpr size_t kSha256Bytes = 32;
constexpr size_t kHmacSha256BlockBytes = 64;
constexpr size_t kAesBlockBytes = 16;
constexpr size_t kAes256KeyBytes = 32;

bool randomBytes(void* out, size_t n);

// PBKDF2-HMAC-SHA256; a password of any length costs the same.
bool pbkdf2Sha256(const void* password, size_t passwordLength, const unsigned char* salt, size_t saltLength,
                  uint64_t iterations, unsigned char* out, size_t outLength);

// HMAC-SHA256 over the concatenation of parts (null parts are skipped).
struct Part {
    const void* data;
    size_t length;
};
bool hmacSha256(const unsigned char* key, size_t keyLength, const Part* parts, size_t partCount,
                unsigned char out[kSha256Bytes]);

// Whether two byte runs agree, taking as long whatever they hold.
bool equalBytes(const unsigned char* a, const unsigned char* b, size_t n);

// The platform's key objects carry state from one call to the next, so the
// two classes below are for one user at a time: each connection keeps its
// own, rather than making objects per page, which costs more than the work.

// An HMAC-SHA256 key whose keyed state is made once; each MAC starts from a
// copy of it.
class HmacSha256Key {
public:
    HmacSha256Key() = default;
    HmacSha256Key(const HmacSha256Key&) = delete;
    HmacSha256Key& operator=(const HmacSha256Key&) = delete;
    ~HmacSha256Key();

    bool set(const unsigned char* key, size_t keyLength);
    bool mac(const Part* parts, size_t partCount, unsigned char out[kSha256Bytes]) const;

private:
    void* keyed = nullptr;
};

// An AES-256 key for CBC without padding; n a multiple of the block. Every
// call starts its own chain from the IV it is given.
class AesCbcKey {
public:
    AesCbcKey() = default;
    AesCbcKey(const AesCbcKey&) = delete;
    AesCbcKey& operator=(const AesCbcKey&) = delete;
    ~AesCbcKey();

    bool set(const unsigned char key[kAes256KeyBytes]);
    // out may be in.
    bool encrypt(const unsigned char iv[kAesBlockBytes], const unsigned char* in, unsigned char* out, size_t n);
    bool decrypt(const unsigned char iv[kAesBlockBytes], const unsigned char* in, unsigned char* out, size_t n);

private:
    bool run(bool encrypting, const unsigned char iv[kAesBlockBytes], const unsigned char* in, unsigned char* out,
             size_t n);
    bool renew();
    void destroy();

    unsigned char secret[kAes256KeyBytes] = {};
    bool isSet = false;
    void* handle = nullptr;
    unsigned char lastIv[kAesBlockBytes] = {};
    bool hasLastIv = false;
};

}  // namespace platform_crypto
