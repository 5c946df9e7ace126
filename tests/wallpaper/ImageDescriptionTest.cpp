// SPDX-License-Identifier: MIT
#include "wallpaper/ImageDescription.h"
#include "TestSupport.h"
#include "queue/QueueEntry.h"
#include "queue/QueueHeader.h"

#include <gtest/gtest.h>

using namespace imagedescription;

namespace {

QueueHeader rules(int smallMode, int largeMode) {
    QueueHeader h;
    h.setSmallRule({std::uint8_t(smallMode), 0, 1024, 768});
    h.setLargeRule({std::uint8_t(largeMode), 0, 1024, 768});
    h.setThresholdWidth(512);
    h.setThresholdHeight(384);
    return h;
}

} // namespace

// The entry's mode and tiled flag, its size, the queue's rule modes, and the two lines.
TEST(ImageDescription, ResizingFollowsTheStateAndTheDecision) {
    for (const auto& [mode, tiled, w, h, smallMode, largeMode, lines] :
         {std::tuple{0, 1, 800, 600, 2, 2, ResizeLines{"Tiled and Resized", "Resizes to 1024x768"}},
          {2, 1, 800, 600, 0, 0, ResizeLines{"Tiled, not resized", ""}},
          {3, 0, 2048, 1024, 0, 0, ResizeLines{"Default (Will Resize)", "Resizes to 1024x512"}},
          {1, 0, 100, 100, 2, 2, ResizeLines{"Resized", "Resizes to 1024x768"}},
          {3, 0, 800, 600, 2, 2, ResizeLines{"Default (Not Resized)", ""}},
          {2, 0, 800, 600, 0, 0, ResizeLines{"Not resized", ""}},
          {3, 0, 0, 0, 0, 2, ResizeLines{"Could not be determined", ""}}}) {
        QueueEntry e;
        e.setResizeMode(mode);
        e.setTiled(tiled);
        e.setWidth(w);
        e.setHeight(h);
        EXPECT_EQ(resizing(e, rules(smallMode, largeMode), 1024, 768), lines)
            << "mode " << mode << " tiled " << tiled << " " << w << "x" << h;
    }
    EXPECT_EQ(defaultResizing(rules(0, 1)), (ResizeLines{"Small img: resize", "Large img: stretch"}));
    EXPECT_EQ(defaultResizing(rules(2, 7)), (ResizeLines{"Small img: no resize", "Large img: no resize"}));
}

TEST(ImageDescription, SoundNamesOnlyFilesThatExist) {
    const QString dir = mtest::freshDir("describe-sound");
    ASSERT_TRUE(mtest::writeFile(dir + "/bell.wav", "RIFF"));
    const QString bell = dir + "/bell.wav", gone = dir + "/gone.wav";
    QueueEntry e;
    const auto soundOf = [&](int option, const QString& own, const QString& def, bool off) {
        e.setSoundOption(option);
        e.setSoundPath(own);
        return sound(e, def, off, "unchanged");
    };
    EXPECT_EQ(soundOf(0, {}, bell, false), "Default bell.wav");
    EXPECT_EQ(soundOf(0, {}, bell, true), "Default (None)");
    EXPECT_EQ(soundOf(0, {}, gone, false), "Default (None)");
    EXPECT_EQ(soundOf(1, bell, bell, false), "None");
    EXPECT_EQ(soundOf(2, bell + "  ", {}, false), "bell.wav");
    EXPECT_EQ(soundOf(2, gone, bell, false), "(None)");
    EXPECT_EQ(soundOf(9, bell, bell, false), "unchanged");
    EXPECT_EQ(defaultSound(bell, false), "bell.wav");
    EXPECT_EQ(defaultSound(bell, true), "(None)");
    EXPECT_EQ(defaultSound(gone, false), "(None)");

    e.setWidth(640);
    e.setHeight(480);
    e.setBitsPerPixel(8);
    EXPECT_EQ(facts(e), "640x480x256 Colors");
    e.setBitsPerPixel(24);
    EXPECT_EQ(facts(e), "640x480x16777216 Colors");
    e.setBitsPerPixel(-1); // a damaged record
    EXPECT_EQ(facts(e), "640x480x0 Colors");
}
