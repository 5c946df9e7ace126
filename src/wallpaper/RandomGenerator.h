// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The process's pseudo-random generator: a 32-bit linear congruential generator whose draws are
// reproducible from the seed, so a random display order can be replayed in tests.
class RandomGenerator {
public:
    explicit RandomGenerator(std::uint32_t seed);

    // A number in 0 .. n-1 (0 when n is 0); advances the seed.
    std::uint32_t draw(std::uint32_t n);
    std::uint32_t seed() const;

    // Milliseconds since midnight UTC.
    static std::uint32_t clockSeed();

private:
    std::uint32_t m_seed;
};
