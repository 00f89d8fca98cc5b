#include "store/cipher/cipher_key.h"

#include <windows.h>

#include <cstring>
#include <new>

CipherKey::CipherKey(const kiln::qstd::QString& password, CipherFormat format) : keyFormat(format) {
    // wchar_t is a UTF-16 code unit here and the machine is little-endian, so
    // the string's own bytes are the UTF-16LE key.
    const uint64_t bytes = static_cast<uint64_t>(password.GetLength()) * sizeof(wchar_t);
    if (bytes > UINT32_MAX / 2) throw std::bad_alloc();
    assign(password.c_str(), static_cast<uint32_t>(bytes));
}

CipherKey::CipherKey(const void* bytes, uint32_t length, CipherFormat format) : keyFormat(format) {
    assign(bytes, length);
}

CipherKey& CipherKey::operator=(const CipherKey& other) {
    if (this != &other) {
        wipe();
        keyArea = other.keyArea;
        keyLength = other.keyLength;
        keyFormat = other.keyFormat;
        boundKeys = other.boundKeys;
    }
    return *this;
}

CipherKey::~CipherKey() {
    wipe();
}

const unsigned char* CipherKey::area() const {
    return keyLength ? keyArea.GetData() : nullptr;
}

bool CipherKey::operator==(const CipherKey& other) const {
    return keyLength == other.keyLength && format() == other.format() &&
           (keyLength == 0 || std::memcmp(area(), other.area(), keyLength) == 0);
}

bool CipherKey::bindToPageOne(const unsigned char* storedPageOne) {
    if (isEmpty()) return true;
    if (!authenticated_page::hasMark(storedPageOne)) {
        keyFormat = CipherFormat::format1;
        boundKeys.reset();
        return true;
    }
    keyFormat = CipherFormat::format2;
    return bindToSalt(storedPageOne + authenticated_page::kSaltOffset);
}

bool CipherKey::bindToNewSalt() {
    if (format() != CipherFormat::format2) return true;
    unsigned char salt[authenticated_page::kSaltBytes];
    return platform_crypto::randomBytes(salt, sizeof(salt)) && bindToSalt(salt);
}

bool CipherKey::bindToSalt(const unsigned char* salt) {
    if (boundKeys && std::memcmp(boundKeys->salt(), salt, authenticated_page::kSaltBytes) == 0) return true;
    boundKeys = authenticated_page::PageKeys::derive(area(), keyLength, salt);
    return boundKeys != nullptr;
}

void CipherKey::assign(const void* bytes, uint32_t length) {
    wipe();
    boundKeys.reset();
    keyLength = 0;
    if (!bytes || length == 0) return;
    const uint32_t highestIndex = length | 3u;
    const uint32_t areaSize = highestIndex + 1 > kMinimumAreaSize ? highestIndex + 1 : kMinimumAreaSize;
    // The whole area up front: growing would leave a copy of the key behind.
    keyArea.SetCapacity(areaSize);
    keyArea.Append(bytes, length);
    const unsigned char zeros[256] = {};
    for (uint32_t filled = length; filled < areaSize;) {
        const uint32_t step = areaSize - filled < sizeof(zeros) ? areaSize - filled : sizeof(zeros);
        keyArea.Append(zeros, step);
        filled += step;
    }
    keyLength = length;
}

void CipherKey::wipe() {
    if (keyArea.GetCapacity()) SecureZeroMemory(keyArea.GetData(), keyArea.GetCapacity());
    keyArea.RemoveAll();
}
