// SPDX-License-Identifier: MIT
// Rendering to the wallpaper bitmap, putting it on the desktop, sounds and clearing.
#include "EngineFixture.h"
#include "queue/FileAge.h"
#include "queue/QueueFile.h"

#include <QFile>

namespace {

using RenderApply = EngineFixture;
using Outcome = WallpaperEngine::Outcome;

// The bitmap's fields: width, height, bits per pixel, compression, offset of the pixels.
constexpr int kWidth = 18, kHeight = 22, kBits = 28, kCompression = 30, kPixels = 10;

struct ScreenCase {
    const char* name;
    int imageW, imageH;
    std::uint8_t entryMode;
    int screenW, screenH, screenDepth;
    int bitmapW, bitmapH, bitmapDepth;
};

class RenderedBitmap : public EngineFixture, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(RenderedBitmap, BitmapIsUncompressedInTheRenderedSizeAndDepth) {
    const ScreenCase& c = GetParam();
    ASSERT_EQ(queue->addOneFile(makeImage("img1.png", c.imageW, c.imageH)), Queue::AddResult::Added);
    editEntry(1, [&](QueueEntry& e) { e.setResizeMode(c.entryMode); });
    screen = QSize(c.screenW, c.screenH);
    depth = c.screenDepth;
    engine->changeWallpaper();
    ASSERT_EQ(engine->lastOutcome(), Outcome::Applied) << engine->lastError().toStdString();
    EXPECT_EQ(
        std::vector({bitmapField(kWidth), bitmapField(kHeight), bitmapField(kBits, 2), bitmapField(kCompression)}),
        std::vector({c.bitmapW, c.bitmapH, c.bitmapDepth, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderedBitmap,
    ::testing::Values(ScreenCase{"Proportional800x600", 800, 600, qu3::Proportional, 1024, 768, 24, 1024, 768, 24},
                      ScreenCase{"Proportional800x800", 800, 800, qu3::Proportional, 1024, 768, 24, 768, 768, 24},
                      ScreenCase{"Stretch800x800", 800, 800, qu3::Stretch, 1024, 768, 24, 1024, 768, 24},
                      ScreenCase{"NoResize", 300, 200, qu3::NoResize, 1024, 768, 24, 300, 200, 24},
                      // Sized for the 1024 x 768 start-up screen, shown on a larger one.
                      ScreenCase{"ScreenGrewSinceStart", 800, 600, qu3::Stretch, 1280, 1024, 24, 1280, 1024, 24},
                      // The queue's rules for a small image: proportional to the screen.
                      ScreenCase{"SmallImageUnderTheDefaultRules", 100, 80, qu3::UseDefault, 1024, 768, 24, 960, 768,
                                 24},
                      // Screens of few colours get palette bitmaps.
                      ScreenCase{"EightBitScreen", 200, 150, qu3::NoResize, 1024, 768, 8, 200, 150, 8},
                      ScreenCase{"SixteenColourScreen", 200, 150, qu3::NoResize, 1024, 768, 4, 200, 150, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderApply, LargeJpegIsDecodedSmallButKeepsItsFileSizeInTheFacts) {
    const QString path = dir + "/img1.jpg";
    Magick::Image(Magick::Geometry(3000, 2000), Magick::Color("orange")).write(QFile::encodeName(path).toStdString());
    ASSERT_EQ(queue->addOneFile(path), Queue::AddResult::Added);
    engine->changeWallpaper();
    ASSERT_EQ(engine->lastOutcome(), Outcome::Applied);
    EXPECT_EQ(bitmapField(kWidth), 1024);
    EXPECT_EQ(bitmapField(kHeight), 683);
    QueueEntry stored;
    ASSERT_TRUE(queuefile::readRecord(queue->currentFile(), 1, stored));
    EXPECT_EQ(stored.width(), 3000);
    EXPECT_EQ(stored.height(), 2000);
}

TEST_F(RenderApply, FactsAndThumbnailAreStoredOnceAndTakenAgainForAChangedFile) {
    addImages(1, 800, 600);
    engine->changeWallpaper();
    QueueEntry stored;
    ASSERT_TRUE(queuefile::readRecord(queue->currentFile(), 1, stored));
    EXPECT_EQ(stored.factsKnown(), 1);
    EXPECT_EQ(stored.width(), 800);
    EXPECT_EQ(stored.height(), 600);
    EXPECT_EQ(stored.fileDate(), fileage::of(dir + "/img1.png"));
    EXPECT_EQ(stored.thumbnail().left(2), QByteArray("\xFF\xD8")); // a JPEG
    EXPECT_FALSE(engine->hasUnsavedFacts());
    Picbuf shown;
    ASSERT_TRUE(engine->showStoredThumbnail(shown));
    EXPECT_EQ(shown.width(), 152);
    EXPECT_EQ(shown.height(), 114);
    EXPECT_FALSE(QFile::exists(app.tempFolder + "/~tempfil.tmp"));

    // Same name, another picture and another date.
    makeImage("img1.png", 400, 400);
    QFile f(dir + "/img1.png");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
    f.close();
    engine->changeWallpaper();
    ASSERT_TRUE(queuefile::readRecord(queue->currentFile(), 1, stored));
    EXPECT_EQ(stored.width(), 400);
    EXPECT_EQ(stored.fileDate(), fileage::of(dir + "/img1.png"));
}

// Mid grey through gamma: the user's gamma below 1 darkens, above 1 brightens, 1 or
// gamma off leaves it: 255 * (128 / 255)^(1 / gamma) is about 161 at 1.5 and 64 at 0.5.
class GammaRender : public EngineFixture, public ::testing::WithParamInterface<std::tuple<float, bool, int, int>> {};

TEST_P(GammaRender, MovesMidGrey) {
    const auto [gamma, on, low, high] = GetParam();
    addImages(1);
    editEntry(1, [](QueueEntry& e) { e.setResizeMode(qu3::NoResize); });
    queue->header().setGammaOn(on ? 1 : 0);
    engine->setGamma(gamma);
    engine->changeWallpaper();
    const int blue = std::uint8_t(bitmapBytes()[bitmapField(kPixels)]);
    EXPECT_GE(blue, low);
    EXPECT_LE(blue, high);
}

INSTANTIATE_TEST_SUITE_P(Values, GammaRender,
                         ::testing::Values(std::tuple{1.0f, true, 127, 129}, std::tuple{1.5f, false, 127, 129},
                                           std::tuple{1.5f, true, 150, 172}, std::tuple{0.5f, true, 54, 75}));

TEST_F(RenderApply, TiledAndSingleEntriesReachTheDesktop) {
    addImages(2);
    editEntry(1, [](QueueEntry& e) { e.setTiled(1); });
    shownInChanges(2);
    ASSERT_EQ(desktop.calls.size(), 2u);
    EXPECT_TRUE(desktop.calls[0].tiled);
    EXPECT_FALSE(desktop.calls[1].tiled);
    EXPECT_EQ(desktop.calls[0].path, app.wallpaperBitmap);
}

struct SoundCase {
    const char* name;
    std::uint8_t option;
    const char* own;
    bool queueDefaultOn;
    const char* expected; // empty: nothing played
};

class SoundChoice : public EngineFixture, public ::testing::WithParamInterface<SoundCase> {};

TEST_P(SoundChoice, PlaysTheRightSound) {
    const SoundCase& c = GetParam();
    addImages(1);
    queue->header().setDefaultSound("/s/ding.wav");
    queue->header().setNoDefaultSound(c.queueDefaultOn ? 0 : 1);
    queue->workingDefaultSound = c.queueDefaultOn ? "/s/ding.wav" : "";
    editEntry(1, [&](QueueEntry& e) {
        e.setSoundOption(c.option);
        e.setSoundPath(c.own);
    });
    engine->changeWallpaper();
    EXPECT_EQ(sound.played, QString(c.expected).isEmpty() ? QStringList() : QStringList{c.expected});
}

INSTANTIATE_TEST_SUITE_P(Options, SoundChoice,
                         ::testing::Values(SoundCase{"Default", qu3::DefaultSound, "", true, "/s/ding.wav"},
                                           SoundCase{"DefaultOff", qu3::DefaultSound, "", false, ""},
                                           SoundCase{"NoneEvenWithDefault", qu3::NoSound, "/s/own.wav", true, ""},
                                           SoundCase{"OwnTrimmed", qu3::OwnSound, "  /s/own.mid  ", true,
                                                     "/s/own.mid"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderApply, ClearScreenRemovesBothBitmapsAndStopsTheSound) {
    addImages(2);
    desktop.setNeedsFreshPath(true);
    shownInChanges(3);
    ASSERT_EQ(desktop.calls.size(), 3u);
    // Desktops that reload only a changed path get two names in turn.
    EXPECT_NE(desktop.calls[0].path, desktop.calls[1].path);
    EXPECT_EQ(desktop.calls[0].path, desktop.calls[2].path);
    engine->clearScreen();
    EXPECT_EQ(engine->currentImageText(), "(None)");
    EXPECT_EQ(settings.read("FileAlias", ""), "(None)");
    EXPECT_FALSE(QFile::exists(desktop.calls[0].path));
    EXPECT_FALSE(QFile::exists(desktop.calls[1].path));
    EXPECT_EQ(desktop.calls.back().kind, FakeDesktopBackend::Call::Kind::Clear);
    EXPECT_EQ(sound.played.last(), QString()); // the stop request
    EXPECT_EQ(countdownResets, 4);
    EXPECT_EQ(engine->lastOutcome(), Outcome::Applied);
}

TEST_F(RenderApply, CurrentSourceImageNamesTheImageBehindEitherOfOurBitmaps) {
    addImages(2);
    EXPECT_EQ(engine->currentSourceImage(), "(None)");
    desktop.setNeedsFreshPath(true);
    for (int image : {1, 2}) {
        engine->changeWallpaper();
        EXPECT_EQ(engine->currentSourceImage(), dir + QString("/img%1.png").arg(image));
    }
    // Somebody else's wallpaper is named as it is; a wallpaper file that is gone is none.
    desktop.setCurrentWallpaper(makeImage("other.png"));
    EXPECT_EQ(engine->currentSourceImage(), dir + "/other.png");
    desktop.setCurrentWallpaper(dir + "/vanished.png");
    EXPECT_EQ(engine->currentSourceImage(), "(None)");
}

} // namespace
