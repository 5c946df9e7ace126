// SPDX-License-Identifier: MIT
// murctl queue ... end to end, on real files. The bytes a queue holds are the queue tests'
// business; here: that the commands reach them, with murctl's folder and the screen given,
// and that murctl and the window agree on a queue: a sorted queue is walked in the listed
// order, a folder queue takes no entries, a command that adds nothing writes nothing, and
// edits of the queue the program has open are made by the program.
#include "MurctlRunner.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QUuid>
#include <QtEndian>

#include "queue/Queue.h"

#include <gtest/gtest.h>

namespace {

// murctl with its own settings, talking only to a muralo32 started by the test.
class MurctlQueue : public ::testing::Test {
protected:
    void SetUp() override {
        env.insert("MURALO_INSTANCE_NAME", "murctl-queue-" + QUuid::createUuid().toString(QUuid::Id128));
        // A desktop that only remembers what it was given: no display is needed.
        ASSERT_TRUE(mtest::writeFile(dir + "/Muralo32.ini", "[Muralo32]\nDesktopBackend=fake\n"));
    }
    QString image(const QString& name) { return writeBmp(dir + "/" + name, 8, 6, 0x336699); }
    // An 800 x 600 screen, which the rules of a queue and its new entries follow.
    MurctlRun run(const QStringList& args) {
        return murctl(QStringList{"--config", dir, "--screen=800x600"} + args, env);
    }
    QJsonObject info(const QStringList& more = {}) {
        return run(QStringList{"queue", "info", queue, "--json"} + more).json().object();
    }
    QJsonArray rows() { return run({"queue", "list", queue, "--json"}).json().array(); }
    // Sets one byte of the queue header as the window's menus would store it.
    void setHeaderByte(int offset, char value) {
        QByteArray bytes = mtest::readFile(queue);
        bytes[offset] = value;
        ASSERT_TRUE(mtest::writeFile(queue, bytes));
    }

