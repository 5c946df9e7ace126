// SPDX-License-Identifier: MIT
// The .QU3 byte layout: what our code writes lands at the right offsets, and bytes
// written by hand read back through our code. Offsets are written out as numbers
// here on purpose: they are what files of other versions contain.
#include "QueueTestSupport.h"
#include "queue/QueueFile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qtest;

namespace {

using R = QueueHeader::Rule;

// Every header field set to a distinct value, and the same header built byte by byte.
QueueHeader everyHeaderField() {
    QueueHeader h;
    h.setCurrentPosition(-2);
    h.setRelinkFolder("/pics/old/");
    h.setImageFolder("/pics/new/");
    h.setOrderMode(2);
    h.setGammaOn(1);
    h.setSorted(1);
    h.setEntryCount(5999);
    h.setNoDefaultSound(1);
    h.setStartWithFirst(1);
    h.setTiled(1);
    h.setLargeRule(R{1, 1, 800, 600});
    h.setSmallRule(R{2, 1, 640, 480});
    h.setThresholdWidth(512);
    h.setThresholdHeight(384);
    h.setFolderQueue(1);
    h.setDefaultSound("/snd/ding.wav");
    h.setRecordUse(1, 1);
    h.setRecordUse(6000, 6000);
    h.setRecordIndex(1, 77);
    h.setRecordIndex(6000, 4321);
    return h;
}

QByteArray everyHeaderFieldBytes() {
    QByteArray b(25600, '\0');
    putI16(b, 4, -2);
    putString(b, 6, "/pics/old/");
    putString(b, 135, "/pics/new/");
    b[264] = 2;
    b[265] = 1;
    b[266] = 1;
    putI16(b, 268, 5999);
    b[270] = 1;
    b[272] = 1;
    b[273] = 1;
    b[274] = 1;
    putI16(b, 276, 600);
    putI16(b, 278, 800);
    b[280] = 1;
    b[281] = 2;
    putI16(b, 282, 480);
    putI16(b, 284, 640);
    b[286] = 1;
    putI16(b, 288, 512);
    putI16(b, 290, 384);
    b[292] = 1;
    putString(b, 293, "/snd/ding.wav");
    putI16(b, 1600, 1);
    putI16(b, 1600 + 2 * 5999, 6000);
    putI16(b, 13600, 77);
    putI16(b, 13600 + 2 * 5999, 4321);
    return b;
}

TEST(QueueHeaderLayout, SettersWriteTheirOffsetsAndNothingElse) {
    EXPECT_EQ(everyHeaderField().toByteArray(), everyHeaderFieldBytes());
}

TEST(QueueHeaderLayout, GettersReadHandWrittenBytes) {
    QueueHeader h;
    const QByteArray bytes = everyHeaderFieldBytes();
    memcpy(h.data(), bytes.constData(), 25600);
    EXPECT_EQ(h.currentPosition(), -2);
    EXPECT_EQ(h.relinkFolder(), "/pics/old/");
    EXPECT_EQ(h.imageFolder(), "/pics/new/");
    EXPECT_EQ(h.defaultSound(), "/snd/ding.wav");
    EXPECT_EQ(h.orderMode(), 2);
    for (int flag : {h.gammaOn(), h.sorted(), h.noDefaultSound(), h.startWithFirst(), h.tiled(), h.folderQueue()})
        EXPECT_EQ(flag, 1);
    EXPECT_EQ(h.entryCount(), 5999);
    EXPECT_EQ(h.largeRule(), (R{1, 1, 800, 600}));
    EXPECT_EQ(h.smallRule(), (R{2, 1, 640, 480}));
    EXPECT_EQ(h.thresholdWidth(), 512);
    EXPECT_EQ(h.thresholdHeight(), 384);
    EXPECT_EQ(h.recordUse(1), 1);
    EXPECT_EQ(h.recordUse(6000), 6000);
    EXPECT_EQ(h.recordIndex(1), 77);
    EXPECT_EQ(h.recordIndex(6000), 4321);
}

TEST(QueueHeaderLayout, OutOfRangeTableNumbersAreIgnored) {
    QueueHeader h;
    h.setRecordUse(0, 5);
    h.setRecordUse(6001, 5);
    h.setRecordIndex(-3, 5);
    EXPECT_EQ(h.toByteArray(), QByteArray(25600, '\0'));
    EXPECT_EQ(h.recordIndex(6001), 0);
    EXPECT_EQ(h.recordUse(0), 0);
}

TEST(QueueEntryLayout, FieldsLandAtTheirOffsetsAndReadBack) {
    QueueEntry e;
    e.setFilePath("/a/b.jpg   ");
    e.setFileDate(0x12345678);
    e.setTiled(1);
    e.setBitsPerPixel(-8);
    e.setWidth(1600);
    e.setHeight(1200);
    e.setFactsKnown(1);
    e.setResizeMode(3);
    e.setFixedSize(1);
    e.setFixedWidth(1024);
    e.setFixedHeight(768);
    e.setSoundOption(2);
    e.setSoundPath("/s/x.mid");
    e.setThumbnail(QByteArray(4000, 'T'));

    QByteArray b(5120, '\0');
    putString(b, 0, "/a/b.jpg   ");
    b[256] = 0x78, b[257] = 0x56, b[258] = 0x34, b[259] = 0x12;
    b[260] = 1;
    b[261] = char(-8);
    putI16(b, 264, 1600);
    putI16(b, 266, 1200);
    b[268] = 1;
    b[269] = 3;
    b[270] = 1;
    putI16(b, 272, 1024);
    putI16(b, 274, 768);
    b[276] = 2;
    putString(b, 277, "/s/x.mid");
    b.replace(1119, 4000, QByteArray(4000, 'T'));
    EXPECT_EQ(e.toByteArray(), b);

    QueueEntry back;
    memcpy(back.data(), b.constData(), 5120);
    EXPECT_EQ(back.filePath(), "/a/b.jpg   ");
    EXPECT_EQ(back.trimmedPath(), "/a/b.jpg");
    EXPECT_EQ(back.fileDate(), 0x12345678);
    EXPECT_EQ(back.bitsPerPixel(), -8);
    EXPECT_EQ(back.width(), 1600);
    EXPECT_EQ(back.height(), 1200);
    EXPECT_EQ(back.resizeMode(), 3);
    EXPECT_EQ(back.fixedWidth(), 1024);
    EXPECT_EQ(back.fixedHeight(), 768);
    EXPECT_EQ(back.soundOption(), 2);
    EXPECT_EQ(back.soundPath(), "/s/x.mid");
    EXPECT_EQ(back.thumbnail(), QByteArray(4000, 'T'));
}

struct CutCase {
    QString path;
    int storedBytes;
    QString readBack;
};

class ShortStringCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(ShortStringCut, IsCutToCapacityNeverInsideACharacter) {
    QueueEntry e;
    e.setFilePath(GetParam().path);
    EXPECT_EQ(std::uint8_t(e.toByteArray()[0]), GetParam().storedBytes);
    EXPECT_EQ(e.filePath(), GetParam().readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShortStringCut,
    ::testing::Values(CutCase{"/" + QString(299, 'p'), 255, "/" + QString(254, 'p')},
                      // The 255-byte cut falls inside a two-byte and a three-byte character.
                      CutCase{QString(254, 'a') + QString::fromUtf8("é") + "zz", 254, QString(254, 'a')},
                      CutCase{QString(253, 'a') + QString::fromUtf8("€"), 253, QString(253, 'a')}));

TEST(ShortStringCut, DamagedLengthByteIsCappedAtCapacity) {
    QueueHeader h;
    h.data()[6] = 200; // the relink folder claims more than its 128 bytes
    EXPECT_EQ(h.relinkFolder().size(), 128);
}

TEST(RecordPlacement, WritingRecordOneExtendsTheFileTo35840Bytes) {
    const QString file = mtest::freshDir("layout") + "/q.qu3";
    Queue q(env());
    ASSERT_TRUE(q.load(file).ok());
    EXPECT_EQ(QFileInfo(file).size(), 25600);
    q.entry().setFilePath("/p/one.jpg");
    ASSERT_TRUE(q.writeEntry(1));
    const QByteArray bytes = mtest::readFile(file);
    EXPECT_EQ(bytes.size(), 35840);
    EXPECT_EQ(getString(bytes, 30720), "/p/one.jpg");
    EXPECT_EQ(bytes.mid(25600, 5120), QByteArray(5120, '\0')); // the slot before record 1 is never written
}

TEST(RecordPlacement, RecordReaderWalksEveryRecordThroughOneOpen) {
    const QString file = mtest::freshDir("layout") + "/q.qu3";
    QByteArray bytes = handMadeHeader(3);
    putI16(bytes, 13600, 3); // records 3, 1, 2 for entries 1, 2, 3
    putI16(bytes, 13602, 1);
    putI16(bytes, 13604, 2);
    bytes += QByteArray(5120, '\0');
    for (const char* p : {"/r1.jpg", "/r2.jpg", "/r3.jpg"})
        bytes += handMadeRecord(p);
    ASSERT_TRUE(mtest::writeFile(file, bytes));
    QueueHeader h;
    ASSERT_TRUE(queuefile::readHeader(file, h));
    queuefile::RecordReader reader(file);
    ASSERT_TRUE(reader.isOpen());
    QStringList paths;
    QueueEntry e;
    for (int n = 1; n <= h.entryCount(); ++n) {
        ASSERT_TRUE(reader.read(h.recordIndex(n), e));
        paths << e.trimmedPath();
    }
    EXPECT_EQ(paths, QStringList({"/r3.jpg", "/r1.jpg", "/r2.jpg"}));
    for (int beyond : {4, 0, 6001})
        EXPECT_FALSE(reader.read(beyond, e)) << beyond;
}

} // namespace
