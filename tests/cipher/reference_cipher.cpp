#include "reference_cipher.h"

#include <algorithm>

namespace reference {

namespace {

const uint32_t DELTA = 0x9E3779B9;

uint8_t MX(uint32_t p, uint8_t y, uint8_t z, uint32_t sum, uint32_t e, const Bytes& k) {
    const uint8_t A = uint8_t(((z >> 5) ^ uint8_t(y << 2)) + ((y >> 3) ^ uint8_t(z << 4)));
    const uint8_t B = uint8_t(((sum & 0xFF) ^ y) + (k.at((p & 3) ^ e) ^ z));
    return A ^ B;
}

}  // namespace

Bytes keyArea(const std::wstring& password) {
    Bytes area;
    for (wchar_t unit : password) {
        area.push_back(uint8_t(unit & 0xFF));
        area.push_back(uint8_t((unit >> 8) & 0xFF));
    }
    const uint32_t L = uint32_t(area.size());
    area.resize(std::max<size_t>(255, (L | 3) + 1), 0);
    return area;
}

uint32_t keyLength(const std::wstring& password) {
    return uint32_t(password.size() * 2);
}

void encipher(uint8_t* v, uint32_t n, const Bytes& k, uint32_t L) {
    const uint32_t rounds = 6 + 52 / n;
    uint8_t z = v[n - 1];
    uint8_t y;
    uint32_t sum = 0;
    for (uint32_t r = 0; r < rounds; r++) {
        sum += DELTA;
        const uint32_t e = (sum >> 2) & L;
        uint32_t p;
        for (p = 0; p < n - 1; p++) {
            y = v[p + 1];
            v[p] = uint8_t(v[p] + MX(p, y, z, sum, e, k));
            z = v[p];
        }
        y = v[0];
        v[n - 1] = uint8_t(v[n - 1] + MX(p, y, z, sum, e, k));
        z = v[n - 1];
    }
}

void decipher(uint8_t* v, uint32_t n, const Bytes& k, uint32_t L) {
    const uint32_t rounds = 6 + 52 / n;
    uint32_t sum = rounds * DELTA;
    uint8_t y = v[0];
    uint8_t z;
    while (sum != 0) {
        const uint32_t e = (sum >> 2) & L;
        uint32_t p;
        for (p = n - 1; p > 0; p--) {
            z = v[p - 1];
            v[p] = uint8_t(v[p] - MX(p, y, z, sum, e, k));
            y = v[p];
        }
        z = v[n - 1];
        v[0] = uint8_t(v[0] - MX(p, y, z, sum, e, k));
        y = v[0];
        sum -= DELTA;
    }
}

void encipherFile(Bytes& file, const std::wstring& password) {
    const Bytes key = keyArea(password);
    for (size_t offset = 0; offset + 4096 <= file.size(); offset += 4096) {
        encipher(file.data() + offset, 4096, key, keyLength(password));
    }
}

void decipherFile(Bytes& file, const std::wstring& password) {
    const Bytes key = keyArea(password);
    for (size_t offset = 0; offset + 4096 <= file.size(); offset += 4096) {
        decipher(file.data() + offset, 4096, key, keyLength(password));
    }
}

}  // namespace reference
