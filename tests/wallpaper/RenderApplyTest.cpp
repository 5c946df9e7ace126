// SPDX-License-Identifier: MIT
// Rendering to the wallpaper bitmap, putting it on the desktop, sounds and clearing.
#include "EngineFixture.h"
#include "queue/FileAge.h"
#include "queue/QueueFile.h"

#include <QFile>

namespace {

int le16(const QByteArray& b, int off) {
    return std::uint8_t(b[off]) | (std::uint8_t(b[off + 1]) << 8);
}
int le32(const QByteArray& b, int off) {
    return le16(b, off) | (le16(b, off + 2) << 16);
}

struct BmpInfo {
    int width, height, bits, compression;
};
BmpInfo bmpInfo(const QByteArray& b) {
    return {le32(b, 18), le32(b, 22), le16(b, 28), le32(b, 30)};
}

using RenderApply = EngineFixture;

struct ScreenCase {
    const char* name;
    int imageW, imageH;
    int entryMode; // 3: the queue's rules (both proportional)
    int screenW, screenH;
    int bitmapW, bitmapH;
};
void PrintTo(const ScreenCase& c, std::ostream* os) {
    *os << c.name;
}
class RenderSizes : public EngineFixture, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(RenderSizes, BitmapHasTheRenderedSize) {
    const ScreenCase& c = GetParam();
    ASSERT_EQ(queue->addOneFile(makeImage("img1.png", c.imageW, c.imageH)), Queue::AddResult::Added);
    queue->readEntry(1);
    queue->entry().setResizeMode(c.entryMode);
    queue->writeEntry(1);
    screen = QSize(c.screenW, c.screenH);
    engine->changeWallpaper();
    ASSERT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied) << engine->lastError().toStdString();
    const BmpInfo info = bmpInfo(bitmapBytes());
    EXPECT_EQ(info.width, c.bitmapW);
    EXPECT_EQ(info.height, c.bitmapH);
    EXPECT_EQ(info.bits, 24);
    EXPECT_EQ(info.compression, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderSizes,
                         ::testing::Values(ScreenCase{"Proportional800x600", 800, 600, 0, 1024, 768, 1024, 768},
                                           ScreenCase{"Proportional800x800", 800, 800, 0, 1024, 768, 768, 768},
                                           ScreenCase{"Stretch800x800", 800, 800, 1, 1024, 768, 1024, 768},
                                           ScreenCase{"NoResize", 300, 200, 2, 1024, 768, 300, 200},
                                           // Sized for the 1024 x 768 start-up screen, shown on a larger one.
                                           ScreenCase{"ScreenGrewSinceStart", 800, 600, 1, 1280, 1024, 1280, 1024},
                                           ScreenCase{"SmallImageUnderTheDefaultRules", 100, 80, 3, 1024, 768, 960,
                                                      768}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderApply, LargeJpegIsDecodedSmallButKeepsItsFileSizeInTheFacts) {
    const QString path = dir + "/img1.jpg";
    Magick::Image img(Magick::Geometry(3000, 2000), Magick::Color("orange"));
    img.write(QFile::encodeName(path).toStdString());
    ASSERT_EQ(queue->addOneFile(path), Queue::AddResult::Added);
    engine->changeWallpaper();
    ASSERT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied);
    const BmpInfo info = bmpInfo(bitmapBytes());
    EXPECT_EQ(info.width, 1024);
    EXPECT_EQ(info.height, 683);
    queuefile::readRecord(queue->currentFile(), 1, queue->entry());
    EXPECT_EQ(queue->entry().width(), 3000);
    EXPECT_EQ(queue->entry().height(), 2000);
}

TEST_F(RenderApply, FirstRenderStoresFactsAndThumbnailOnce) {
    addImages(1, 800, 600);
    engine->changeWallpaper();
    QueueEntry stored;
    ASSERT_TRUE(queuefile::readRecord(queue->currentFile(), 1, stored));
    EXPECT_EQ(stored.factsKnown(), 1);
    EXPECT_EQ(stored.width(), 800);
    EXPECT_EQ(stored.height(), 600);
    EXPECT_EQ(stored.fileDate(), fileage::of(dir + "/img1.png"));
    EXPECT_EQ(std::uint8_t(stored.thumbnail()[0]), 0xFF); // a JPEG
    EXPECT_EQ(std::uint8_t(stored.thumbnail()[1]), 0xD8);
    EXPECT_FALSE(engine->hasUnsavedFacts());
    // The stored thumbnail is a picture of the thumbnail size.
    Picbuf shown;
    ASSERT_TRUE(engine->showStoredThumbnail(shown));
    EXPECT_EQ(shown.width(), 152);
    EXPECT_EQ(shown.height(), 114);
    EXPECT_FALSE(QFile::exists(app.tempFolder + "/~tempfil.tmp"));
}

TEST_F(RenderApply, ChangedImageFileGetsANewThumbnail) {
    addImages(1, 800, 600);
    engine->changeWallpaper();
    // Same name, new picture and a different date.
    makeImage("img1.png", 400, 400);
    QFile f(dir + "/img1.png");
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
    f.close();
    engine->changeWallpaper();
    QueueEntry stored;
    ASSERT_TRUE(queuefile::readRecord(queue->currentFile(), 1, stored));
    EXPECT_EQ(stored.width(), 400);
    EXPECT_EQ(stored.fileDate(), fileage::of(dir + "/img1.png"));
}

TEST_F(RenderApply, EightBitScreenGetsAPaletteBitmap) {
    addImages(1, 200, 150);
    depth = 8;
    engine->changeWallpaper();
    ASSERT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied);
    const QByteArray bmp = bitmapBytes();
    EXPECT_EQ(bmpInfo(bmp).bits, 8);
    EXPECT_EQ(bmpInfo(bmp).compression, 0);
}

