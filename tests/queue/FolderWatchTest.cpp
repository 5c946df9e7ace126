// SPDX-License-Identifier: MIT
#include "QueueTestSupport.h"
#include "queue/FolderQueue.h"
#include "queue/FolderWatcher.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <utility>

using namespace qtest;
using namespace std::chrono_literals;

namespace {

// A quiet spell long enough for a notification that should not come to arrive anyway.
void settle() {
    std::this_thread::sleep_for(500ms);
}

// A folder queue over a fresh folder with two images, refreshed once so its watcher runs.
struct WatchedFolder {
    QString dir = mtest::freshDir("watched");
    QString folder = dir + "/";
    FolderQueue queue;

    WatchedFolder() {
        EXPECT_TRUE(QDir(dir).mkpath("inner"));
        touch(dir, "a.jpg");
        touch(dir, "b.jpg");
        EXPECT_EQ(queue.refreshBeforeChange(folder), 2);
        EXPECT_TRUE(mtest::waitUntil([this] { return queue.watcherRunning(); }));
        EXPECT_FALSE(queue.isChanged());
    }
    bool changeReported() {
        return mtest::waitUntil([this] { return queue.isChanged(); });
    }
};

// Each image below arrives while no watcher runs (the queue is told nothing): a list of
// fewer than two names is read again before every change, a longer one only after a change.
TEST(FolderRefresh, ShortListsAreRescannedLongerOnesOnlyAfterAChange) {
    const QString dir = mtest::freshDir("refresh");
    touch(dir, "notes.txt");
    FolderQueue q;
    EXPECT_EQ(q.refreshBeforeChange(dir + "/"), 0);
    EXPECT_TRUE(q.names().isEmpty());
    for (auto [name, expected] : {std::pair{"one.png", 1}, {"two.png", 2}, {"three.png", 2}}) {
        q.stopWatcher();
        touch(dir, name);
        EXPECT_EQ(q.refreshBeforeChange(dir + "/"), expected) << name;
    }
    q.markChanged();
    EXPECT_EQ(q.refreshBeforeChange(dir + "/"), 3);
    EXPECT_FALSE(q.isChanged());
}

TEST(FolderRefresh, MissingFolderAbandonsTheChangeUntilItIsBack) {
    WatchedFolder w;
    ASSERT_TRUE(QDir(w.dir).removeRecursively());
    ASSERT_TRUE(w.changeReported());
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), -1);
    EXPECT_EQ(w.queue.refreshBeforeChange(QString()), -1);
    EXPECT_FALSE(w.queue.watcherRunning());
    // The names of a folder that is gone are not offered as images.
    EXPECT_EQ(w.queue.count(), 0);
    EXPECT_TRUE(w.queue.imageOfPosition(1, w.folder).isEmpty());

    ASSERT_TRUE(QDir().mkpath(w.dir));
    touch(w.dir, "back.jpg");
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), 1);
    EXPECT_EQ(w.queue.imageOfPosition(1, w.folder), w.folder + "back.jpg");
    // The refresh watches the folder again.
    ASSERT_TRUE(mtest::waitUntil([&] { return w.queue.watcherRunning(); }));
    touch(w.dir, "more.jpg");
    EXPECT_TRUE(w.changeReported());
}

// Names changing in the folder set the flag and the next refresh lists them; contents
// changing, or anything in a subfolder, do not (the list of names stays right). After a
// stop nothing watches.
TEST(FolderWatcher, NameChangesSetTheFlagUntilStopped) {
    WatchedFolder w;
    const QString d = w.dir;
    const QString outside = mtest::freshDir("outside");
    const auto expectAfterRefresh = [&w](bool reported, const QStringList& names) {
        if (reported) {
            EXPECT_TRUE(w.changeReported());
        } else {
            settle();
            EXPECT_FALSE(w.queue.isChanged());
        }
        w.queue.refreshBeforeChange(w.folder);
        EXPECT_EQ(w.queue.names(), names);
        EXPECT_FALSE(w.queue.isChanged());
    };
    ASSERT_TRUE(QFile::rename(d + "/a.jpg", d + "/z.jpg"));
    expectAfterRefresh(true, {"b.jpg", "z.jpg"});
    ASSERT_TRUE(mtest::writeFile(outside + "/in.png", "x") && QFile::rename(outside + "/in.png", d + "/in.png"));
    expectAfterRefresh(true, {"b.jpg", "in.png", "z.jpg"});
    ASSERT_TRUE(mtest::writeFile(d + "/t.txt", "") && mtest::writeFile(d + "/.hidden.jpg", "x"));
    expectAfterRefresh(true, {".hidden.jpg", "b.jpg", "in.png", "z.jpg"});
    QFile appended(d + "/b.jpg");
    ASSERT_TRUE(mtest::writeFile(d + "/z.jpg", QByteArray(4096, 'y')) &&
                appended.open(QIODevice::Append | QIODevice::Unbuffered) && appended.write("more") == 4 &&
                mtest::writeFile(d + "/inner/deep.jpg", "x"));
    expectAfterRefresh(false, {".hidden.jpg", "b.jpg", "in.png", "z.jpg"});
    ASSERT_TRUE(QFile::remove(d + "/b.jpg"));
    expectAfterRefresh(true, {".hidden.jpg", "in.png", "z.jpg"});
    ASSERT_TRUE(QFile::rename(d + "/z.jpg", outside + "/z.jpg"));
    expectAfterRefresh(true, {".hidden.jpg", "in.png"});

    // The watcher waits without a time limit: only the stop event can end it, so a stop
    // that did not wake it would never return.
    auto stopped = std::async(std::launch::async, [&] { w.queue.stopWatcher(); });
    ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(w.queue.watcherRunning());
    touch(d, "later.jpg");
    settle();
    EXPECT_FALSE(w.queue.isChanged());
}

