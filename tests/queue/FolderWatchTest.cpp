// SPDX-License-Identifier: MIT
#include "queue/FolderQueue.h"
#include "queue/FolderWatcher.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>

// Readable names in failure messages (found by argument-dependent lookup, so not in a namespace).
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

static void PrintTo(FolderWatcher::Method m, std::ostream* os) {
    *os << (m == FolderWatcher::Method::Notify ? "Notify" : "Poll");
}

using namespace std::chrono_literals;

namespace {

void touch(const QString& dir, const QString& name, const QByteArray& bytes = "x") {
    ASSERT_TRUE(mtest::writeFile(dir + "/" + name, bytes)) << name.toStdString();
}

// Notifications arrive on another thread: wait for them, but never forever.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

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
        EXPECT_TRUE(waitFor([this] { return queue.watcherRunning(); }));
        EXPECT_FALSE(queue.isChanged());
    }
};

// --- refresh before a change -----------------------------------------------------------

TEST(FolderRefresh, OneImageIsRescannedBeforeEveryChange) {
    const QString dir = mtest::freshDir("one");
    touch(dir, "only.png");
    FolderQueue q;
    ASSERT_EQ(q.refreshBeforeChange(dir + "/"), 1);
    // A second image that the watcher cannot report (the queue is told nothing) is still
    // found, because a list shorter than two names is always read again.
    q.stopWatcher();
    touch(dir, "second.png");
    EXPECT_EQ(q.refreshBeforeChange(dir + "/"), 2);
}

TEST(FolderRefresh, EmptyFolderStaysAtZero) {
    const QString dir = mtest::freshDir("empty");
    touch(dir, "notes.txt");
    FolderQueue q;
    EXPECT_EQ(q.refreshBeforeChange(dir + "/"), 0);
    EXPECT_EQ(q.refreshBeforeChange(dir + "/"), 0);
    EXPECT_EQ(q.count(), 0);
    EXPECT_TRUE(q.names().isEmpty());
}

TEST(FolderRefresh, TwoImagesAreNotRescannedWithoutAChange) {
    WatchedFolder w;
    // Nothing reported the change (the watcher is stopped), so the list stays as it was.
    w.queue.stopWatcher();
    touch(w.dir, "c.jpg");
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), 2);
    // A change of the queue forces the rescan.
    w.queue.markChanged();
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), 3);
    EXPECT_FALSE(w.queue.isChanged());
}

TEST(FolderRefresh, MissingFolderAbandonsTheChange) {
    FolderQueue q;
    EXPECT_EQ(q.refreshBeforeChange(mtest::home() + "/no-such-folder/"), -1);
    EXPECT_EQ(q.refreshBeforeChange(QString()), -1);
    EXPECT_FALSE(q.watcherRunning());
}

TEST(FolderRefresh, FolderRemovedAfterScanGivesMinusOneThenRecovers) {
    WatchedFolder w;
    ASSERT_TRUE(QDir(w.dir).removeRecursively());
    ASSERT_TRUE(waitFor([&] { return w.queue.isChanged(); }));
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), -1);
    // The names of a folder that is gone are not offered as images.
    EXPECT_EQ(w.queue.count(), 0);
    EXPECT_TRUE(w.queue.imageOfPosition(1, w.folder).isEmpty());

    ASSERT_TRUE(QDir().mkpath(w.dir));
    touch(w.dir, "back.jpg");
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), 1);
    EXPECT_EQ(w.queue.imageOfPosition(1, w.folder), w.folder + "back.jpg");
}

// --- the watcher -----------------------------------------------------------------------

TEST(FolderWatcher, AddingAFileSetsTheFlagAndNextRefreshIncludesIt) {
    WatchedFolder w;
    touch(w.dir, "new.gif");
    ASSERT_TRUE(waitFor([&] { return w.queue.isChanged(); }));
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), 3);
    EXPECT_EQ(w.queue.names(), QStringList({"a.jpg", "b.jpg", "new.gif"}));
    EXPECT_FALSE(w.queue.isChanged());
    // The new watcher reports the next change too.
    ASSERT_TRUE(waitFor([&] { return w.queue.watcherRunning(); }));
    ASSERT_TRUE(QFile::remove(w.dir + "/a.jpg"));
    ASSERT_TRUE(waitFor([&] { return w.queue.isChanged(); }));
    EXPECT_EQ(w.queue.refreshBeforeChange(w.folder), 2);
}

struct NameChange {
    const char* label;
    std::function<bool(const QString& dir, const QString& outside)> apply;
    bool setsFlag = true;
};

void PrintTo(const NameChange& c, std::ostream* os) {
    *os << c.label;
}

class NameChanges : public ::testing::TestWithParam<NameChange> {};

// Names changing in the folder set the flag; contents changing, or anything in a
// subfolder, do not (the list of names stays right).
TEST_P(NameChanges, SetTheFlag) {
    WatchedFolder w;
    const QString outside = mtest::freshDir("outside");
    ASSERT_TRUE(GetParam().apply(w.dir, outside));
    if (GetParam().setsFlag) {
        EXPECT_TRUE(waitFor([&] { return w.queue.isChanged(); }));
    } else {
        settle();
        EXPECT_FALSE(w.queue.isChanged());
        EXPECT_TRUE(w.queue.watcherRunning());
    }
}

bool append(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::Append) && f.write("more") == 4;
}

