// SPDX-License-Identifier: MIT
#include "queue/ShortenPath.h"

#include <gtest/gtest.h>

namespace {

// Every character one unit wide, so widths are lengths.
int length(const QString& text) {
    return static_cast<int>(text.size());
}

struct ShortenCase {
    const char* text;
    int width;
    const char* expected;
};

class ShortenPathCases : public ::testing::TestWithParam<ShortenCase> {};

TEST_P(ShortenPathCases, FitsTheLabel) {
    const ShortenCase& c = GetParam();
    const QString result = shortenPath(QString::fromUtf8(c.text), c.width, length);
    EXPECT_EQ(result, QString::fromUtf8(c.expected));
    EXPECT_LE(result.size(), std::max<qsizetype>(c.width, 0)) << "result must fit the label";
}

INSTANTIATE_TEST_SUITE_P(Paths, ShortenPathCases,
                         ::testing::Values(
                             // fits already: untouched
                             ShortenCase{"/home/me/a.jpg", 40, "/home/me/a.jpg"},
                             // the first folders fold into "..." one step at a time
                             ShortenCase{"/home/user/Pictures/beach.jpg", 25, "/ho.../Pictures/beach.jpg"},
                             ShortenCase{"/home/user/Pictures/beach.jpg", 16, "/ho.../beach.jpg"},
                             // no separator left after the ninth character: the end is cut and marked
                             ShortenCase{"/home/user/Pictures/beach.jpg", 12, "/ho.../be..."},
                             // shorter than 12 characters: never folded in the middle, only cut at the end
                             ShortenCase{"/ab/cd/e.jp", 8, "/ab/c..."},
                             // a label too narrow for the dots gets what fits
                             ShortenCase{"/home/user/x.jpg", 2, "/h"}));

} // namespace