    QString dir = mtest::freshDir("murctl");
    QString queue = dir + "/pics.qu3";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

// Only new and add create a queue file; a new queue names murctl's folder as its folders.
// --loaded shows the header as a load against the screen leaves it in memory; neither writes the file.
TEST_F(MurctlQueue, NewWritesAnEmptyQueueWhichInfoShowsAsStoredAndAsLoaded) {
    EXPECT_TRUE(failsNaming(run({"queue", "info", queue}), {queue, "does not exist"}));
    EXPECT_FALSE(QFileInfo::exists(queue));

    const MurctlRun r = run({"queue", "new", queue});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject header = info();
    const QString programFolder = QFileInfo(mtest::builtProgram("murctl")).absolutePath() + "/";
    EXPECT_EQ(std::tuple(header["signature"].toString(), header["entry_count"].toInt(), header["order_mode"].toInt(),
                         header["relink_folder"].toString(), header["image_folder"].toString()),
              std::tuple(QString("QU3"), 0, 1, programFolder, programFolder));

    // A small width beyond twice the screen: stored as it is, loaded as the screen's width.
    QByteArray h = mtest::readFile(queue);
    qToLittleEndian<qint16>(5000, h.data() + 284);
    ASSERT_TRUE(mtest::writeFile(queue, h));
    const QDateTime before = QFileInfo(queue).lastModified();
    const auto smallWidth = [this](const QStringList& more) {
        return info(more)["small_rule"].toObject()["width"].toInt();
    };
    EXPECT_EQ(std::pair(smallWidth({}), smallWidth({"--loaded"})), std::pair(5000, 800));
    EXPECT_EQ(mtest::readFile(queue), h);
    EXPECT_EQ(QFileInfo(queue).lastModified(), before);

    ASSERT_TRUE(mtest::writeFile(queue, "precious"));
    EXPECT_TRUE(failsNaming(run({"queue", "new", queue}), {queue}));
    EXPECT_EQ(mtest::readFile(queue), "precious");
}

// Missing names are skipped with a line each. A number that is no entry refuses the whole
// delete and writes nothing; the numbers given name entries as they were before any went.
// A record the file is too short for ends the list.
TEST_F(MurctlQueue, AddDeleteAndListNeverTouchImages) {
    QStringList images;
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"})
        images << image(name);
    const MurctlRun added = run({"queue", "add", queue, dir + "/missing1.jpg", images[0], dir + "/missing2.jpg"});
    EXPECT_EQ(std::tuple(added.status, added.err.count('\n'), added.out),
              std::tuple(1, 2, "added 1\t1\t" + images[0] + "\n"));
    EXPECT_TRUE(added.err.contains("missing1.jpg") && added.err.contains("missing2.jpg")) << added.err.toStdString();
    const QJsonObject row = rows()[0].toObject();
    EXPECT_EQ(row["path"].toString(), images[0]);
    // Entry, record, resize mode and the fixed size the screen gives.
    EXPECT_EQ(std::vector({row["entry"].toInt(), row["record"].toInt(), row["resize_mode"].toInt(),
                           row["fixed_width"].toInt(), row["fixed_height"].toInt()}),
              std::vector({1, 1, 3, 800, 600}));

    ASSERT_EQ(run(QStringList{"queue", "add", queue} + images.mid(1)).status, 0);
    const QByteArray before = mtest::readFile(queue);
    for (const QStringList& bad : {QStringList{"5"}, QStringList{"0"}, QStringList{"1", "x"}, QStringList{"-1"}}) {
        EXPECT_TRUE(failsNaming(run(QStringList{"queue", "delete", queue} + bad), {queue}))
            << bad.join(' ').toStdString();
        EXPECT_EQ(mtest::readFile(queue), before);
    }
    ASSERT_EQ(run({"queue", "delete", queue, "3", "1"}).status, 0);
    // Entry, record and path of each row.
    ASSERT_EQ(run({"queue", "list", queue}).out, "1\t2\t" + images[1] + "\n2\t4\t" + images[3] + "\n");
    for (const QString& img : images)
        EXPECT_TRUE(QFileInfo::exists(img)) << img.toStdString();

    // Cut after record 2, the file holds entry 1 but not entry 2 (in record 4).
    ASSERT_TRUE(QFile::resize(queue, 25600 + 3 * 5120));
    const MurctlRun r = run({"queue", "list", queue});
    EXPECT_EQ(r.out, "1\t2\t" + images[1] + "\n");
    EXPECT_TRUE(failsNaming(r, {"entry 2"}));
}

// Every command refuses a file that is not a usable queue, with one line naming the file, and
// leaves its bytes alone. Which files a queue refuses, and with what words, is the queue's own test.
TEST_F(MurctlQueue, EveryCommandRefusesABadFileWithOneLineAndNoWrite) {
    for (const auto& [bytes, message] : {std::pair{QByteArray("QU2"), "old Queue"},
                                         std::pair{QByteArray("#!/bin/sh\necho hi\n"), "not a Muralo32 queue"}}) {
        ASSERT_TRUE(mtest::writeFile(queue, bytes));
        for (const QStringList& args :
             {QStringList{"queue", "info", queue}, QStringList{"queue", "list", queue},
              QStringList{"queue", "add", queue, image("a.jpg")}, QStringList{"queue", "delete", queue, "1"}}) {
            SCOPED_TRACE(args.join(' ').toStdString());
            EXPECT_TRUE(failsNaming(run(args), {queue, message}));
            EXPECT_EQ(mtest::readFile(queue), bytes);
        }
    }
}

TEST_F(MurctlQueue, ChangeWalksASortedQueueInTheListedOrder) {
    ASSERT_EQ(run({"queue", "add", queue, image("c.bmp"), image("a.bmp"), image("b.bmp")}).status, 0);
    setHeaderByte(266, 1); // sorted by name
    QStringList shown;
    for (int i = 0; i < 4; ++i) {
        const MurctlRun r = run({"change", "--queue", queue});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        shown << QFileInfo(r.out.trimmed()).fileName();
    }
    EXPECT_EQ(shown, QStringList({"a.bmp", "b.bmp", "c.bmp", "a.bmp"}));
}

TEST_F(MurctlQueue, AddRefusesAFolderQueueAndWritesNothingWhenNothingIsAdded) {
    const QString img = image("a.bmp");
    EXPECT_NE(run({"queue", "add", queue, dir + "/missing.png"}).status, 0);
    EXPECT_FALSE(QFileInfo::exists(queue)) << "no image, no queue file";

    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    setHeaderByte(292, 1); // a folder queue
    const QByteArray before = mtest::readFile(queue);
    EXPECT_TRUE(failsNaming(run({"queue", "add", queue, img}), {queue, "folder queue"}));
    EXPECT_EQ(mtest::readFile(queue), before);
}

// While muralo32 has the queue open, murctl's edits go to it: the program's next change (which
// writes its header) keeps them.
TEST_F(MurctlQueue, EditsOfTheQueueTheProgramHasOpenAreMadeByTheProgram) {
    ASSERT_EQ(run({"queue", "add", queue, image("a.bmp")}).status, 0);
    QProcess program;
    ASSERT_TRUE(startMuralo32(program, env, dir, queue, "offscreen")) << "muralo32 did not start";

    const MurctlRun added = run({"queue", "add", queue, image("b.bmp"), image("c.bmp")});
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_EQ(added.out.count("added "), 2);
    ASSERT_EQ(run({"change"}).status, 0);
    ASSERT_EQ(run({"queue", "delete", queue, "1"}).status, 0);
    ASSERT_EQ(run({"change"}).status, 0);
    // Entry, record and path of each row.
    EXPECT_EQ(run({"queue", "list", queue}).out, "1\t2\t" + dir + "/b.bmp\n2\t3\t" + dir + "/c.bmp\n");
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(30000));
}

// The file commands, on their own and handed to a muralo32 that has the queue open: relink,
// save as (the program goes on with the copy), clear, and use-folder, refused while a queue has
// entries.
class MurctlQueueFiles : public MurctlQueue, public ::testing::WithParamInterface<bool> {};

TEST_P(MurctlQueueFiles, RelinkSaveAsClearAndUseFolder) {
    const bool running = GetParam();
    ASSERT_EQ(run({"queue", "add", queue, image("a.bmp"), image("b.bmp")}).status, 0);
    QProcess program;
    if (running) {
        ASSERT_TRUE(startMuralo32(program, env, dir, queue, "offscreen")) << "muralo32 did not start";
    }
    const QString moved = mtest::freshDir("murctl-moved");
    ASSERT_EQ(run({"queue", "relink", queue, "2", moved}).status, 0);
    EXPECT_EQ(run({"queue", "list", queue}).out, "1\t1\t" + dir + "/a.bmp\n2\t2\t" + moved + "/b.bmp\n");
    EXPECT_EQ(info()["relink_folder"].toString(), moved + "/");
    EXPECT_EQ(run({"queue", "relink", queue, "3", moved}).status, 1);

    const QByteArray original = mtest::readFile(queue);
    const QString copy = dir + "/copy.qu3";
    ASSERT_EQ(run({"queue", "save-as", queue, copy}).status, 0);
    EXPECT_EQ(mtest::readFile(copy), original);
    EXPECT_EQ(run({"queue", "save-as", queue, copy}).status, 1) << "an existing file is never replaced";
    // The running program has gone on with the copy, so a change of the old queue is refused.
    EXPECT_EQ(run({"change", "--queue", queue}).status, running ? 1 : 0);
    const QByteArray left = mtest::readFile(queue);

    EXPECT_EQ(run({"queue", "use-folder", copy, moved}).status, 1);
    ASSERT_EQ(run({"queue", "clear", copy}).status, 0);
    QueueHeader h;
    ASSERT_TRUE(Queue::peekHeader(copy, h).ok());
    EXPECT_EQ(std::tuple(h.entryCount(), mtest::readFile(copy).size()), std::tuple(0, original.size()));
    ASSERT_EQ(run({"queue", "use-folder", copy, moved}).status, 0);
    ASSERT_TRUE(Queue::peekHeader(copy, h).ok());
    EXPECT_EQ(std::pair(int(h.folderQueue()), h.imageFolder()), std::pair(1, moved + "/"));
    EXPECT_EQ(mtest::readFile(queue), left) << "the commands on the copy reached the original";
    if (running) {
        program.terminate();
        EXPECT_TRUE(program.waitForFinished(30000));
    }
}

INSTANTIATE_TEST_SUITE_P(Murctl, MurctlQueueFiles, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "HandedToTheProgram" : "OnTheirOwn"; });

TEST(MurctlUsage, UnknownCommandsAndOptionsExitTwo) {
    for (const QStringList& args : {QStringList{"frobnicate"}, QStringList{"--bogus", "queue", "list", "x"},
                                    QStringList{"--screen", "big", "queue", "list", "x"}, QStringList{"queue", "zap"}})
        EXPECT_EQ(murctl(args).status, 2) << args.join(' ').toStdString();
    EXPECT_EQ(murctl({"--help"}).status, 0);
}

} // namespace
