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

class QueueWorkTest : public testing::Test {
protected:
    // Waiting work is posted to the event loop, so the suite needs an application.
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_queue";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }
    // Lets the event loop run until the path is idle (or a second has passed).
    void settle() {
        for (int i = 0; i < 100 && (work.isBusy() || work.waiting() > 0); ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QueueWork work;
    std::string log;
};

TEST_F(QueueWorkTest, WorkArrivingDuringAPieceRunsAfterItInOrder) {
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
    EXPECT_EQ(std::tuple(log, work.waiting(), idles), std::tuple("change() ", 2, 0));
    settle();
    EXPECT_EQ(std::tuple(log, idles), std::tuple("change() click sort ", 1));
    EXPECT_TRUE(work.runIfIdle([&] { log += "tick"; }));
    EXPECT_EQ(log, "change() click sort tick");
}

TEST_F(QueueWorkTest, WaitingWorkDoesNotRunInsideTheNextPiecesLoop) {
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
    settle();
    EXPECT_EQ(log, "first queued second( ) ");
}

// A failing piece opens the path again and its waiting work still runs; dropped work never does.
TEST_F(QueueWorkTest, AFailingPieceOpensThePathAgainAndDroppedWorkNeverRuns) {
    const auto failing = [&] {
        work.run([&] { log += "queued "; });
        throw std::runtime_error("disk full");
    };
    EXPECT_THROW(work.run(failing), std::runtime_error);
    EXPECT_FALSE(work.isBusy());
    settle();
    EXPECT_TRUE(work.run([&] {
        log += "next";
        work.run([&] { log += " dropped"; });
        work.dropWaiting();
    }));
    settle();
    EXPECT_EQ(std::tuple(log, work.waiting()), std::tuple("queued next", 0));
}

} // namespace
