#include "store/cipher/platform_crypto.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstring>
#include <cwchar>

namespace platform_crypto {

namespace {

bool succeeded(NTSTATUS status) {
    return status >= 0;
}

// Algorithm providers are costly to open and safe to share between threads:
// each is opened once for the life of the process.
class Provider {
public:
    Provider(const wchar_t* algorithm, ULONG flags, const wchar_t* chainingMode = nullptr) {
        if (!succeeded(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, flags))) {
            handle = nullptr;
            return;
        }
        if (chainingMode &&
            !succeeded(BCryptSetProperty(handle, BCRYPT_CHAINING_MODE,
                                         reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(chainingMode)),
                                         ULONG((std::wcslen(chainingMode) + 1) * sizeof(wchar_t)), 0))) {
            BCryptCloseAlgorithmProvider(handle, 0);
            handle = nullptr;
        }
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    ~Provider() {
        if (handle) BCryptCloseAlgorithmProvider(handle, 0);
    }

    BCRYPT_ALG_HANDLE get() const { return handle; }

private:
    BCRYPT_ALG_HANDLE handle = nullptr;
};

BCRYPT_ALG_HANDLE hmacProvider() {
    static const Provider provider(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    return provider.get();
}

BCRYPT_ALG_HANDLE sha256Provider() {
    static const Provider provider(BCRYPT_SHA256_ALGORITHM, 0);
    return provider.get();
}

BCRYPT_ALG_HANDLE aesCbcProvider() {
    static const Provider provider(BCRYPT_AES_ALGORITHM, 0, BCRYPT_CHAIN_MODE_CBC);
    return provider.get();
}

// CNG takes ULONG lengths and non-const pointers for what it only reads.
PUCHAR bytes(const void* data) {
    return static_cast<PUCHAR>(const_cast<void*>(data));
}

bool sha256(const void* data, size_t length, unsigned char out[kSha256Bytes]) {
    BCRYPT_ALG_HANDLE provider = sha256Provider();
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!provider || !succeeded(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0))) return false;
    const bool ok = succeeded(BCryptHashData(hash, bytes(data), ULONG(length), 0)) &&
                    succeeded(BCryptFinishHash(hash, out, ULONG(kSha256Bytes), 0));
    BCryptDestroyHash(hash);
    return ok;
}

}  // namespace

