// SPDX-License-Identifier: MIT
#include "wallpaper/RandomGenerator.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <tuple>

namespace {

// Worked out separately with arbitrary-precision integers:
// seed = (seed * 134775813 + 1) mod 2^32, result = (seed * n) >> 32.
TEST(RandomGenerator, SequenceFromKnownSeeds) {
    RandomGenerator rng(12345);
    // The bound n of a draw, the seed after it and its result.
    using D = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>;
    for (const auto& [n, seedAfter, result] :
         {D{10, 1655067934u, 3}, D{100, 1242767767u, 28}, D{1000, 342459380u, 79},
          D{4294967295u, 2377737157u, 2377737156u}, D{7, 2721613530u, 4}, D{1, 1467157059u, 0}, D{0, 1889648464u, 0}}) {
        EXPECT_EQ(rng.draw(n), result);
        EXPECT_EQ(rng.seed(), seedAfter);
    }
    // 0xFFFFFFFF * 134775813 + 1 = 134775812 * 2^32 + 4160191484.
    RandomGenerator top(0xFFFFFFFFu);
    EXPECT_EQ(top.draw(2), 1u);
    EXPECT_EQ(top.seed(), 4160191484u);
}

TEST(RandomGenerator, ClockSeedIsMillisecondsSinceUtcMidnight) {
    const int before = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
    const std::uint32_t seed = RandomGenerator::clockSeed();
    const int after = QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
    if (after < before) GTEST_SKIP() << "crossed midnight";
    EXPECT_GE(seed, std::uint32_t(before));
    EXPECT_LE(seed, std::uint32_t(after));
}

} // namespace
