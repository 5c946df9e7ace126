// SPDX-License-Identifier: MIT
// Choosing the next image: sequential and random order, the selected row, missing files,
// failures and what they leave behind.
#include "EngineFixture.h"
#include "queue/QueueRows.h"

#include <QFile>

#include <sys/stat.h>

namespace {

using ChangeCycle = EngineFixture;
using Outcome = WallpaperEngine::Outcome;

// Round the rows, with the position saved after each change.
TEST_F(ChangeCycle, SequentialOrderSkipsMissingFilesAndIgnoresASecondChangeWhileOneRuns) {
    addImages(6);
    EXPECT_EQ(shownInChanges(7), (std::vector<int>{1, 2, 3, 4, 5, 6, 1}));
    EXPECT_EQ(mtest::readFile(queue->currentFile())[4], 1);
    EXPECT_EQ(countdownResets, 7);
    // From a position beyond the queue it starts again at row one.
    queue->setPosition(9);
    EXPECT_EQ(shownInChanges(1), std::vector<int>{1});
    // Missing files are skipped forward, silently even when file errors are shown.
    QFile::remove(dir + "/img4.png");
    QFile::remove(dir + "/img5.png");
    queue->setPosition(3);
    engine->setShowFileErrors(true);
    EXPECT_EQ(shownInChanges(1), std::vector<int>{6});
    EXPECT_EQ(queue->position(), 6);
    EXPECT_TRUE(prompter.messages.isEmpty());
    // The timer ticking during a long load.
    int nested = 0;
    engine->services().processEvents = [&] {
        if (nested++ == 0) engine->changeWallpaper();
    };
    const std::size_t calls = desktop.calls.size();
    engine->changeWallpaper();
    EXPECT_EQ(desktop.calls.size(), calls + 1);
    EXPECT_EQ(shownImage(), 1);
}

// With seed = seed * 134775813 + 1 (mod 2^32) before every draw, seed 12345 gives each
// change a row 1 + (seed * 5 >> 32) and then a direction (seed * 2 >> 32; 1 walks forward):
//   1: row 2 back -> 2     2: row 1 fwd -> 1     3: row 4 back -> 4     4: row 3 back -> 3
//   5: row 1 fwd: 1, 2, 3, 4 shown -> 5
//   6: row 5 back: 5, 4, 3, 2, 1 shown and round to 5 again: a new round from a fresh draw,
//      row 2 -> 2 (without the draw the round would start with 5, just shown)
//   7: row 4 fwd -> 4      8: row 3 fwd -> 3     9: row 5 fwd -> 5
//  10: row 5 back: 5, 4, 3, 2 shown -> 1
TEST_F(ChangeCycle, RandomOrderWalksTheDrawsOfItsSeed) {
    addImages(5);
    queue->header().setOrderMode(2);
    EXPECT_EQ(shownInChanges(10), (std::vector<int>{2, 1, 4, 3, 5, 2, 4, 3, 5, 1}));
}

TEST_F(ChangeCycle, RandomOrderWorksForFoldersLargerThanAQueue) {
    const QString pics = dir + "/many";
    QDir().mkpath(pics);
    for (int i = 0; i < 6005; ++i)
        mtest::writeFile(pics + QString("/f%1.png").arg(i, 5, 10, QChar('0')), "x");
    ASSERT_EQ(folder.refreshBeforeChange(pics + "/"), 6005);
    // Every position but the last was shown: the walk must find it.
    for (int p = 1; p <= 6004; ++p)
        queue->setShown(p, true);
    queue->header().setFolderQueue(1);
    queue->header().setOrderMode(2);
    queue->workingImageFolder = pics + "/";
    engine->selectAndRender();
    EXPECT_EQ(queue->position(), 6005);
}

// Sorted rows decide the sequential order; a selected row wins in both orders.
TEST_F(ChangeCycle, TheListsRowsDecide) {
    for (const char* n : {"img3.png", "img1.png", "img2.png"})
        ASSERT_EQ(queue->addOneFile(makeImage(n)), Queue::AddResult::Added);
    queue->header().setSorted(1);
    EntryOrderRows rows = EntryOrderRows::fromQueue(*queue, true);
    engine->setRows(&rows);
    EXPECT_EQ(shownInChanges(3), (std::vector<int>{1, 2, 3}));
    rows.select(1); // the second row
    EXPECT_EQ(shownInChanges(1), std::vector<int>{2});
    queue->header().setOrderMode(2);
    EXPECT_EQ(shownInChanges(1), std::vector<int>{2});
    rows.select(0); // the first row, twice: random order alone never repeats a row at once
    EXPECT_EQ(shownInChanges(2), (std::vector<int>{1, 1}));
}

// A change that cannot be completed: what it tells (a message starting with the text given,
// where <dir> is the queue's folder) and what it leaves: no flag set, no picture held, and
// the next change runs once the cause is gone.
// Name, images in the queue, what stops the change and what repairs it, the outcome, the message (empty:
// none) and the calls the desktop had.
using StoppedCase = std::tuple<const char*, int, std::function<void(EngineFixture&)>,
                               std::function<void(EngineFixture&)>, Outcome, const char*, std::size_t>;
class StoppedChange : public EngineFixture, public ::testing::WithParamInterface<StoppedCase> {};

TEST_P(StoppedChange, LeavesNothingBehindAndTheNextChangeRuns) {
    const auto& [name, images, stop, repair, outcome, message, desktopCalls] = GetParam();
    addImages(images);
    stop(*this);
    engine->changeWallpaper();
    EXPECT_EQ(engine->lastOutcome(), outcome);
    const QString told = QString(message).replace("<dir>", dir);
    ASSERT_EQ(prompter.messages.size(), told.isEmpty() ? 0 : 1);
    EXPECT_EQ(prompter.messages.value(0).left(told.size()), told);
    EXPECT_EQ(desktop.calls.size(), desktopCalls);
    EXPECT_FALSE(engine->isBusy());
    EXPECT_FALSE(engine->renderedPicture().hasImage());
    repair(*this);
    engine->changeWallpaper();
    EXPECT_EQ(engine->lastOutcome(), Outcome::Applied) << engine->lastError().toStdString();
    EXPECT_EQ(prompter.messages.size(), told.isEmpty() ? 0 : 1);
}

const auto noRepair = [](EngineFixture&) {};
const auto breakFirstImage = [](EngineFixture& f) { mtest::writeFile(f.dir + "/img1.png", "this is not a picture"); };

INSTANTIATE_TEST_SUITE_P(
    Causes, StoppedChange,
    ::testing::Values(
        StoppedCase{"EmptyQueue", 0, noRepair, [](EngineFixture& f) { f.addImages(1); }, Outcome::NothingToShow, "", 0},
        StoppedCase{"AllFilesMissing", 2,
                    [](EngineFixture& f) {
                        QFile::remove(f.dir + "/img1.png");
                        QFile::remove(f.dir + "/img2.png");
                    },
                    [](EngineFixture& f) { f.makeImage("img2.png"); }, Outcome::NothingToShow, "", 0},
        StoppedCase{"FolderGone", 0,
                    [](EngineFixture& f) {
                        f.queue->header().setFolderQueue(1);
                        f.queue->workingImageFolder = f.dir + "/pics/";
                    },
                    [](EngineFixture& f) { f.makeImage("a.png", 40, 30, f.dir + "/pics"); }, Outcome::NothingToShow, "",
                    0},
        // Unreadable images are told only when asked; the cycle goes on to the next.
        StoppedCase{"UnreadableImage", 2, breakFirstImage, noRepair, Outcome::RenderFailed, "", 0},
        StoppedCase{"UnreadableImageTold", 2,
                    [](EngineFixture& f) {
                        breakFirstImage(f);
                        f.engine->setShowFileErrors(true);
                    },
                    noRepair, Outcome::RenderFailed, "Unable to display file <dir>/img1.png ", 0},
        StoppedCase{"DesktopRefuses", 2, [](EngineFixture& f) { f.desktop.failNextCall("the desktop is locked"); },
                    noRepair, Outcome::Failed, "The desktop did not take the wallpaper: the desktop is locked", 1},
        // The picture would be more than the desktop takes: refused before it is decoded.
        StoppedCase{"TooLargeForTheDesktop", 2, [](EngineFixture& f) { f.desktop.setMaxPixels(1000); },
                    [](EngineFixture& f) { f.desktop.setMaxPixels(0); }, Outcome::Failed,
                    "<dir>/img1.png cannot be shown: as a wallpaper it would be ", 0},
        // The bitmap's place is taken by a folder.
        StoppedCase{"BitmapUnwritable", 2, [](EngineFixture& f) { QDir().mkpath(f.app.wallpaperBitmap); },
                    [](EngineFixture& f) { QDir().rmdir(f.app.wallpaperBitmap); }, Outcome::Failed,
                    "A file write error occurred.", 0}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

// A fifo where an image should be is never opened: with no writer, that would block for good.
TEST_F(ChangeCycle, AFifoNamedLikeAnImageIsNotRead) {
    addImages(1);
    ASSERT_TRUE(QFile::remove(dir + "/img1.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/img1.png").constData(), 0600), 0);
    engine->setShowFileErrors(true);
    engine->renderImage(queue->recordOfEntry(1), 1024, 768);
    EXPECT_FALSE(engine->renderedPicture().hasImage());
    engine->changeWallpaper();
    EXPECT_EQ(engine->lastOutcome(), Outcome::NothingToShow);
}

TEST_F(ChangeCycle, FolderQueueWalksTheFolderAndWritesNoRecord) {
    const QString pics = dir + "/pics";
    makeImage("b.PNG", 40, 30, pics);
    makeImage("a.png", 40, 30, pics);
    queue->header().setFolderQueue(1);
    queue->header().setImageFolder(pics + "/");
    queue->workingImageFolder = pics + "/";
    queue->header().setTiled(1);
    ASSERT_TRUE(queue->writeHeader());
    const qint64 sizeBefore = QFileInfo(queue->currentFile()).size();
    engine->changeWallpaper();
    EXPECT_EQ(engine->currentImageText(), pics + "/a.png");
    ASSERT_EQ(desktop.calls.size(), 1u);
    EXPECT_TRUE(desktop.calls[0].tiled); // the header's tiled flag
    engine->changeWallpaper();
    EXPECT_EQ(engine->currentImageText(), pics + "/b.PNG");
    EXPECT_EQ(QFileInfo(queue->currentFile()).size(), sizeBefore);
    EXPECT_FALSE(engine->hasUnsavedFacts());
}

} // namespace
