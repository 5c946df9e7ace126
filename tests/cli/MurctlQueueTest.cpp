// SPDX-License-Identifier: MIT
// murctl queue ... end to end, on real files.
#include "MurctlRunner.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

void putI16(QByteArray& b, qsizetype off, int v) {
    b[off] = char(v & 0xFF);
    b[off + 1] = char((v >> 8) & 0xFF);
}
void putString(QByteArray& b, qsizetype off, const QByteArray& s) {
    b[off] = char(s.size());
    for (qsizetype i = 0; i < s.size(); ++i)
        b[off + 1 + i] = s[i];
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
    MurctlRun run(QStringList args) {
        args.prepend("--screen=1024x768");
        return murctl(args);
    }
    QString dir, queue;
};

TEST_F(MurctlQueue, NewWritesAnEmptyQueue) {
    const MurctlRun r = run({"queue", "new", queue});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray b = mtest::readFile(queue);
    ASSERT_EQ(b.size(), 25600);
    EXPECT_EQ(b.left(3), "QU3");
    EXPECT_EQ(b[264], 1);
}

TEST_F(MurctlQueue, NewRefusesAnExistingFile) {
    ASSERT_TRUE(mtest::writeFile(queue, "precious"));
    const MurctlRun r = run({"queue", "new", queue});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(queue));
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_EQ(mtest::readFile(queue), "precious");
}

// What add writes, checked against a file laid out by hand.
TEST_F(MurctlQueue, AddedQueueMatchesTheLayoutByteForByte) {
    const QString a = image("a.jpg");
    const QString b = image("b.png");
    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    const MurctlRun r = run({"queue", "add", queue, a, b});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    const QByteArray programFolder = QFileInfo(mtest::builtProgram("murctl")).absolutePath().toUtf8() + "/";
    QByteArray expected(25600 + 3 * 5120, '\0');
    expected[0] = 'Q';
    expected[1] = 'U';
    expected[2] = '3';
    putString(expected, 6, programFolder);
    putString(expected, 135, programFolder);
    expected[264] = 1;
    putI16(expected, 268, 2);
    // Rules and threshold as a load against a 1024 x 768 screen leaves them.
    putI16(expected, 276, 768);
    putI16(expected, 278, 1024);
    putI16(expected, 282, 768);
    putI16(expected, 284, 1024);
    putI16(expected, 288, 512);
    putI16(expected, 290, 384);
    putI16(expected, 1600, 1);
    putI16(expected, 1602, 2);
    putI16(expected, 13600, 1);
    putI16(expected, 13602, 2);
    int record = 1;
    for (const QString& path : {a, b}) {
        const qsizetype off = 25600 + record * 5120;
        putString(expected, off, path.toUtf8());
        expected[off + 269] = 3; // use the queue's rules
        putI16(expected, off + 272, 1024);
        putI16(expected, off + 274, 768);
        ++record;
    }
    const QByteArray actual = mtest::readFile(queue);
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << "first difference at byte " << i;
}

