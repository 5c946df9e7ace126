// SPDX-License-Identifier: MIT
// Choosing the next image: sequential and random order, the selected row, missing files.
#include "EngineFixture.h"
#include "queue/QueueRows.h"

#include <QFile>

#include <set>

namespace {

using ChangeCycle = EngineFixture;

TEST_F(ChangeCycle, SequentialCyclesThroughTheRowsAndSavesThePosition) {
    addImages(3);
    std::vector<int> shown;
    for (int i = 0; i < 4; ++i) {
        engine->changeWallpaper();
        ASSERT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied) << engine->lastError().toStdString();
        shown.push_back(shownImage());
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 1}));
    const QByteArray header = mtest::readFile(queue->currentFile());
    EXPECT_EQ(header[4], 1); // the position of the last change is in the file
    EXPECT_EQ(countdownResets, 4);
}

TEST_F(ChangeCycle, SavedPositionBeyondTheQueueStartsAtRowOne) {
    addImages(3);
    queue->setPosition(7);
    engine->changeWallpaper();
    EXPECT_EQ(shownImage(), 1);
}

TEST_F(ChangeCycle, RandomShowsEveryRowOnceBeforeAnyRepeats) {
    addImages(5);
    queue->header().setOrderMode(2);
    std::vector<int> shown;
    for (int i = 0; i < 10; ++i) {
        engine->changeWallpaper();
        shown.push_back(shownImage());
    }
    EXPECT_EQ(std::set<int>(shown.begin(), shown.begin() + 5), (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(std::set<int>(shown.begin() + 5, shown.end()), (std::set<int>{1, 2, 3, 4, 5}));
}

TEST_F(ChangeCycle, SelectedRowWinsInBothOrders) {
    addImages(5);
    EntryOrderRows rows = EntryOrderRows::fromQueue(*queue, false);
    rows.select(1); // the second row
    engine->setRows(&rows);
    engine->changeWallpaper();
    EXPECT_EQ(shownImage(), 2);
    queue->header().setOrderMode(2);
    engine->changeWallpaper();
    EXPECT_EQ(shownImage(), 2);
}

TEST_F(ChangeCycle, SortedRowsDecideTheSequentialOrder) {
    for (const char* n : {"img3.png", "img1.png", "img2.png"})
        ASSERT_EQ(queue->addOneFile(makeImage(n)), Queue::AddResult::Added);
    queue->header().setSorted(1);
    EntryOrderRows rows = EntryOrderRows::fromQueue(*queue, true);
    engine->setRows(&rows);
    std::vector<int> shown;
    for (int i = 0; i < 3; ++i) {
        engine->changeWallpaper();
        shown.push_back(shownImage());
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3}));
}

TEST_F(ChangeCycle, MissingFilesAreSkippedForwardSilently) {
    addImages(6);
    QFile::remove(dir + "/img4.png");
    QFile::remove(dir + "/img5.png");
    queue->setPosition(3);
    engine->setShowFileErrors(true);
    engine->changeWallpaper();
    EXPECT_EQ(shownImage(), 6);
    EXPECT_EQ(queue->position(), 6);
    EXPECT_TRUE(prompter.messages.isEmpty());
}

TEST_F(ChangeCycle, AllFilesMissingShowsNothingAndSaysNothing) {
    addImages(3);
    for (int i = 1; i <= 3; ++i)
        QFile::remove(dir + QString("/img%1.png").arg(i));
    engine->changeWallpaper();
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::NothingToShow);
    EXPECT_FALSE(engine->isChanging());
    // The next change still runs once an image is back.
    makeImage("img2.png");
    engine->changeWallpaper();
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied);
}

TEST_F(ChangeCycle, EmptyQueueDoesNothing) {
    engine->changeWallpaper();
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::NothingToShow);
}

TEST_F(ChangeCycle, ASecondChangeWhileOneRunsIsIgnored) {
    addImages(2);
    int nested = 0;
    engine->services().processEvents = [&] {
        // The timer ticking during a long load.
        if (nested++ == 0) engine->changeWallpaper();
    };
    engine->changeWallpaper();
    EXPECT_EQ(desktop.calls.size(), 1u);
    EXPECT_EQ(shownImage(), 1);
}

TEST_F(ChangeCycle, UnreadableImageIsReportedOnlyWhenAskedAndTheCycleGoesOn) {
    addImages(2);
    ASSERT_TRUE(mtest::writeFile(dir + "/img1.png", "this is not a picture"));
    engine->changeWallpaper();
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::RenderFailed);
    engine->changeWallpaper();
    EXPECT_EQ(shownImage(), 2);

    engine->setShowFileErrors(true);
    engine->changeWallpaper(); // back to the broken one
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].startsWith("Unable to display file " + dir + "/img1.png "));
    EXPECT_FALSE(engine->isBusy());
}

TEST_F(ChangeCycle, DesktopFailureIsToldOnceAndTheNextChangeRuns) {
    addImages(2);
    desktop.failNextCall("the desktop is locked");
    engine->changeWallpaper();
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].contains("the desktop is locked"));
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Failed);
    EXPECT_FALSE(engine->isBusy());
    engine->changeWallpaper();
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied);
    EXPECT_EQ(prompter.messages.size(), 1);
}

TEST_F(ChangeCycle, UnwritableBitmapIsToldOnceAndTheNextChangeRuns) {
    addImages(1);
    // The bitmap's place is taken by a folder: the write fails.
    QDir().mkpath(app.wallpaperBitmap);
    engine->changeWallpaper();
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].startsWith("A file write error occurred."));
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_FALSE(engine->isBusy());
    EXPECT_FALSE(engine->renderedPicture().hasImage());
    QDir().rmdir(app.wallpaperBitmap);
    engine->changeWallpaper();
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied);
}

TEST_F(ChangeCycle, FolderQueueWalksTheFolderAndWritesNoRecord) {
    const QString pics = dir + "/pics";
    QDir().mkpath(pics);
    makeImage("b.PNG", 40, 30, 100, pics);
    makeImage("a.png", 40, 30, 100, pics);
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
    EXPECT_EQ(QFileInfo(queue->currentFile()).size(), sizeBefore); // no record written
    EXPECT_FALSE(engine->hasUnsavedFacts());
}

TEST_F(ChangeCycle, FolderQueueWithMissingFolderDoesNothing) {
    queue->header().setFolderQueue(1);
    queue->workingImageFolder = dir + "/gone/";
    engine->changeWallpaper();
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::NothingToShow);
}

TEST_F(ChangeCycle, RandomOrderWorksForFoldersLargerThanAQueue) {
    const QString pics = dir + "/many";
    QDir().mkpath(pics);
    for (int i = 0; i < 6005; ++i)
        mtest::writeFile(pics + QString("/f%1.png").arg(i, 5, 10, QChar('0')), "x");
    folder.refreshBeforeChange(pics + "/");
    ASSERT_EQ(folder.count(), 6005);
    // Mark every position but the last as shown: the next draw must find it.
    for (int p = 1; p <= 6004; ++p)
        queue->setShown(p, true);
    queue->header().setFolderQueue(1);
    queue->header().setOrderMode(2);
    queue->workingImageFolder = pics + "/";
    engine->selectAndRender();
    EXPECT_EQ(queue->position(), 6005);
}

} // namespace
