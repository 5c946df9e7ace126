// SPDX-License-Identifier: MIT
// The one path for queue work: nothing runs inside a running piece, nothing waits in a nested
// loop, and what came while a piece ran follows it in order.
#include "queue/QueueWork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "test_queue";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
}

// Lets the event loop run until the path is idle (or a second has passed).
void settle(QueueWork& work) {
    for (int i = 0; i < 100 && (work.isBusy() || work.waiting() > 0); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(QueueWork, WorkArrivingDuringAPieceRunsAfterItInOrder) {
    application();
    QueueWork work;
    std::string log;
    int idles = 0;
    QObject::connect(&work, &QueueWork::idle, [&] { ++idles; });
    EXPECT_TRUE(work.run([&] {
        log += "change(";
        // The change lets the window system breathe: a click, a sort and a timer tick arrive.
        QTimer::singleShot(0, [&] {
            EXPECT_FALSE(work.run([&] { log += "click "; }));
            EXPECT_FALSE(work.run([&] { log += "sort "; }));
            EXPECT_FALSE(work.runIfIdle([&] { log += "tick "; }));
        });
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
        log += ") ";
    }));
    EXPECT_EQ(log, "change() ");
    EXPECT_EQ(work.waiting(), 2);
    EXPECT_EQ(idles, 0);
    settle(work);
    EXPECT_EQ(log, "change() click sort ");
    EXPECT_EQ(idles, 1);
    EXPECT_TRUE(work.runIfIdle([&] { log += "tick"; }));
    EXPECT_EQ(log, "change() click sort tick");
}

TEST(QueueWork, WaitingWorkDoesNotRunInsideTheNextPiecesLoop) {
    application();
    QueueWork work;
    std::string log;
    work.run([&] {
        work.run([&] { log += "queued "; });
        log += "first ";
    });
    // A second long piece starts before the queued one had its turn: the queued one runs
    // after it, not inside its event pumping.
    EXPECT_FALSE(work.run([&] {
        log += "second( ";
        QCoreApplication::processEvents();
        log += ") ";
    }));
    settle(work);
    EXPECT_EQ(log, "first queued second( ) ");
}

TEST(QueueWork, AFailingPieceOpensThePathAgain) {
    application();
    QueueWork work;
    bool queuedRan = false;
    EXPECT_THROW(work.run([&] {
        work.run([&] { queuedRan = true; });
        throw std::runtime_error("disk full");
    }),
                 std::runtime_error);
    EXPECT_FALSE(work.isBusy());
    settle(work);
    EXPECT_TRUE(queuedRan);
    bool ran = false;
    EXPECT_TRUE(work.run([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST(QueueWork, DroppedWorkNeverRuns) {
    application();
    QueueWork work;
    bool ran = false;
    work.run([&] {
        work.run([&] { ran = true; });
        work.dropWaiting();
    });
    settle(work);
    EXPECT_FALSE(ran);
    EXPECT_EQ(work.waiting(), 0);
}

} // namespace
