// SPDX-License-Identifier: MIT
#include "RandomGenerator.h"

#include <QDateTime>
#include <QTime>

RandomGenerator::RandomGenerator(std::uint32_t seed) : m_seed(seed) {}

std::uint32_t RandomGenerator::draw(std::uint32_t n) {
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    m_seed = m_seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_seed) * n) >> 32);
}

std::uint32_t RandomGenerator::seed() const {
    return m_seed;
}

std::uint32_t RandomGenerator::clockSeed() {
    const QTime now = QDateTime::currentDateTimeUtc().time();
    return static_cast<std::uint32_t>(((now.hour() * 60 + now.minute()) * 60 + now.second()) * 1000 + now.msec());
}
