// SPDX-License-Identifier: MIT
// murctl queue ... end to end, on real files.
#include "MurctlRunner.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

void putI16(QByteArray& b, qsizetype offset, int value) {
    b[offset] = char(value & 0xFF);
    b[offset + 1] = char((value >> 8) & 0xFF);
}

void putString(QByteArray& b, qsizetype offset, const QByteArray& text) {
    b[offset] = char(text.size());
    b.replace(offset + 1, text.size(), text);
}

// A queue header laid out by hand: entries 1..n in records 1..n, in both the row order and
// the record-use table.
QByteArray handMadeHeader(int entries) {
    QByteArray h(25600, '\0');
    h.replace(0, 3, "QU3");
    putI16(h, 268, entries);
    for (int i = 0; i < entries; ++i) {
        putI16(h, 1600 + 2 * i, i + 1);
        putI16(h, 13600 + 2 * i, i + 1);
    }
    return h;
}

class MurctlQueue : public ::testing::Test {
protected:
    void SetUp() override {
        dir = mtest::freshDir("murctl");
        queue = dir + "/pics.qu3";
    }
    QString image(const QString& name) {
        const QString path = dir + "/" + name;
        mtest::writeFile(path, "not really an image, but queues do not look inside");
        return path;
    }
    MurctlRun run(const QStringList& args) { return murctl(QStringList{"--screen=1024x768"} + args); }
    QJsonArray rows() { return run({"queue", "list", queue, "--json"}).json().array(); }

    QString dir;
    QString queue;
};

// Only new and add create a queue file.
TEST_F(MurctlQueue, NewWritesAnEmptyQueueAndNeverOverwrites) {
    const MurctlRun info = run({"queue", "info", queue});
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(info.err.contains("does not exist")) << info.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(queue));

    const MurctlRun r = run({"queue", "new", queue});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray b = mtest::readFile(queue);
    ASSERT_EQ(b.size(), 25600);
    EXPECT_EQ(b.left(3), "QU3");
    EXPECT_EQ(b[264], 1);

    ASSERT_TRUE(mtest::writeFile(queue, "precious"));
    const MurctlRun again = run({"queue", "new", queue});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(queue));
    EXPECT_EQ(again.err.count('\n'), 1);
    EXPECT_EQ(mtest::readFile(queue), "precious");
}

TEST_F(MurctlQueue, AddedQueueMatchesTheLayoutByteForByte) {
    const QStringList images{image("a.jpg"), image("b.png")};
    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    const MurctlRun r = run(QStringList{"queue", "add", queue} + images);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    QByteArray expected = handMadeHeader(2) + QByteArray(3 * 5120, '\0');
    const QByteArray programFolder = QFileInfo(mtest::builtProgram("murctl")).absolutePath().toUtf8() + "/";
    putString(expected, 6, programFolder);
    putString(expected, 135, programFolder);
    expected[264] = 1;
    // Rules and threshold as a load against a 1024 x 768 screen leaves them.
    const int rules[][2] = {{276, 768}, {278, 1024}, {282, 768}, {284, 1024}, {288, 512}, {290, 384}};
    for (const auto& [offset, value] : rules)
        putI16(expected, offset, value);
    for (int record = 1; record <= 2; ++record) {
        const qsizetype at = 25600 + record * 5120;
        putString(expected, at, images[record - 1].toUtf8());
        expected[at + 269] = 3; // use the queue's rules
        putI16(expected, at + 272, 1024);
        putI16(expected, at + 274, 768);
    }
    const QByteArray actual = mtest::readFile(queue);
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "first difference at byte " << i;
}

