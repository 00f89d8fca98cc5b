#pragma once

#include <cstdint>

// The block cipher of enciphered card databases: a byte-wise form of Corrected
// Block TEA whose block is one whole page and whose key is the password's
// bytes. Every shift, order and constant here is file format: files must open
// in any other implementation of the same rules, and theirs in ours.
//
// key points at a key area that is zero past keyLength and reaches at least
// index (keyLength | 3), the highest index the key selector can produce.
// n is at least 2; pages never come shorter.

void encipherBlock(unsigned char* block, uint32_t n, const unsigned char* key, uint32_t keyLength);
void decipherBlock(unsigned char* block, uint32_t n, const unsigned char* key, uint32_t keyLength);