TEST_F(MurctlQueue, AddSkipsMissingNamesWithALineEachAndStatusOne) {
    const QString a = image("a.jpg");
    const MurctlRun r = run({"queue", "add", queue, dir + "/missing1.jpg", a, dir + "/missing2.jpg"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.count('\n'), 2);
    EXPECT_TRUE(r.err.contains("missing1.jpg"));
    EXPECT_TRUE(r.err.contains("missing2.jpg"));
    const MurctlRun list = run({"--json", "queue", "list", queue});
    ASSERT_EQ(list.status, 0);
    ASSERT_EQ(list.json().array().size(), 1);
    EXPECT_EQ(list.json().array()[0].toObject()["path"].toString(), a);
}

TEST_F(MurctlQueue, InfoJsonNamesEveryField) {
    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    const MurctlRun r = run({"queue", "info", queue, "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = r.json().object();
    for (const char* key : {"signature", "current_position", "relink_folder", "image_folder", "order_mode", "gamma_on",
                            "sorted", "entry_count", "no_default_sound", "start_with_first", "tiled", "large_rule",
                            "small_rule", "threshold", "folder_queue", "default_sound"})
        EXPECT_TRUE(o.contains(key)) << key;
    for (const char* key : {"mode", "fixed_size", "width", "height"}) {
        EXPECT_TRUE(o["large_rule"].toObject().contains(key)) << key;
        EXPECT_TRUE(o["small_rule"].toObject().contains(key)) << key;
    }
    EXPECT_EQ(o["signature"].toString(), "QU3");
    EXPECT_EQ(o["entry_count"].toInt(), 0);
}

TEST_F(MurctlQueue, InfoShowsTheStoredHeaderAndLoadedShowsItNormalised) {
    QByteArray h(25600, '\0');
    h[0] = 'Q';
    h[1] = 'U';
    h[2] = '3';
    h[274] = 7;           // large mode out of range
    putI16(h, 284, 5000); // small width beyond twice the screen
    putI16(h, 288, 20);   // threshold width too small
    ASSERT_TRUE(mtest::writeFile(queue, h));
    const QDateTime before = QFileInfo(queue).lastModified();

    const QJsonObject stored = run({"queue", "info", queue, "--json"}).json().object();
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

TEST_F(MurctlQueue, ListJsonRowsCarryEveryField) {
    const QString a = image("a.jpg");
    ASSERT_EQ(run({"queue", "add", queue, a}).status, 0);
    const QJsonArray rows = run({"queue", "list", queue, "--json"}).json().array();
    ASSERT_EQ(rows.size(), 1);
    const QJsonObject row = rows[0].toObject();
    for (const char* key :
         {"entry", "record", "path", "file_date", "tiled", "bits_per_pixel", "width", "height", "facts_known",
          "resize_mode", "fixed_size", "fixed_width", "fixed_height", "sound_option", "sound_path"})
        EXPECT_TRUE(row.contains(key)) << key;
    EXPECT_EQ(row["entry"].toInt(), 1);
    EXPECT_EQ(row["record"].toInt(), 1);
    EXPECT_EQ(row["resize_mode"].toInt(), 3);
}

TEST_F(MurctlQueue, DeleteRemovesEntriesButNeverImages) {
    QStringList images;
    for (const char* n : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"})
        images << image(n);
    ASSERT_EQ(run(QStringList{"queue", "add", queue} + images).status, 0);
    const MurctlRun r = run({"queue", "delete", queue, "3", "1"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray rows = run({"queue", "list", queue, "--json"}).json().array();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject()["path"].toString(), images[1]);
    EXPECT_EQ(rows[1].toObject()["path"].toString(), images[3]);
    EXPECT_EQ(rows[0].toObject()["entry"].toInt(), 1);
    for (const QString& img : images)
        EXPECT_TRUE(QFileInfo::exists(img)) << img.toStdString();
}

TEST_F(MurctlQueue, DeleteOfAnEntryThatDoesNotExistWritesNothing) {
    ASSERT_EQ(run({"queue", "add", queue, image("a.jpg")}).status, 0);
    const QByteArray before = mtest::readFile(queue);
    for (const QStringList& bad : {QStringList{"2"}, QStringList{"0"}, QStringList{"1", "x"}, QStringList{"-1"}}) {
        const MurctlRun r = run(QStringList{"queue", "delete", queue} + bad);
        EXPECT_EQ(r.status, 1) << bad.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(queue));
        EXPECT_EQ(mtest::readFile(queue), before);
    }
}

struct BadFile {
    const char* name;
    QByteArray bytes;
    const char* message;
};
void PrintTo(const BadFile& f, std::ostream* os) {
    *os << f.name;
}
class MurctlBadFile : public ::testing::TestWithParam<BadFile> {};

// Every command refuses a file that is not a usable queue, with one line naming
// the file, and leaves its bytes alone.
TEST_P(MurctlBadFile, EveryCommandRefusesWithOneLineAndNoWrite) {
    const QString dir = mtest::freshDir("bad");
    const QString file = dir + "/bad.qu3";
    ASSERT_TRUE(mtest::writeFile(file, GetParam().bytes));
    mtest::writeFile(dir + "/a.jpg", "x");
    for (const QStringList& args :
         {QStringList{"queue", "info", file}, QStringList{"queue", "list", file},
          QStringList{"queue", "add", file, dir + "/a.jpg"}, QStringList{"queue", "delete", file, "1"}}) {
        const MurctlRun r = murctl(QStringList{"--screen", "800x600"} + args);
        EXPECT_NE(r.status, 0) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(file)) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(GetParam().message)) << r.err.toStdString();
        EXPECT_EQ(mtest::readFile(file), GetParam().bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MurctlBadFile,
                         ::testing::Values(BadFile{"OldQue", QByteArray("QUE") + QByteArray(25597, '\1'), "old Queue"},
                                           BadFile{"OldQu2", QByteArray("QU2"), "old Queue"},
                                           BadFile{"Text", QByteArray("#!/bin/sh\necho hi\n"), "not a Muralo32 queue"},
                                           BadFile{"ShortQu3", QByteArray("QU3") + QByteArray(1000, '\0'),
                                                   "shorter than a queue header"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MurctlQueue, ListStopsAtAnUnreadableRecordAfterPrintingTheEarlierOnes) {
    QByteArray h(25600, '\0');
    h[0] = 'Q';
    h[1] = 'U';
    h[2] = '3';
    putI16(h, 268, 3);
    for (int i = 1; i <= 3; ++i) {
        putI16(h, 1600 + 2 * (i - 1), i);
        putI16(h, 13600 + 2 * (i - 1), i);
    }
    QByteArray rec(5120, '\0');
    putString(rec, 0, "/first.jpg");
    ASSERT_TRUE(mtest::writeFile(queue, h + QByteArray(5120, '\0') + rec));
    const MurctlRun r = run({"queue", "list", queue});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains("/first.jpg"));
    EXPECT_TRUE(r.err.contains("entry 2")) << r.err.toStdString();
}

TEST_F(MurctlQueue, InfoOfAMissingFileFailsWithoutCreatingIt) {
    const MurctlRun r = run({"queue", "info", queue});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("does not exist"));
    EXPECT_FALSE(QFileInfo::exists(queue));
}

TEST(MurctlUsage, UnknownCommandsAndOptionsExitTwo) {
    EXPECT_EQ(murctl({"frobnicate"}).status, 2);
    EXPECT_EQ(murctl({"--bogus", "queue", "list", "x"}).status, 2);
    EXPECT_EQ(murctl({"--screen", "big", "queue", "list", "x"}).status, 2);
    EXPECT_EQ(murctl({"queue", "zap"}).status, 2);
    EXPECT_EQ(murctl({"--help"}).status, 0);
}

} // namespace
