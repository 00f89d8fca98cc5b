#include "store/cipher/encrypted_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

bool encrypted(const std::wstring& path) {
    return isEncryptedFile(kiln::qstd::QString(path.c_str()));
}

TEST(IsEncryptedFile, ByTheFirstSixBytes) {
    ScratchDirectory scratch;
    struct Case {
        const char* name;
        Bytes content;
        bool expected;
    };
    const Case cases[] = {
        {"empty", {}, false},
        {"five bytes", {'S', 'Q', 'L', 'x', 'y'}, false},
        {"exactly SQLite", {'S', 'Q', 'L', 'i', 't', 'e'}, false},
        {"lower case", {'s', 'q', 'l', 'i', 't', 'e', ' ', 'f'}, true},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, true},
        {"six zero bytes", Bytes(6, 0), true},
    };
    for (const Case& c : cases) {
        const std::wstring path = scratch.path(L"case.data");
        writeFileBytes(path, c.content);
        EXPECT_EQ(encrypted(path), c.expected) << c.name;
    }
    EXPECT_FALSE(encrypted(scratch.path(L"missing.data")));
    EXPECT_FALSE(encrypted(scratch.path(L"")));  // the directory itself
}

TEST(IsEncryptedFile, TellsDatabasesApartAlsoWhileOpen) {
    ScratchDirectory scratch;
    const std::wstring plain = scratch.path(L"plain.data");
    const std::wstring enciphered = scratch.path(L"enciphered.data");
    Connection plainDb(plain);
    Connection encipheredDb(enciphered, L"pw");
    addCards(plainDb, 1, "p");
    addCards(encipheredDb, 1, "e");
    EXPECT_FALSE(encrypted(plain));
    EXPECT_TRUE(encrypted(enciphered));
}

}  // namespace
