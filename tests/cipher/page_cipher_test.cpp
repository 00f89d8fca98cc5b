#include "store/cipher/page_cipher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/qstring.h"
#include "reference_cipher.h"
#include "store/cipher/cipher_key.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string hex(const uint8_t* bytes, size_t n) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(pair, sizeof(pair), "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

uint32_t fnv1a(const Bytes& bytes) {
    uint32_t hash = 0x811C9DC5u;
    for (uint8_t b : bytes) hash = (hash ^ b) * 0x01000193u;
    return hash;
}

CipherKey keyOf(const std::wstring& password) {
    return CipherKey(kiln::qstd::QString(password.c_str()));
}

Bytes encipheredWith(Bytes block, const std::wstring& password) {
    const CipherKey key = keyOf(password);
    encipherBlock(block.data(), uint32_t(block.size()), key.area(), key.length());
    return block;
}

Bytes pattern(size_t n) {
    Bytes block(n);
    for (size_t i = 0; i < n; ++i) block[i] = uint8_t(i * 31 + 7);
    return block;
}

// Values worked out from the rules alone, outside this program
// (known_answers.py beside this file): a change to
// any width, shift, order or constant of the cipher breaks one of them.
TEST(PageCipherKnownAnswers, ShortBlocks) {
    struct Case {
        const wchar_t* password;
        Bytes block;
        const char* expected;
    };
    Bytes twentySix(26);
    for (size_t i = 0; i < twentySix.size(); ++i) twentySix[i] = uint8_t(i * 7);
    Bytes sixteen(16);
    for (size_t i = 0; i < sixteen.size(); ++i) sixteen[i] = uint8_t(i);
    const Case cases[] = {
        {L"a", {0x00, 0x01}, "f16c"},                         // 32 rounds
        {L"a", {0x41, 0x42, 0x43}, "88524c"},                 // 23 rounds
        {L"key", sixteen, "60fbe01c1da5253e3b2531c6f4dd2541"},  // 9 rounds
        {L"Vorlen", twentySix, "a2184938566cab7760cc04c29bfaa8d06fe17ebfe5e20660e1c9"},  // 8 rounds
    };
    for (const Case& c : cases) {
        const Bytes enciphered = encipheredWith(c.block, c.password);
        EXPECT_EQ(hex(enciphered.data(), enciphered.size()), c.expected) << "block of " << c.block.size();
    }
}

TEST(PageCipherKnownAnswers, WholePages) {
    struct Case {
        std::wstring password;
        const char* firstBytes;
        uint32_t hash;
    };
    const Case cases[] = {
        {L"p\u00e4ssw\u00f6rd", "0c403bbecc8c2fc56b357fd8b6371c87", 0xa89ce5a6},
        {L"Secret12", "202c3480b469ee40304a37916e02088f", 0xbc947d22},
        // 126 characters: the selector reaches index 255, past the 255 bytes
        // the format defines; the widened area reads zero there.
        {std::wstring(126, L'x'), "51052671510f8ba590beec0e833ddd05", 0x7c83e3c5},
        // 200 characters: a key longer than the defined area.
        {std::wstring(200, L'y'), "c8599ff3839c21152814dc590f004dfc", 0xedbbcc41},
    };
    for (const Case& c : cases) {
        const Bytes enciphered = encipheredWith(pattern(4096), c.password);
        EXPECT_EQ(hex(enciphered.data(), 16), c.firstBytes);
        EXPECT_EQ(fnv1a(enciphered), c.hash);
    }
}

TEST(PageCipher, DecipheringRestoresEveryBlockLength) {
    std::mt19937 random(7);
    for (uint32_t n : {2u, 3u, 5u, 16u, 26u, 512u, 4096u, 65536u}) {
        for (const std::wstring& password :
             {std::wstring(L"a"), std::wstring(L"longer password"), std::wstring(130, L'z')}) {
            Bytes block(n);
            for (auto& b : block) b = uint8_t(random());
            const CipherKey key = keyOf(password);
            Bytes work = block;
            encipherBlock(work.data(), n, key.area(), key.length());
            EXPECT_NE(work, block) << n;
            decipherBlock(work.data(), n, key.area(), key.length());
            EXPECT_EQ(work, block) << n;
        }
    }
}

TEST(PageCipher, AgreesWithTheReferenceBothWays) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 40; ++trial) {
        std::wstring password(1 + random() % 140, L' ');
        for (auto& unit : password) unit = wchar_t(1 + random() % 0xD7FF);
        const uint32_t n = trial % 4 == 0 ? 4096 : 2 + random() % 700;
        Bytes block(n);
        for (auto& b : block) b = uint8_t(random());

        const CipherKey key = keyOf(password);
        Bytes ours = block;
        encipherBlock(ours.data(), n, key.area(), key.length());
        Bytes theirs = block;
        reference::encipher(theirs.data(), n, reference::keyArea(password), reference::keyLength(password));
        ASSERT_EQ(ours, theirs) << "trial " << trial;

        decipherBlock(theirs.data(), n, key.area(), key.length());
        EXPECT_EQ(theirs, block);
    }
}

// With the six rounds of a page, the selector (sum >> 2) AND L takes only
// the bits of L, so key bytes outside (p AND 3) XOR e never count.
TEST(PageCipher, KeyBytesOutsideTheReachableIndexesChangeNothing) {
    struct Case {
        uint32_t length;
        uint32_t unreachableIndex;
        uint32_t reachableIndex;
    };
    // L = 8: indexes 0-3 and 8-11. L = 12: e is 12, 8 or 4, so 4-15.
    const Case cases[] = {{8, 5, 9}, {8, 4, 0}, {12, 0, 4}, {12, 3, 15}};
    for (const Case& c : cases) {
        std::vector<unsigned char> area(255, 0);
        for (uint32_t i = 0; i < c.length; ++i) area[i] = uint8_t(0x41 + i);
        auto encipherWith = [&](const std::vector<unsigned char>& keyArea) {
            Bytes block = pattern(4096);
            encipherBlock(block.data(), 4096, keyArea.data(), c.length);
            return block;
        };
        const Bytes base = encipherWith(area);
        auto changed = area;
        changed[c.unreachableIndex] ^= 0x5A;
        EXPECT_EQ(encipherWith(changed), base) << "L " << c.length << " index " << c.unreachableIndex;
        changed = area;
        changed[c.reachableIndex] ^= 0x5A;
        EXPECT_NE(encipherWith(changed), base) << "L " << c.length << " index " << c.reachableIndex;
    }
}

// The cipher reads one or more bytes past every key: they must be zero.
TEST(PageCipher, BytesPastTheKeyAreRead) {
    const CipherKey key = keyOf(L"ab");  // L = 4, indexes up to 7
    std::vector<unsigned char> stale(key.area(), key.area() + 255);
    stale[5] = 0x99;
    Bytes clean = pattern(4096);
    Bytes dirty = clean;
    encipherBlock(clean.data(), 4096, key.area(), key.length());
    encipherBlock(dirty.data(), 4096, stale.data(), key.length());
    EXPECT_NE(clean, dirty);
}

}  // namespace
