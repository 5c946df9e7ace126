// SPDX-License-Identifier: MIT
// The numbers of rendering: resize decisions, rounding, gamma, reduction, thumbnails,
// display states.
#include "wallpaper/RenderMath.h"
#include "wallpaper/ImageMessages.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

using namespace rendermath;

namespace {

QueueHeader rulesHeader(int smallMode, int largeMode, int tw = 512, int th = 384) {
    QueueHeader h;
    h.setSmallRule({std::uint8_t(smallMode), 0, 1024, 768});
    h.setLargeRule({std::uint8_t(largeMode), 0, 1024, 768});
    h.setThresholdWidth(tw);
    h.setThresholdHeight(th);
    return h;
}

QueueEntry entryWithMode(int mode, int fixed = 0, int fw = 0, int fh = 0) {
    QueueEntry e;
    e.setResizeMode(mode);
    e.setFixedSize(fixed);
    e.setFixedWidth(fw);
    e.setFixedHeight(fh);
    return e;
}

// On a 1024 x 768 screen: the image's size, the entry's mode, the queue's small and large rule modes, and
// the decision's width, height and stretch flag (all 0: not resized).
TEST(ResizeDecision, OnA1024x768Screen) {
    using R = std::array<int, 8>;
    for (const auto& [x, y, entryMode, smallMode, largeMode, width, height, stretch] :
         {// The entry's own mode: proportional, stretched, none.
          R{800, 600, 0, 2, 2, 1024, 768, 0}, R{800, 800, 0, 2, 2, 768, 768, 0}, R{800, 600, 1, 2, 2, 1024, 768, 1},
          R{800, 800, 1, 2, 2, 1024, 768, 1}, R{800, 600, 2, 0, 0, 0, 0, 0},
          // At the threshold in both directions the image is large; a pixel narrower or lower, small.
          R{512, 384, 3, 2, 0, 1024, 768, 0}, R{511, 384, 3, 2, 0, 0, 0, 0}, R{512, 383, 3, 2, 0, 0, 0, 0},
          // The queue's rules: stretch, none, proportional for wide and tall images, and a screen-sized one.
          R{100, 100, 3, 1, 2, 1024, 768, 1}, R{2000, 1500, 3, 0, 2, 0, 0, 0}, R{2000, 500, 3, 2, 0, 1024, 256, 0},
          R{500, 2000, 3, 0, 2, 192, 768, 0}, R{1024, 768, 3, 2, 0, 1024, 768, 0},
          // An unknown entry mode.
          R{800, 600, 9, 0, 0, 0, 0, 0}}) {
        const auto r = resizeDecision(x, y, entryWithMode(entryMode), rulesHeader(smallMode, largeMode), 1024, 768);
        EXPECT_EQ(r ? std::tuple(r->width, r->height, int(r->stretch)) : std::tuple(0, 0, 0),
                  std::tuple(width, height, stretch))
            << x << " x " << y << ", entry mode " << entryMode;
    }
}

// Width and height of a resize decision, 0 x 0 for none.
std::pair<int, int> decidedSize(int x, int y, const QueueEntry& e, const QueueHeader& h, int screenW, int screenH) {
    const auto r = resizeDecision(x, y, e, h, screenW, screenH);
    return r ? std::pair(r->width, r->height) : std::pair(0, 0);
}

// A fixed size is the rule's or the entry's, and follows a screen larger than the one it was made for.
TEST(ResizeDecision, FixedSizeOfTheRuleOrTheEntryFollowsTheScreen) {
    QueueHeader h = rulesHeader(2, 0);
    h.setLargeRule({0, 1, 640, 480});
    EXPECT_EQ(decidedSize(1600, 1200, entryWithMode(3), h, 1024, 768), std::pair(640, 480));
    EXPECT_EQ(decidedSize(100, 100, entryWithMode(1, 1, 300, 200), h, 1024, 768), std::pair(300, 200));
    // 640 x 480 made for 800 x 600, shown on 1024 x 768.
    const ResizeRequest r = scaleToScreen({640, 480, 1}, 800, 600, 1024, 768);
    EXPECT_EQ(std::pair(r.width, r.height), std::pair(819, 614));
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    for (const auto& [value, rounded] :
         {std::pair{0.5, 0}, std::pair{1.5, 2}, std::pair{2.5, 2}, std::pair{3.5, 4}, std::pair{2.4999, 2},
          std::pair{2.5001, 3}, std::pair{-0.5, 0}, std::pair{-1.5, -2}, std::pair{767.5, 768}})
        EXPECT_EQ(roundHalfEven(value), rounded) << value;
}

TEST(ResizeDecision, HalvesRoundToEven) {
    const QueueEntry e = entryWithMode(0);
    // 5 x 2 into 1024 x 768: a = 2.5 >= 1.333, so height = round(1024 / 2.5) = round(409.6) = 410.
    EXPECT_EQ(decidedSize(5, 2, e, rulesHeader(2, 2), 1024, 768), std::pair(1024, 410));
    // 5 x 4 into 1001 x 2: a = 1.25 < 500.5, so width = round(2 * 1.25) = round(2.5) = 2.
    EXPECT_EQ(decidedSize(5, 4, e, rulesHeader(2, 2), 1001, 2), std::pair(2, 2));
}

TEST(ResizedSize, KeepsProportionsUnlessStretched) {
    EXPECT_EQ(resizedSize(800, 600, {1024, 768, 0}), (Size{1024, 768}));
    EXPECT_EQ(resizedSize(800, 800, {1024, 768, 0}), (Size{768, 768}));
    EXPECT_EQ(resizedSize(800, 800, {1024, 768, 1}), (Size{1024, 768}));
    EXPECT_EQ(resizedSize(6000, 4000, {1920, 1080, 0}), (Size{1620, 1080}));
    // A picture with no size of its own takes the target's.
    EXPECT_EQ(resizedSize(0, 600, {1024, 768, 0}), (Size{1024, 768}));
}

TEST(GammaControlValue, FiveStandsForOne) {
    for (const auto& [gamma, value] : {std::pair{1.0, 5.0}, std::pair{0.5, 7.5}, std::pair{1.5, 3.0},
                                       std::pair{2.0, 1.0}, std::pair{0.01, 9.95}, std::pair{0.25, 8.75}})
        EXPECT_DOUBLE_EQ(gammaControlValue(gamma), value) << gamma;
}

TEST(ReductionColours, TwoToTheDepthWith236For256) {
    for (const auto& [depth, colours] : {std::pair{8, 236}, std::pair{4, 16}, std::pair{2, 4}, std::pair{1, 2}})
        EXPECT_EQ(reductionColours(depth), colours) << depth;
}

TEST(ThumbnailSize, FitsTheBoxKeepingProportions) {
    for (const auto& [w, h, size] : {std::tuple{1600, 1200, Size{152, 114}}, std::tuple{1024, 768, Size{152, 114}},
                                     std::tuple{800, 800, Size{114, 114}}, std::tuple{2000, 500, Size{152, 38}},
                                     std::tuple{1000, 999, Size{114, 114}}, std::tuple{133, 100, Size{151, 114}},
                                     std::tuple{1335, 1000, Size{152, 113}}, std::tuple{1, 1000, Size{0, 114}}})
        EXPECT_EQ(thumbnailSize(w, h), size) << w << " x " << h;
}

// The entry's mode, tiled flag, width and height, the queue's small and large rule modes, and the state.
TEST(DisplayStates, OfQueueEntriesAndFolderImages) {
    using S = std::array<int, 7>;
    for (const auto& [mode, tiled, w, h, smallMode, largeMode, expected] :
         {// The entry's own mode: none single or tiled, stretched, proportional tiled.
          S{2, 0, 800, 600, 0, 0, 3}, S{2, 1, 0, 0, 0, 0, 1}, S{1, 0, 0, 0, 2, 2, 2}, S{0, 1, 0, 0, 2, 2, 5},
          // The queue's rules: both none, size unknown, small none, large none for strictly larger, resized.
          S{3, 0, 0, 0, 2, 2, 3}, S{3, 0, 0, 0, 0, 2, 4}, S{3, 0, 512, 900, 2, 0, 3}, S{3, 1, 513, 385, 0, 2, 1},
          S{3, 0, 800, 600, 0, 0, 2},
          // At the threshold the list counts the image as small (rendering counts it large).
          S{3, 0, 512, 384, 0, 2, 2},
          // An unknown mode with a known size.
          S{7, 0, 800, 600, 0, 0, 4}}) {
        QueueEntry e = entryWithMode(mode);
        e.setTiled(tiled);
        e.setWidth(w);
        e.setHeight(h);
        EXPECT_EQ(displayState(e, rulesHeader(smallMode, largeMode), false), expected)
            << "mode " << mode << ", " << w << " x " << h << ", rules " << smallMode << largeMode;
    }
    // Images of a folder queue have no state of their own.
    EXPECT_EQ(displayState(entryWithMode(2), rulesHeader(0, 0), true), 0);
}

const char* const kReadingMessage = "There was a problem reading holiday.jpg.  The file may be corrupted, or the file "
                                    "type is not a graphics type that this program can read.";

using MessageCase = std::pair<int, const char*>;

TEST(ImageMessages, TextForEachCodeAndForAMissingFile) {
    for (const int code : {20100, 20101, 20300})
        EXPECT_EQ(imagemessages::forCode(code, "holiday.jpg"), kReadingMessage) << code;
    for (const auto& [code, expected] :
         {MessageCase{20136, "The system is too low on memory for Vistrel/32 to perform this action."},
          MessageCase{20185, "A file write error occurred.  There may be inadequate disk space available, or the file "
                             "may be read-only."},
          MessageCase{20133, "This appears to be a format that has an unsupported compression scheme.  Vistrel/32 "
                             "cannot read it."},
          MessageCase{20169, "This TIFF file was compressed with LZW.  Vistrel/32 is not licensed to read/write LZW "
                             "TIFF.  Another application will have to be used to convert this file to uncompressed "
                             "format before Vistrel/32 can read it."},
          MessageCase{20174,
                      "holiday.jpg is in a JPEG file type not supported by Vistrel/32.  Vistrel/32 supports only "
                      "JFIF standard JPEG files.  If you have another utility that will read this file, try "
                      "loading it and resaving it."},
          MessageCase{20201, "holiday.jpg has a colorspace (perhaps CMYK?) that this program cannot read."},
          MessageCase{20150,
                      "Unexpected error number 20150 occurred.  Please contact the author to let him know this."}})
        EXPECT_EQ(imagemessages::forCode(code, "holiday.jpg"), expected) << code;
    EXPECT_EQ(imagemessages::missingFile("/p/gone.jpg"), "/p/gone.jpg does not exist or has been moved");
}

} // namespace
