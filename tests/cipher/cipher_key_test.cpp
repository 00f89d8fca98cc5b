#include "store/cipher/cipher_key.h"

#include <gtest/gtest.h>

#include <string>

#include "core/qstring.h"

namespace {

TEST(CipherKey, IsThePasswordsUtf16LittleEndianBytes) {
    const CipherKey key(kiln::qstd::QString(L"A\u00e9\u20ac"));
    ASSERT_EQ(key.length(), 6u);
    const unsigned char expected[] = {0x41, 0x00, 0xE9, 0x00, 0xAC, 0x20};
    for (unsigned i = 0; i < 6; ++i) EXPECT_EQ(key.area()[i], expected[i]) << i;
}

TEST(CipherKey, AreaIsZeroPastTheKeyAsFarAsTheCipherReaches) {
    struct Case {
        size_t characters;
        uint32_t areaAtLeast;
    };
    // Up to 125 characters the format's 255 bytes; from 126 on the selector
    // reaches index (L | 3), which the area must hold.
    const Case cases[] = {{0, 0}, {1, 255}, {125, 255}, {126, 256}, {127, 256}, {128, 260}, {1000, 2004}};
    for (const Case& c : cases) {
        const CipherKey key(kiln::qstd::QString(std::wstring(c.characters, L'k').c_str()));
        EXPECT_EQ(key.length(), c.characters * 2);
        if (c.characters == 0) {
            EXPECT_TRUE(key.isEmpty());
            EXPECT_EQ(key.area(), nullptr);
            continue;
        }
        for (uint32_t i = key.length(); i < c.areaAtLeast; ++i) {
            ASSERT_EQ(key.area()[i], 0) << c.characters << " characters, index " << i;
        }
    }
}

TEST(CipherKey, ComparesByBytes) {
    EXPECT_TRUE(CipherKey(kiln::qstd::QString(L"abc")) == CipherKey(kiln::qstd::QString(L"abc")));
    EXPECT_FALSE(CipherKey(kiln::qstd::QString(L"abc")) == CipherKey(kiln::qstd::QString(L"abd")));
    EXPECT_FALSE(CipherKey(kiln::qstd::QString(L"abc")) == CipherKey(kiln::qstd::QString(L"ab")));
    EXPECT_TRUE(CipherKey() == CipherKey(kiln::qstd::QString(L"")));
}

}  // namespace
