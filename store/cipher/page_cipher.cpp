#include "store/cipher/page_cipher.h"

namespace {

constexpr uint32_t kDelta = 0x9E3779B9u;

uint32_t roundsFor(uint32_t n) {
    return 6 + 52 / n;
}

// The four key bytes a round uses, by position modulo 4. The selector keeps
// only the bits of sum >> 2 that are set in the key length (not 3, as the
// word-wise cipher has it), which is why the key area must reach past the key.
struct RoundKey {
    unsigned char byPosition[4];
    unsigned char sumLow;

    RoundKey(uint32_t sum, const unsigned char* key, uint32_t keyLength) : sumLow(static_cast<unsigned char>(sum)) {
        const uint32_t selector = (sum >> 2) & keyLength;
        for (uint32_t p = 0; p < 4; ++p) byPosition[p] = key[p ^ selector];
    }

    unsigned char mix(uint32_t p, unsigned char y, unsigned char z) const {
        const unsigned char a = static_cast<unsigned char>(((z >> 5) ^ static_cast<unsigned char>(y << 2)) +
                                                           ((y >> 3) ^ static_cast<unsigned char>(z << 4)));
        const unsigned char b =
            static_cast<unsigned char>((sumLow ^ y) + (byPosition[p & 3] ^ z));
        return a ^ b;
    }
};

}  // namespace

void encipherBlock(unsigned char* v, uint32_t n, const unsigned char* key, uint32_t keyLength) {
    uint32_t sum = 0;
    unsigned char z = v[n - 1];
    for (uint32_t round = roundsFor(n); round > 0; --round) {
        sum += kDelta;
        const RoundKey k(sum, key, keyLength);
        for (uint32_t p = 0; p + 1 < n; ++p) {
            v[p] = static_cast<unsigned char>(v[p] + k.mix(p, v[p + 1], z));
            z = v[p];
        }
        // The last byte mixes with the first, which this round has already changed.
        v[n - 1] = static_cast<unsigned char>(v[n - 1] + k.mix(n - 1, v[0], z));
        z = v[n - 1];
    }
}

void decipherBlock(unsigned char* v, uint32_t n, const unsigned char* key, uint32_t keyLength) {
    uint32_t sum = roundsFor(n) * kDelta;
    unsigned char y = v[0];
    while (sum != 0) {
        const RoundKey k(sum, key, keyLength);
        for (uint32_t p = n - 1; p > 0; --p) {
            v[p] = static_cast<unsigned char>(v[p] - k.mix(p, y, v[p - 1]));
            y = v[p];
        }
        v[0] = static_cast<unsigned char>(v[0] - k.mix(0, y, v[n - 1]));
        y = v[0];
        sum -= kDelta;
    }
}