TEST_F(RenderApply, SixteenColourScreenGetsAFourBitBitmap) {
    addImages(1, 200, 150);
    depth = 4;
    engine->changeWallpaper();
    EXPECT_EQ(bmpInfo(bitmapBytes()).bits, 4);
}

// Mid grey through gamma: the user's gamma below 1 darkens, above 1 brightens, 1 or
// gamma off leaves it.
class GammaRender : public EngineFixture, public ::testing::WithParamInterface<std::tuple<float, bool, int>> {};
TEST_P(GammaRender, MidGrey) {
    const auto [g, on, direction] = GetParam();
    ASSERT_EQ(queue->addOneFile(makeImage("img1.png", 64, 48, 128)), Queue::AddResult::Added);
    queue->readEntry(1);
    queue->entry().setResizeMode(2);
    queue->writeEntry(1);
    queue->header().setGammaOn(on ? 1 : 0);
    engine->setGamma(g);
    engine->changeWallpaper();
    const QByteArray bmp = bitmapBytes();
    const int offset = le32(bmp, 10);
    const int blue = std::uint8_t(bmp[offset]);
    if (direction == 0)
        EXPECT_NEAR(blue, 128, 1);
    else if (direction > 0)
        EXPECT_GT(blue, 140);
    else
        EXPECT_LT(blue, 116);
}
INSTANTIATE_TEST_SUITE_P(Values, GammaRender,
                         ::testing::Values(std::tuple{1.0f, true, 0}, std::tuple{1.5f, false, 0},
                                           std::tuple{1.5f, true, 1}, std::tuple{0.5f, true, -1}));

TEST_F(RenderApply, TiledAndSingleEntriesReachTheDesktop) {
    addImages(2);
    queue->readEntry(1);
    queue->entry().setTiled(1);
    queue->writeEntry(1);
    engine->changeWallpaper();
    engine->changeWallpaper();
    ASSERT_EQ(desktop.calls.size(), 2u);
    EXPECT_TRUE(desktop.calls[0].tiled);
    EXPECT_FALSE(desktop.calls[1].tiled);
    EXPECT_EQ(desktop.calls[0].path, app.wallpaperBitmap);
}