TEST_F(MurctlQueue, AddSkipsMissingNamesWithALineEach) {
    const QString a = image("a.jpg");
    const MurctlRun r = run({"queue", "add", queue, dir + "/missing1.jpg", a, dir + "/missing2.jpg"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.count('\n'), 2);
    EXPECT_TRUE(r.err.contains("missing1.jpg") && r.err.contains("missing2.jpg")) << r.err.toStdString();
    const QJsonArray rows = this->rows();
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject row = rows[0].toObject();
    EXPECT_EQ(row["path"].toString(), a);
    EXPECT_EQ(row["entry"].toInt(), 1);
    EXPECT_EQ(row["record"].toInt(), 1);
    EXPECT_EQ(row["resize_mode"].toInt(), 3);
}

// --loaded shows the header as a load leaves it in memory; neither writes the file.
TEST_F(MurctlQueue, InfoShowsTheStoredHeaderAndLoadedShowsItNormalised) {
    QByteArray h = handMadeHeader(0);
    h[274] = 7;           // large mode out of range
    putI16(h, 284, 5000); // small width beyond twice the screen
    putI16(h, 288, 20);   // threshold width too small
    ASSERT_TRUE(mtest::writeFile(queue, h));
    const QDateTime before = QFileInfo(queue).lastModified();

    const QJsonObject stored = run({"queue", "info", queue, "--json"}).json().object();
    EXPECT_EQ(stored["signature"].toString(), "QU3");
    EXPECT_EQ(stored["entry_count"].toInt(), 0);
    EXPECT_EQ(stored["large_rule"].toObject()["mode"].toInt(), 7);
    EXPECT_EQ(stored["small_rule"].toObject()["width"].toInt(), 5000);
    EXPECT_EQ(stored["threshold"].toObject()["width"].toInt(), 20);

    const QJsonObject loaded = run({"queue", "info", queue, "--loaded", "--json"}).json().object();
    EXPECT_EQ(loaded["large_rule"].toObject()["mode"].toInt(), 2);
    EXPECT_EQ(loaded["small_rule"].toObject()["width"].toInt(), 1024);
    EXPECT_EQ(loaded["threshold"].toObject()["width"].toInt(), 512);
    EXPECT_EQ(loaded["threshold"].toObject()["height"].toInt(), 384);

    EXPECT_EQ(mtest::readFile(queue), h);
    EXPECT_EQ(QFileInfo(queue).lastModified(), before);
}

// A number that is no entry refuses the whole command and writes nothing; the numbers given
// name entries as they were before any went.
TEST_F(MurctlQueue, DeleteRemovesEntriesButNeverImages) {
    QStringList images;
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"})
        images << image(name);
    ASSERT_EQ(run(QStringList{"queue", "add", queue} + images).status, 0);
    const QByteArray before = mtest::readFile(queue);
    for (const QStringList& bad : {QStringList{"5"}, QStringList{"0"}, QStringList{"1", "x"}, QStringList{"-1"}}) {
        const MurctlRun r = run(QStringList{"queue", "delete", queue} + bad);
        EXPECT_EQ(r.status, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(queue));
        EXPECT_EQ(mtest::readFile(queue), before);
    }
    const MurctlRun r = run({"queue", "delete", queue, "3", "1"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray rows = this->rows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject()["path"].toString(), images[1]);
    EXPECT_EQ(rows[0].toObject()["entry"].toInt(), 1);
    EXPECT_EQ(rows[1].toObject()["path"].toString(), images[3]);
    for (const QString& img : images)
        EXPECT_TRUE(QFileInfo::exists(img)) << img.toStdString();
}

TEST_F(MurctlQueue, ListStopsAtAnUnreadableRecordAfterPrintingTheEarlierOnes) {
    QByteArray record(5120, '\0');
    putString(record, 0, "/first.jpg");
    ASSERT_TRUE(mtest::writeFile(queue, handMadeHeader(3) + QByteArray(5120, '\0') + record));
    const MurctlRun r = run({"queue", "list", queue});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("/first.jpg"));
    EXPECT_TRUE(r.err.contains("entry 2")) << r.err.toStdString();
}

struct BadFile {
    const char* name;
    QByteArray bytes;
    const char* message;
};

class MurctlBadFile : public MurctlQueue, public ::testing::WithParamInterface<BadFile> {};

// Every command refuses a file that is not a usable queue, with one line naming the file,
// and leaves its bytes alone.
TEST_P(MurctlBadFile, EveryCommandRefusesWithOneLineAndNoWrite) {
    ASSERT_TRUE(mtest::writeFile(queue, GetParam().bytes));
    for (const QStringList& args :
         {QStringList{"queue", "info", queue}, QStringList{"queue", "list", queue},
          QStringList{"queue", "add", queue, image("a.jpg")}, QStringList{"queue", "delete", queue, "1"}}) {
        const MurctlRun r = run(args);
        EXPECT_NE(r.status, 0) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(queue) && r.err.contains(GetParam().message)) << r.err.toStdString();
        EXPECT_EQ(mtest::readFile(queue), GetParam().bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MurctlBadFile,
                         ::testing::Values(BadFile{"OldQue", QByteArray("QUE") + QByteArray(25597, '\1'), "old Queue"},
                                           BadFile{"OldQu2", QByteArray("QU2"), "old Queue"},
                                           BadFile{"Text", QByteArray("#!/bin/sh\necho hi\n"), "not a Muralo32 queue"},
                                           BadFile{"ShortQu3", QByteArray("QU3") + QByteArray(1000, '\0'),
                                                   "shorter than a queue header"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MurctlUsage, UnknownCommandsAndOptionsExitTwo) {
    EXPECT_EQ(murctl({"frobnicate"}).status, 2);
    EXPECT_EQ(murctl({"--bogus", "queue", "list", "x"}).status, 2);
    EXPECT_EQ(murctl({"--screen", "big", "queue", "list", "x"}).status, 2);
    EXPECT_EQ(murctl({"queue", "zap"}).status, 2);
    EXPECT_EQ(murctl({"--help"}).status, 0);
}

} // namespace