INSTANTIATE_TEST_SUITE_P(
    Folder, NameChanges,
    ::testing::Values(
        NameChange{"Rename",
                   [](const QString& d, const QString&) { return QFile::rename(d + "/a.jpg", d + "/z.jpg"); }},
        NameChange{"Delete", [](const QString& d, const QString&) { return QFile::remove(d + "/b.jpg"); }},
        NameChange{"MoveOut",
                   [](const QString& d, const QString& o) { return QFile::rename(d + "/a.jpg", o + "/a.jpg"); }},
        NameChange{"MoveIn",
                   [](const QString& d, const QString& o) {
                       return mtest::writeFile(o + "/in.png", "x") && QFile::rename(o + "/in.png", d + "/in.png");
                   }},
        NameChange{"CreateNonImage",
                   [](const QString& d, const QString&) { return mtest::writeFile(d + "/t.txt", ""); }},
        NameChange{"CreateHidden",
                   [](const QString& d, const QString&) { return mtest::writeFile(d + "/.hidden.jpg", "x"); }},
        NameChange{
            "RewriteContents",
            [](const QString& d, const QString&) { return mtest::writeFile(d + "/a.jpg", QByteArray(4096, 'y')); },
            false},
        NameChange{"AppendContents", [](const QString& d, const QString&) { return append(d + "/b.jpg"); }, false},
        NameChange{"FileInSubfolder",
                   [](const QString& d, const QString&) { return mtest::writeFile(d + "/inner/deep.jpg", "x"); },
                   false}),
    [](const ::testing::TestParamInfo<NameChange>& info) { return std::string(info.param.label); });

TEST(FolderWatcher, StopJoinsPromptlyAndClearsRunning) {
    WatchedFolder w;
    // The watcher waits without a time limit: only the stop event can end it, so a stop
    // that did not wake it would never return.
    auto stopped = std::async(std::launch::async, [&] { w.queue.stopWatcher(); });
    ASSERT_EQ(stopped.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(w.queue.watcherRunning());
    // Nothing watches any more.
    touch(w.dir, "later.jpg");
    settle();
    EXPECT_FALSE(w.queue.isChanged());
}

TEST(FolderWatcher, DestroyingTheQueueStopsTheWatcher) {
    const QString dir = mtest::freshDir("destroy");
    touch(dir, "a.jpg");
    auto q = std::make_unique<FolderQueue>();
    ASSERT_EQ(q->refreshBeforeChange(dir), 1);
    ASSERT_TRUE(waitFor([&] { return q->watcherRunning(); }));
    auto destroyed = std::async(std::launch::async, [&] { q.reset(); });
    ASSERT_EQ(destroyed.wait_for(5s), std::future_status::ready);
    // A thread left behind would write into the freed flags here (AddressSanitizer catches it).
    touch(dir, "b.jpg");
    settle();
}

TEST(FolderWatcher, StartingAgainReplacesThePreviousWatcher) {
    const QString first = mtest::freshDir("first");
    const QString second = mtest::freshDir("second");
    FolderQueue q;
    q.startWatcher(first);
    q.startWatcher(second);
    ASSERT_TRUE(waitFor([&] { return q.watcherRunning(); }));
    touch(first, "a.jpg");
    settle();
    EXPECT_FALSE(q.isChanged());
    touch(second, "a.jpg");
    EXPECT_TRUE(waitFor([&] { return q.isChanged(); }));
}

// --- the thread on its own, both ways of watching --------------------------------------

class WatcherMethods : public ::testing::TestWithParam<FolderWatcher::Method> {};

TEST_P(WatcherMethods, ReportsNameChangesOnly) {
    const QString dir = mtest::freshDir("thread");
    touch(dir, "a.jpg");
    std::atomic<bool> changed{false}, running{false};
    FolderWatcher t(dir, changed, running, GetParam(), 100ms);
    t.start();
    ASSERT_TRUE(waitFor([&] { return running.load(); }));

    touch(dir, "a.jpg", "rewritten");
    settle();
    EXPECT_FALSE(changed.load());

    touch(dir, "b.jpg");
    EXPECT_TRUE(waitFor([&] { return changed.load(); }));
}

TEST_P(WatcherMethods, StopWakesItAtOnce) {
    const QString dir = mtest::freshDir("thread-stop");
    std::atomic<bool> changed{false}, running{false};
    // An hour between polls: only the stop request can end the wait in time.
    FolderWatcher t(dir, changed, running, GetParam(), std::chrono::hours(1));
    t.start();
    ASSERT_TRUE(waitFor([&] { return running.load(); }));
    t.requestStop();
    EXPECT_TRUE(t.wait(QDeadlineTimer(5000)));
}

TEST_P(WatcherMethods, EndsAtOnceWhenTheFolderCannotBeWatched) {
    std::atomic<bool> changed{false}, running{false};
    FolderWatcher t(mtest::home() + "/not-there", changed, running, GetParam(), std::chrono::hours(1));
    t.start();
    EXPECT_TRUE(t.wait(QDeadlineTimer(5000)));
    EXPECT_FALSE(running.load());
    EXPECT_FALSE(changed.load());
}

TEST_P(WatcherMethods, FolderRemovedSetsTheFlagAndEnds) {
    const QString dir = mtest::freshDir("thread-gone");
    std::atomic<bool> changed{false}, running{false};
    FolderWatcher t(dir, changed, running, GetParam(), 100ms);
    t.start();
    ASSERT_TRUE(waitFor([&] { return running.load(); }));
    ASSERT_TRUE(QDir(dir).removeRecursively());
    EXPECT_TRUE(waitFor([&] { return changed.load(); }));
    EXPECT_TRUE(t.wait(QDeadlineTimer(5000)));
}

INSTANTIATE_TEST_SUITE_P(Folder, WatcherMethods,
                         ::testing::Values(FolderWatcher::Method::Notify, FolderWatcher::Method::Poll),
                         [](const ::testing::TestParamInfo<FolderWatcher::Method>& info) {
                             return info.param == FolderWatcher::Method::Notify ? std::string("Notify")
                                                                                : std::string("Poll");
                         });

} // namespace
