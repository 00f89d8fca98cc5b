#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The page cipher written a second time, straight from its rules and sharing
// nothing with the program's code: the yardstick that pins the file format.
namespace reference {

using Bytes = std::vector<uint8_t>;

// The password's UTF-16LE bytes in a zero-filled area reaching index (L | 3),
// at least 255 bytes.
Bytes keyArea(const std::wstring& password);
uint32_t keyLength(const std::wstring& password);

void encipher(uint8_t* v, uint32_t n, const Bytes& key, uint32_t L);
void decipher(uint8_t* v, uint32_t n, const Bytes& key, uint32_t L);

// Every 4096-byte page of a file's bytes, in place.
void encipherFile(Bytes& file, const std::wstring& password);
void decipherFile(Bytes& file, const std::wstring& password);

}  // namespace reference
