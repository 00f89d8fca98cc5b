#pragma once

// Seeded damage for the robustness tests: the same seed gives the same
// damaged files on every machine.
#include <cstddef>
#include <cstdint>
#include <string>

namespace ziptest {

// xorshift32: small, seeded, the same everywhere.
class Random {
public:
    explicit Random(uint32_t seed) : state(seed | 1) {}

    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // A value below n (n > 0).
    size_t Below(size_t n) { return Next() % n; }

private:
    uint32_t state;
};

// Damage of the kinds files suffer and attackers choose: changed bytes,
// fields set to their extremes, cut-off ends, lost or repeated ranges.
// Half the changes land in `focus` onwards (the directory of an archive).
std::string Mutate(const std::string& original, size_t focus, Random& random);

}  // namespace ziptest