bool randomBytes(void* out, size_t n) {
    return succeeded(BCryptGenRandom(nullptr, static_cast<PUCHAR>(out), ULONG(n), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool pbkdf2Sha256(const void* password, size_t passwordLength, const unsigned char* salt, size_t saltLength,
                  uint64_t iterations, unsigned char* out, size_t outLength) {
    BCRYPT_ALG_HANDLE prf = hmacProvider();
    if (!prf) return false;
    // HMAC uses a key longer than its block as that key's SHA-256, and the
    // platform hashes such a key again in every one of the iterations, so a
    // long password would cost in proportion to its length. Hashed once up
    // front, it gives the very same key in the time of any other.
    unsigned char digest[kSha256Bytes];
    if (passwordLength > kHmacSha256BlockBytes) {
        if (!sha256(password, passwordLength, digest)) return false;
        password = digest;
        passwordLength = sizeof(digest);
    }
    const bool ok = succeeded(BCryptDeriveKeyPBKDF2(prf, bytes(password), ULONG(passwordLength), bytes(salt),
                                                    ULONG(saltLength), iterations, out, ULONG(outLength), 0));
    SecureZeroMemory(digest, sizeof(digest));
    return ok;
}

bool hmacSha256(const unsigned char* key, size_t keyLength, const Part* parts, size_t partCount,
                unsigned char out[kSha256Bytes]) {
    HmacSha256Key hmac;
    return hmac.set(key, keyLength) && hmac.mac(parts, partCount, out);
}

bool equalBytes(const unsigned char* a, const unsigned char* b, size_t n) {
    unsigned char difference = 0;
    for (size_t i = 0; i < n; ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

HmacSha256Key::~HmacSha256Key() {
    if (keyed) BCryptDestroyHash(keyed);
}

bool HmacSha256Key::set(const unsigned char* key, size_t keyLength) {
    if (keyed) BCryptDestroyHash(keyed);
    keyed = nullptr;
    BCRYPT_ALG_HANDLE provider = hmacProvider();
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!provider || !succeeded(BCryptCreateHash(provider, &hash, nullptr, 0, bytes(key), ULONG(keyLength), 0))) {
        return false;
    }
    keyed = hash;
    return true;
}

bool HmacSha256Key::mac(const Part* parts, size_t partCount, unsigned char out[kSha256Bytes]) const {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!keyed || !succeeded(BCryptDuplicateHash(keyed, &hash, nullptr, 0, 0))) return false;
    bool ok = true;
    for (size_t i = 0; ok && i < partCount; ++i) {
        if (parts[i].data && parts[i].length) {
            ok = succeeded(BCryptHashData(hash, bytes(parts[i].data), ULONG(parts[i].length), 0));
        }
    }
    ok = ok && succeeded(BCryptFinishHash(hash, out, ULONG(kSha256Bytes), 0));
    BCryptDestroyHash(hash);
    return ok;
}

AesCbcKey::~AesCbcKey() {
    destroy();
    SecureZeroMemory(secret, sizeof(secret));
}

bool AesCbcKey::set(const unsigned char key[kAes256KeyBytes]) {
    std::memcpy(secret, key, sizeof(secret));
    isSet = true;
    return renew();
}

bool AesCbcKey::encrypt(const unsigned char iv[kAesBlockBytes], const unsigned char* in, unsigned char* out,
                        size_t n) {
    return run(true, iv, in, out, n);
}

bool AesCbcKey::decrypt(const unsigned char iv[kAesBlockBytes], const unsigned char* in, unsigned char* out,
                        size_t n) {
    return run(false, iv, in, out, n);
}

void AesCbcKey::destroy() {
    if (handle) BCryptDestroyKey(handle);
    handle = nullptr;
    hasLastIv = false;
}

bool AesCbcKey::renew() {
    destroy();
    BCRYPT_ALG_HANDLE provider = aesCbcProvider();
    BCRYPT_KEY_HANDLE key = nullptr;
    if (!isSet || !provider ||
        !succeeded(BCryptGenerateSymmetricKey(provider, &key, nullptr, 0, bytes(secret), ULONG(sizeof(secret)), 0))) {
        return false;
    }
    handle = key;
    return true;
}

bool AesCbcKey::run(bool encrypting, const unsigned char iv[kAesBlockBytes], const unsigned char* in,
                    unsigned char* out, size_t n) {
    // Wine's key object takes an IV equal to the previous call's as a sign to
    // go on with the previous chain (the same page read twice in a row): a
    // new object starts that call afresh.
    if (hasLastIv && equalBytes(iv, lastIv, kAesBlockBytes) && !renew()) return false;
    if (!handle) return false;
    std::memcpy(lastIv, iv, sizeof(lastIv));
    hasLastIv = true;
    // CNG chains through the IV buffer it is given: it works on a copy.
    unsigned char chain[kAesBlockBytes];
    std::memcpy(chain, iv, sizeof(chain));
    ULONG written = 0;
    const NTSTATUS status =
        encrypting
            ? BCryptEncrypt(handle, bytes(in), ULONG(n), nullptr, chain, sizeof(chain), out, ULONG(n), &written, 0)
            : BCryptDecrypt(handle, bytes(in), ULONG(n), nullptr, chain, sizeof(chain), out, ULONG(n), &written, 0);
    if (succeeded(status) && written == n) return true;
    // What a failed call leaves in the object is unknown.
    renew();
    return false;
}

}  // namespace platform_crypto
