// SPDX-License-Identifier: MIT
// A change owns what it renders: clicks and commands that arrive while it runs wait their
// turn, and a fault is told once, with no change starting while it is told.
#include "MainWindowFixture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>

namespace {

using ChangeSafety = MainWindowTest;

TEST_F(ChangeSafety, ClicksAndSortsDuringAChangeWaitAndTheRenderedRecordStaysWhole) {
    MainWindow& w = makeWithImages(3);
    const QByteArray second = recordOnDisk(2).toByteArray();
    bool interrupted = false;
    // The change lets the window system breathe while it takes the new image's facts: the user
    // clicks the second row, then asks for the unsorted and the sorted order.
    engine->services().processEvents = [&] {
        if (interrupted) return;
        interrupted = true;
        list().setCurrentItem(list().topLevelItem(1));
        action("mnuUnSort").trigger();
        action("mnuSortName").trigger();
        EXPECT_TRUE(w.queueWork().isBusy());
        EXPECT_EQ(w.queueWork().waiting(), 3);
    };
    ASSERT_TRUE(w.changeWallpaperNow());
    ASSERT_TRUE(interrupted);
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied);

    // The first image was shown, and its facts went to its own record, not over the clicked one.
    EXPECT_EQ(QFileInfo(engine->currentImageText()).fileName(), "img1.png");
    const QueueEntry first = recordOnDisk(1);
    EXPECT_EQ(std::tuple(first.trimmedPath(), first.factsKnown(), first.width()), std::tuple(dir + "/img1.png", 1, 64));
    EXPECT_EQ(recordOnDisk(2).toByteArray(), second);

    // Then the waiting work ran, in order: the rows ended sorted.
    for (int i = 0; i < 50 && w.queueWork().waiting() > 0; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(w.queueWork().waiting(), 0);
    EXPECT_TRUE(queue->workingSorted);
    EXPECT_TRUE(action("mnuSortName").isChecked());
}

TEST_F(ChangeSafety, ALastingFaultIsToldOnceAndNoChangeStartsWhileItIsTold) {
    set("TimerTime", "0.1"); // a change on every tick
    app.tempFolder = dir + "/no-such-folder";
    app.wallpaperBitmap = app.tempFolder + "/muralo32.bmp";
    makeWithImages(2);
    int ticksWhileTold = 0;
    prompter.whileShown = [&] {
        // The box is open: the change timer keeps ticking.
        for (int i = 0; i < 5; ++i, ++ticksWhileTold)
            fire("Timer1");
    };
    for (int i = 0; i < 4; ++i)
        fire("Timer1");
    EXPECT_EQ(ticksWhileTold, 5);
    // Four ticks, four attempts (the bitmap cannot be written), one box.
    EXPECT_EQ(std::tuple(prompter.messages.size(), desktop.calls.size(), engine->lastOutcome()),
              std::tuple(1, 0u, WallpaperEngine::Outcome::Failed));
    EXPECT_EQ(engine->lastError(), prompter.messages.value(0));

    // Once a change succeeds, the same fault is told again when it comes back.
    prompter.whileShown = nullptr;
    const QString missing = app.tempFolder;
    app.tempFolder = dir;
    app.wallpaperBitmap = dir + "/muralo32.bmp";
    fire("Timer1");
    EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied);
    app.tempFolder = missing;
    app.wallpaperBitmap = missing + "/muralo32.bmp";
    fire("Timer1");
    EXPECT_EQ(prompter.messages.size(), 2);
    EXPECT_EQ(prompter.messages.value(1), prompter.messages.value(0));
}

// A change made while the window lives hidden shows in its status line once it is opened. A
// close during a change stops it silently.
TEST_F(ChangeSafety, AChangeWhileHiddenShowsOnceTheWindowOpensAndACloseStopsOneSilently) {
    MainWindow& w = makeWithImages(1);
    ASSERT_FALSE(w.isVisible());
    // A window never shown has not laid its lines out: they have no room yet.
    QWidget* lines = &child<QLabel>("label5");
    const QSize laidOut = lines->size();
    lines->resize(0, laidOut.height());
    ASSERT_TRUE(w.changeWallpaperNow());
    lines->resize(laidOut);
    w.showNormal();
    const QString line = child<QLabel>("label5").text();
    EXPECT_TRUE(line.endsWith("/img1.png")) << line.toStdString();

    engine->services().processEvents = [&] { w.close(); };
    w.changeWallpaperNow();
    EXPECT_TRUE(w.isClosed());
    EXPECT_TRUE(prompter.messages.isEmpty()) << prompter.messages.join('\n').toStdString();
    EXPECT_EQ(desktop.calls.size(), 1u);
}

// A queue whose record table names one record twice loads without the later entry, and the
// window says so once.
TEST_F(ChangeSafety, ARepairedQueueIsToldOnceAtStartUp) {
    makeQueue(3);
    QByteArray bytes = mtest::readFile(app.queueFile);
    bytes[13600 + 2 * 2] = 1; // entry 3 names record 1
    bytes[13600 + 2 * 2 + 1] = 0;
    ASSERT_TRUE(mtest::writeFile(app.queueFile, bytes));
    make();
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_TRUE(prompter.messages[0].contains("1 of its entries")) << prompter.messages[0].toStdString();
    EXPECT_EQ(list().topLevelItemCount(), 2);
}

} // namespace