// Starting again replaces the watcher; destroying the queue stops it.
TEST(FolderWatcher, StartingAgainReplacesAndDestroyingStops) {
    const QString first = mtest::freshDir("first");
    const QString second = mtest::freshDir("second");
    auto q = std::make_unique<FolderQueue>();
    q->startWatcher(first);
    q->startWatcher(second);
    ASSERT_TRUE(mtest::waitUntil([&] { return q->watcherRunning(); }));
    touch(first, "a.jpg");
    settle();
    EXPECT_FALSE(q->isChanged());
    touch(second, "a.jpg");
    EXPECT_TRUE(mtest::waitUntil([&] { return q->isChanged(); }));

    auto destroyed = std::async(std::launch::async, [&] { q.reset(); });
    ASSERT_EQ(destroyed.wait_for(5s), std::future_status::ready);
    // A thread left behind would write into the freed flags here (AddressSanitizer catches it).
    touch(second, "b.jpg");
    settle();
}

// --- the thread on its own, both ways of watching --------------------------------------

class WatcherMethods : public ::testing::TestWithParam<FolderWatcher::Method> {};

// Only names count; a removed folder is reported once more and ends the thread.
TEST_P(WatcherMethods, ReportsNameChangesAndEndsWithTheFolder) {
    const QString dir = mtest::freshDir("thread");
    touch(dir, "a.jpg");
    std::atomic<bool> changed{false}, running{false};
    FolderWatcher t(dir, changed, running, GetParam(), 100ms);
    t.start();
    ASSERT_TRUE(mtest::waitUntil([&] { return running.load(); }));

    touch(dir, "a.jpg", "rewritten");
    settle();
    EXPECT_FALSE(changed.load());
    touch(dir, "b.jpg");
    EXPECT_TRUE(mtest::waitUntil([&] { return changed.load(); }));

    settle();
    changed.store(false);
    ASSERT_TRUE(QDir(dir).removeRecursively());
    EXPECT_TRUE(mtest::waitUntil([&] { return changed.load(); }));
    EXPECT_TRUE(t.wait(QDeadlineTimer(5000)));
}

// An hour between polls: only the stop request, or a folder that cannot be watched, ends the thread in time.
TEST_P(WatcherMethods, StopWakesItAndAMissingFolderEndsItAtOnce) {
    std::atomic<bool> changed{false}, running{false};
    FolderWatcher missing(mtest::freshDir("gone") + "/not-there", changed, running, GetParam(), std::chrono::hours(1));
    missing.start();
    EXPECT_TRUE(missing.wait(QDeadlineTimer(5000)));
    EXPECT_FALSE(running.load());
    EXPECT_FALSE(changed.load());

    FolderWatcher t(mtest::freshDir("thread-stop"), changed, running, GetParam(), std::chrono::hours(1));
    t.start();
    ASSERT_TRUE(mtest::waitUntil([&] { return running.load(); }));
    t.requestStop();
    EXPECT_TRUE(t.wait(QDeadlineTimer(5000)));
}

INSTANTIATE_TEST_SUITE_P(Folder, WatcherMethods,
                         ::testing::Values(FolderWatcher::Method::Notify, FolderWatcher::Method::Poll),
                         [](const auto& info) {
                             return std::string(info.param == FolderWatcher::Method::Notify ? "Notify" : "Poll");
                         });

} // namespace
