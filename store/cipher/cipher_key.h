#pragma once

#include <cstdint>
#include <memory>

#include "core/qbuffer.h"
#include "core/qstring.h"
#include "store/cipher/authenticated_page.h"

// How the pages of a card database are kept on disk.
enum class CipherFormat {
    plain = 0,
    // The page cipher every earlier version wrote: weak, kept for files that
    // exist and for programs that read only it.
    format1 = 1,
    // Authenticated pages under a key derived from the password (authenticated_page.h).
    format2 = 2,
};

// The key of an enciphered database: the password's UTF-16LE code units, low
// byte first, without a terminator, in a key area that is zero past the key,
// and the format it enciphers in.
//
// Format 1 enciphers with the key bytes themselves. Its key selector reaches
// up to index (length | 3), one or more bytes past every key, so the area
// always covers that index: 255 bytes for passwords of up to 125 characters,
// as the file format defines them, and wider, zero-filled areas for longer
// ones.
//
// Format 2 derives its keys from the password and the salt of a file; a key
// is bound to a file's salt before it enciphers or deciphers anything. The
// keys derived stay with every copy of the key, so that binding a copy to
// the same salt again costs nothing.
class CipherKey {
public:
    // No key: the database is plain.
    CipherKey() = default;
    explicit CipherKey(const kiln::qstd::QString& password, CipherFormat format = CipherFormat::format1);
    CipherKey(const void* bytes, uint32_t length, CipherFormat format = CipherFormat::format1);
    CipherKey(const CipherKey& other) = default;
    CipherKey& operator=(const CipherKey& other);
    // Key bytes do not linger in freed memory.
    ~CipherKey();

    bool isEmpty() const { return keyLength == 0; }
    uint32_t length() const { return keyLength; }
    // Null for no key; otherwise at least 255 bytes, zero past length().
    const unsigned char* area() const;
    // plain for no key.
    CipherFormat format() const { return isEmpty() ? CipherFormat::plain : keyFormat; }

    // Takes the format, and for format 2 the salt, of the file whose page 1
    // is stored as given: a file with the format 2 mark is read in format 2,
    // any other in format 1, whatever format the key was made for. False
    // when the keys cannot be derived.
    bool bindToPageOne(const unsigned char* storedPageOne);
    // For a file about to be written whole: format 2 keys under a new random salt.
    bool bindToNewSalt();
    // The format 2 keys bound; null before binding and for format 1.
    const authenticated_page::PageKeys* pageKeys() const { return boundKeys.get(); }
    const std::shared_ptr<const authenticated_page::PageKeys>& sharedPageKeys() const { return boundKeys; }

    // The same password in the same format.
    bool operator==(const CipherKey& other) const;
    bool operator!=(const CipherKey& other) const { return !(*this == other); }

    // Bytes of the area as the file format defines it.
    static constexpr uint32_t kMinimumAreaSize = 255;

private:
    void assign(const void* bytes, uint32_t length);
    void wipe();
    bool bindToSalt(const unsigned char* salt);

    kiln::qstd::QBuffer keyArea;
    uint32_t keyLength = 0;
    CipherFormat keyFormat = CipherFormat::format1;
    std::shared_ptr<const authenticated_page::PageKeys> boundKeys;
};
