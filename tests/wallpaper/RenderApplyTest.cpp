// SPDX-License-Identifier: MIT
// Rendering to the wallpaper bitmap, putting it on the desktop, sounds and clearing.
#include "EngineFixture.h"
#include "queue/FileAge.h"
#include "queue/QueueFile.h"

#include <QFile>

#include <tuple>

namespace {

using RenderApply = EngineFixture;
using Outcome = WallpaperEngine::Outcome;

// The bitmap's fields: width, height, bits per pixel, compression, offset of the pixels.
constexpr int kWidth = 18, kHeight = 22, kBits = 28, kCompression = 30, kPixels = 10;

// The image's size and the entry's resize mode, the screen's size and depth, and the bitmap's size and depth.
using ScreenCase = std::tuple<const char*, int, int, std::uint8_t, int, int, int, int, int, int>;
class RenderedBitmap : public EngineFixture, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(RenderedBitmap, BitmapIsUncompressedInTheRenderedSizeAndDepth) {
    const auto [name, imageW, imageH, entryMode, screenW, screenH, screenDepth, bitmapW, bitmapH, bitmapDepth] =
        GetParam();
    ASSERT_EQ(queue->addOneFile(makeImage("img1.png", imageW, imageH)), Queue::AddResult::Added);
    editEntry(1, [mode = entryMode](QueueEntry& e) { e.setResizeMode(mode); });
    screen = QSize(screenW, screenH);
    depth = screenDepth;
    engine->changeWallpaper();
    ASSERT_EQ(engine->lastOutcome(), Outcome::Applied) << engine->lastError().toStdString();
    EXPECT_EQ(
        std::vector({bitmapField(kWidth), bitmapField(kHeight), bitmapField(kBits, 2), bitmapField(kCompression)}),
        std::vector({bitmapW, bitmapH, bitmapDepth, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderedBitmap,
    ::testing::Values(ScreenCase{"NoResize", 300, 200, qu3::NoResize, 1024, 768, 24, 300, 200, 24},
                      // Sized for the 1024 x 768 start-up screen, shown on a larger one.
                      ScreenCase{"ScreenGrewSinceStart", 800, 600, qu3::Stretch, 1280, 1024, 24, 1280, 1024, 24},
                      // The queue's rules for a small image: proportional to the screen.
                      ScreenCase{"SmallImageUnderTheDefaultRules", 100, 80, qu3::UseDefault, 1024, 768, 24, 960, 768,
                                 24},
                      // Screens of few colours get palette bitmaps.
                      ScreenCase{"EightBitScreen", 200, 150, qu3::NoResize, 1024, 768, 8, 200, 150, 8},
                      ScreenCase{"SixteenColourScreen", 200, 150, qu3::NoResize, 1024, 768, 4, 200, 150, 4}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

// A large JPEG is decoded small, but the facts keep the file's size.
TEST_F(RenderApply, FactsAndThumbnailAreStoredOnceAndTakenAgainForAChangedFile) {
    const QString path = dir + "/img1.jpg";
    Magick::Image(Magick::Geometry(3000, 2000), Magick::Color("orange")).write(QFile::encodeName(path).toStdString());
    ASSERT_EQ(queue->addOneFile(path), Queue::AddResult::Added);
    engine->changeWallpaper();
    ASSERT_EQ(engine->lastOutcome(), Outcome::Applied);
    EXPECT_EQ(std::pair(bitmapField(kWidth), bitmapField(kHeight)), std::pair(1024, 683));
    QueueEntry stored;
    ASSERT_TRUE(queuefile::readRecord(queue->currentFile(), 1, stored));
    EXPECT_EQ(stored.factsKnown(), 1);
    EXPECT_EQ(std::vector<int>({stored.width(), stored.height()}), std::vector({3000, 2000}));
    EXPECT_EQ(stored.fileDate(), fileage::of(path));
    EXPECT_EQ(stored.thumbnail().left(2), QByteArray("\xFF\xD8")); // a JPEG
    EXPECT_FALSE(engine->hasUnsavedFacts());
    // The stored thumbnail of the entry the list has read, as the panel shows it.
    ASSERT_TRUE(queue->readEntry(1));
    Picbuf shown;
    ASSERT_TRUE(engine->showStoredThumbnail(shown));
    EXPECT_EQ(std::pair(shown.width(), shown.height()), std::pair(152, 101));
    EXPECT_FALSE(QFile::exists(app.tempFolder + "/~tempfil.tmp"));

    // Same name, another picture and another date.
    Magick::Image(Magick::Geometry(400, 400), Magick::Color("blue")).write(QFile::encodeName(path).toStdString());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
    f.close();
    engine->changeWallpaper();
    ASSERT_TRUE(queuefile::readRecord(queue->currentFile(), 1, stored));
    EXPECT_EQ(stored.width(), 400);
    EXPECT_EQ(stored.fileDate(), fileage::of(path));
}

// Mid grey through the user's gamma, which the queue switches on: 255 * (128 / 255)^(1 / 1.5) is about 161.
TEST_F(RenderApply, GammaMovesMidGreyOnlyWhileTheQueueHasItOn) {
    addImages(1);
    editEntry(1, [](QueueEntry& e) { e.setResizeMode(qu3::NoResize); });
    engine->setGamma(1.5f);
    for (const auto& [on, low, high] : {std::tuple{0, 127, 129}, std::tuple{1, 150, 172}}) {
        queue->header().setGammaOn(on);
        engine->changeWallpaper();
        const int blue = std::uint8_t(bitmapBytes()[bitmapField(kPixels)]);
        EXPECT_GE(blue, low) << "gamma on: " << on;
        EXPECT_LE(blue, high) << "gamma on: " << on;
    }
}

TEST_F(RenderApply, EachChangePlaysTheEntrysOwnSoundOrTheQueuesDefault) {
    addImages(1);
    queue->header().setDefaultSound("/s/ding.wav");
    // The entry's sound option and own sound, whether the queue's default is on, and what plays (empty: nothing).
    using S = std::tuple<std::uint8_t, const char*, bool, const char*>;
    for (const auto& [option, own, queueDefaultOn, expected] :
         {S{qu3::DefaultSound, "", true, "/s/ding.wav"}, S{qu3::DefaultSound, "", false, ""},
          S{qu3::NoSound, "/s/own.wav", true, ""}, S{qu3::OwnSound, "  /s/own.mid  ", true, "/s/own.mid"}}) {
        SCOPED_TRACE(testing::Message() << int(option) << " " << own << " " << queueDefaultOn);
        queue->header().setNoDefaultSound(queueDefaultOn ? 0 : 1);
        queue->workingDefaultSound = queueDefaultOn ? "/s/ding.wav" : "";
        editEntry(1, [&, option = option, own = own](QueueEntry& e) {
            e.setSoundOption(option);
            e.setSoundPath(own);
        });
        sound.played.clear();
        engine->changeWallpaper();
        EXPECT_EQ(sound.played, QString(expected).isEmpty() ? QStringList() : QStringList{expected});
    }
    EXPECT_TRUE(prompter.messages.isEmpty());

    // A sound file too large to load is not played, and the user hears why once the change is done.
    const QString huge = dir + "/huge.wav";
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(SoundOutput::kMaxFileBytes + 1));
    file.close();
    editEntry(1, [&](QueueEntry& e) { e.setSoundPath(huge); });
    sound.played.clear();
    engine->changeWallpaper();
    EXPECT_EQ(engine->lastOutcome(), Outcome::Applied);
    EXPECT_TRUE(sound.played.isEmpty());
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].startsWith("The sound " + huge + " was not played"))
        << prompter.messages[0].toStdString();
}

// Desktops that reload only a changed path get two bitmap names in turn; the image behind either
// is the current one. A clear removes both and stops the sound.
TEST_F(RenderApply, ChangesReachTheDesktopAndClearRemovesTheBitmaps) {
    addImages(2);
    editEntry(1, [](QueueEntry& e) { e.setTiled(1); });
    desktop.setNeedsFreshPath(true);
    EXPECT_EQ(engine->currentSourceImage(), "(None)");
    for (int image : {1, 2, 1}) {
        engine->changeWallpaper();
        EXPECT_EQ(engine->currentSourceImage(), dir + QString("/img%1.png").arg(image));
    }
    ASSERT_EQ(desktop.calls.size(), 3u);
    EXPECT_EQ(desktop.calls[0].path, app.wallpaperBitmap);
    EXPECT_NE(desktop.calls[1].path, app.wallpaperBitmap);
    EXPECT_EQ(desktop.calls[2].path, app.wallpaperBitmap);
    EXPECT_EQ(std::vector({desktop.calls[0].tiled, desktop.calls[1].tiled}), std::vector({true, false}));
    // Somebody else's wallpaper is named as it is; a wallpaper file that is gone is none.
    desktop.setCurrentWallpaper(makeImage("other.png"));
    EXPECT_EQ(engine->currentSourceImage(), dir + "/other.png");
    desktop.setCurrentWallpaper(dir + "/vanished.png");
    EXPECT_EQ(engine->currentSourceImage(), "(None)");

    engine->clearScreen();
    EXPECT_EQ(engine->lastOutcome(), Outcome::Applied);
    EXPECT_EQ(QStringList({engine->currentImageText(), settings.read("FileAlias", "")}), QStringList(2, "(None)"));
    EXPECT_FALSE(QFile::exists(desktop.calls[0].path) || QFile::exists(desktop.calls[1].path));
    EXPECT_EQ(desktop.calls.back().kind, FakeDesktopBackend::Call::Kind::Clear);
    EXPECT_EQ(sound.played.last(), QString()); // the stop request
    EXPECT_EQ(countdownResets, 4);
}

} // namespace
