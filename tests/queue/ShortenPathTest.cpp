// SPDX-License-Identifier: MIT
#include "queue/ShortenPath.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(ShortenPath, FitsTheLabel) {
    // Every character one unit wide, so widths are lengths.
    const auto length = [](const QString& text) { return static_cast<int>(text.size()); };
    for (const auto& [text, width, expected] : {
             // fits already: untouched
             std::tuple{"/home/me/a.jpg", 40, "/home/me/a.jpg"},
             // the first folders fold into "..." one step at a time
             {"/home/user/Pictures/beach.jpg", 25, "/ho.../Pictures/beach.jpg"},
             {"/home/user/Pictures/beach.jpg", 16, "/ho.../beach.jpg"},
             {"/home/us/Pictures/x.jpg", 21, "/ho.../Pictures/x.jpg"},
             // no separator left after the ninth character: the end is cut and marked
             {"/home/user/Pictures/beach.jpg", 12, "/ho.../be..."},
             // shorter than 12 characters: never folded in the middle, only cut at the end
             {"/ab/cdefg/h", 8, "/ab/c..."},
             // a label too narrow for the dots gets what fits
             {"/home/user/x.jpg", 2, "/h"},
         }) {
        EXPECT_EQ(shortenPath(text, width, length), expected) << text;
    }
}

} // namespace