struct SoundCase {
    const char* name;
    int option;
    const char* own;
    const char* queueDefault;
    bool noDefault;
    const char* expected; // empty: nothing played
};
void PrintTo(const SoundCase& c, std::ostream* os) {
    *os << c.name;
}
class SoundChoice : public EngineFixture, public ::testing::WithParamInterface<SoundCase> {};
TEST_P(SoundChoice, PlaysTheRightSound) {
    const SoundCase& c = GetParam();
    addImages(1);
    queue->header().setDefaultSound(c.queueDefault);
    queue->header().setNoDefaultSound(c.noDefault ? 1 : 0);
    queue->workingDefaultSound = c.noDefault ? QString() : QString(c.queueDefault);
    queue->readEntry(1);
    queue->entry().setSoundOption(c.option);
    queue->entry().setSoundPath(c.own);
    queue->writeEntry(1);
    engine->changeWallpaper();
    if (QString(c.expected).isEmpty())
        EXPECT_TRUE(sound.played.isEmpty());
    else
        EXPECT_EQ(sound.played, QStringList{c.expected});
}
INSTANTIATE_TEST_SUITE_P(Options, SoundChoice,
                         ::testing::Values(SoundCase{"Default", 0, "", "/s/ding.wav", false, "/s/ding.wav"},
                                           SoundCase{"DefaultOff", 0, "", "/s/ding.wav", true, ""},
                                           SoundCase{"NoneEvenWithDefault", 1, "/s/own.wav", "/s/ding.wav", false, ""},
                                           SoundCase{"OwnTrimmed", 2, "  /s/own.mid  ", "/s/ding.wav", false,
                                                     "/s/own.mid"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderApply, ClearScreenRemovesWallpaperBitmapAndSound) {
    addImages(1);
    engine->changeWallpaper();
    ASSERT_TRUE(QFile::exists(app.wallpaperBitmap));
    engine->clearScreen();
    EXPECT_EQ(engine->currentImageText(), "(None)");
    EXPECT_EQ(settings->read("FileAlias", ""), "(None)");
    EXPECT_FALSE(QFile::exists(app.wallpaperBitmap));
    ASSERT_EQ(desktop.calls.back().kind, FakeDesktopBackend::Call::Kind::Clear);
    EXPECT_EQ(sound.played.last(), QString()); // the stop request
    EXPECT_EQ(countdownResets, 2);
}

TEST_F(RenderApply, CurrentSourceImageNamesTheImageBehindOurBitmap) {
    addImages(1);
    EXPECT_EQ(engine->currentSourceImage(), "(None)");
    engine->changeWallpaper();
    EXPECT_EQ(engine->currentSourceImage(), dir + "/img1.png");
    // Somebody else's wallpaper is named as it is.
    const QString other = makeImage("other.png");
    desktop.setCurrentWallpaper(other);
    EXPECT_EQ(engine->currentSourceImage(), other);
    // A wallpaper file that is gone is no wallpaper.
    desktop.setCurrentWallpaper(dir + "/vanished.png");
    EXPECT_EQ(engine->currentSourceImage(), "(None)");
}

TEST_F(RenderApply, DesktopsThatNeedAFreshPathGetAlternatingBitmaps) {
    addImages(2);
    desktop.setNeedsFreshPath(true);
    engine->changeWallpaper();
    engine->changeWallpaper();
    engine->changeWallpaper();
    ASSERT_EQ(desktop.calls.size(), 3u);
    EXPECT_NE(desktop.calls[0].path, desktop.calls[1].path);
    EXPECT_EQ(desktop.calls[0].path, desktop.calls[2].path);
    EXPECT_EQ(engine->currentSourceImage(), dir + "/img1.png");
    engine->clearScreen();
    EXPECT_FALSE(QFile::exists(desktop.calls[0].path));
    EXPECT_FALSE(QFile::exists(desktop.calls[1].path));
}

} // namespace
