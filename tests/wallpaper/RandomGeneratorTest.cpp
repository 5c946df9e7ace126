// SPDX-License-Identifier: MIT
#include "wallpaper/RandomGenerator.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTime>

#include <cstdint>

namespace {

struct Draw {
    std::uint32_t n;
    std::uint32_t seedAfter;
    std::uint32_t result;
};

// Worked out separately with arbitrary-precision integers:
// seed = (seed * 134775813 + 1) mod 2^32, result = (seed * n) >> 32.
TEST(RandomGenerator, SequenceFromKnownSeed) {
    RandomGenerator rng(12345);
    const Draw expected[] = {{10, 1655067934u, 3},   {100, 1242767767u, 28},
                             {1000, 342459380u, 79}, {4294967295u, 2377737157u, 2377737156u},
                             {7, 2721613530u, 4},    {1, 1467157059u, 0}};
    for (const Draw& d : expected) {
        EXPECT_EQ(rng.draw(d.n), d.result);
        EXPECT_EQ(rng.seed(), d.seedAfter);
    }
}

TEST(RandomGenerator, WrapsFromTheTopSeed) {
    // 0xFFFFFFFF * 134775813 + 1 = 134775812 * 2^32 + (2^32 - 134775812), i.e. 4160191484 mod 2^32.
    RandomGenerator rng(0xFFFFFFFFu);
    EXPECT_EQ(rng.draw(2), 1u);
    EXPECT_EQ(rng.seed(), 4160191484u);
}

TEST(RandomGenerator, DrawsStayBelowN) {
    RandomGenerator rng(RandomGenerator::clockSeed());
    for (std::uint32_t n : {1u, 2u, 3u, 6000u}) {
        for (int i = 0; i < 1000; ++i)
            EXPECT_LT(rng.draw(n), n);
    }
    EXPECT_EQ(rng.draw(0), 0u);
}

TEST(RandomGenerator, ClockSeedIsMillisecondsSinceUtcMidnight) {
    const QTime before = QDateTime::currentDateTimeUtc().time();
    const std::uint32_t seed = RandomGenerator::clockSeed();
    const QTime after = QDateTime::currentDateTimeUtc().time();
    const auto ms = [](const QTime& t) { return std::uint32_t(t.msecsSinceStartOfDay()); };
    if (ms(after) < ms(before)) GTEST_SKIP() << "crossed midnight";
    EXPECT_GE(seed, ms(before));
    EXPECT_LE(seed, ms(after));
}

} // namespace
