#pragma once

#include <cstdint>

#include "core/qbuffer.h"
#include "core/qstring.h"

// The key of an enciphered database: the password's UTF-16LE code units, low
// byte first, without a terminator, in a key area that is zero past the key.
// The cipher's key selector reaches up to index (length | 3), one or more
// bytes past every key, so the area always covers that index: 255 bytes for
// passwords of up to 125 characters, as the file format defines them, and
// wider, zero-filled areas for longer ones.
class CipherKey {
public:
    // No key: the database is plain.
    CipherKey() = default;
    explicit CipherKey(const kiln::qstd::QString& password);
    CipherKey(const void* bytes, uint32_t length);
    CipherKey(const CipherKey& other) = default;
    CipherKey& operator=(const CipherKey& other);
    // Key bytes do not linger in freed memory.
    ~CipherKey();

    bool isEmpty() const { return keyLength == 0; }
    uint32_t length() const { return keyLength; }
    // Null for no key; otherwise at least 255 bytes, zero past length().
    const unsigned char* area() const;

    bool operator==(const CipherKey& other) const;
    bool operator!=(const CipherKey& other) const { return !(*this == other); }

    // Bytes of the area as the file format defines it.
    static constexpr uint32_t kMinimumAreaSize = 255;

private:
    void assign(const void* bytes, uint32_t length);
    void wipe();

    kiln::qstd::QBuffer keyArea;
    uint32_t keyLength = 0;
};
