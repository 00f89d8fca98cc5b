// The key derivation against answers of an independent implementation
// (Python's hashlib.pbkdf2_hmac), across the length at which HMAC starts
// hashing its key: a password too long for the block, which the derivation
// hashes once up front, must derive the key it always did.
#include "store/cipher/platform_crypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string hex(const unsigned char* bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

// Bytes (37 i + 11) mod 256, salt 1..16, 1000 iterations, 32 bytes:
//   hashlib.pbkdf2_hmac("sha256", password, salt, 1000, 32).hex()
TEST(Pbkdf2, DerivesWhatAnIndependentImplementationDerivesAtAnyLength) {
    struct Case {
        size_t length;
        const char* key;
    };
    const Case cases[] = {
        {1, "c9a9aa54ffa1d45456c5687ecd382d58867895836395ceaa3d566892eb5969b7"},
        {64, "8727c86102f26f0c8095266eb23a3d70dc4a755a4a05fc11799aef6f779ecea3"},
        {65, "67625752445347bf97bde754738996637f273f0f2d0d08f2a538c5697d5b95e6"},
        {1000, "c1e5ef5d24652fa5b6d83fd0f6e80851921ed8f4faf526e47be1260163a46f3f"},
        {200000, "cfffb53fd4f2d1ab51467263ad49a971a8ce7aed842a46312c143b7ee0d43736"},
    };
    unsigned char salt[16];
    for (int i = 0; i < 16; ++i) salt[i] = static_cast<unsigned char>(i + 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " bytes");
        std::vector<unsigned char> password(c.length);
        for (size_t i = 0; i < c.length; ++i) password[i] = static_cast<unsigned char>(i * 37 + 11);
        unsigned char key[32];
        ASSERT_TRUE(platform_crypto::pbkdf2Sha256(password.data(), password.size(), salt, sizeof(salt), 1000, key,
                                                  sizeof(key)));
        EXPECT_EQ(hex(key, sizeof(key)), c.key);
    }
}

}  // namespace
