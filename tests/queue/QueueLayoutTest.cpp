// SPDX-License-Identifier: MIT
// The .QU3 byte layout: what our code writes lands at the right offsets, and bytes
// written by hand read back through our code.
#include "QueueTestSupport.h"
#include "queue/QueueFile.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace qtest;

namespace {

struct HeaderField {
    const char* name;
    qsizetype offset;
    int width; // 1 or 2 bytes
    int value;
    std::function<void(QueueHeader&, int)> set;
    std::function<int(const QueueHeader&)> get;
};

void PrintTo(const HeaderField& f, std::ostream* os) {
    *os << f.name;
}

class HeaderFieldTest : public ::testing::TestWithParam<HeaderField> {};

TEST_P(HeaderFieldTest, SetterWritesItsOffsetAndOnlyThere) {
    const HeaderField f = GetParam();
    QueueHeader h;
    f.set(h, f.value);
    const QByteArray bytes = h.toByteArray();
    ASSERT_EQ(bytes.size(), 25600);
    const int stored = f.width == 1 ? std::uint8_t(bytes[f.offset]) : getI16(bytes, f.offset);
    EXPECT_EQ(stored, f.value);
    // Nothing else changed.
    QByteArray rest = bytes;
    for (int i = 0; i < f.width; ++i)
        rest[f.offset + i] = 0;
    EXPECT_EQ(rest, QByteArray(25600, '\0'));
}

TEST_P(HeaderFieldTest, GetterReadsHandWrittenBytes) {
    const HeaderField f = GetParam();
    QueueHeader h;
    QByteArray bytes(25600, '\0');
    if (f.width == 1)
        bytes[f.offset] = char(f.value);
    else
        putI16(bytes, f.offset, f.value);
    memcpy(h.data(), bytes.constData(), 25600);
    EXPECT_EQ(f.get(h), f.value);
}

using R = QueueHeader::Rule;
INSTANTIATE_TEST_SUITE_P(
    Offsets, HeaderFieldTest,
    ::testing::Values(HeaderField{"position", 4, 2, -2, [](QueueHeader& h, int v) { h.setCurrentPosition(v); },
                                  [](const QueueHeader& h) { return int(h.currentPosition()); }},
                      HeaderField{"order", 264, 1, 2, [](QueueHeader& h, int v) { h.setOrderMode(v); },
                                  [](const QueueHeader& h) { return int(h.orderMode()); }},
                      HeaderField{"gamma", 265, 1, 1, [](QueueHeader& h, int v) { h.setGammaOn(v); },
                                  [](const QueueHeader& h) { return int(h.gammaOn()); }},
                      HeaderField{"sorted", 266, 1, 1, [](QueueHeader& h, int v) { h.setSorted(v); },
                                  [](const QueueHeader& h) { return int(h.sorted()); }},
                      HeaderField{"count", 268, 2, 5999, [](QueueHeader& h, int v) { h.setEntryCount(v); },
                                  [](const QueueHeader& h) { return int(h.entryCount()); }},
                      HeaderField{"nodefault", 270, 1, 1, [](QueueHeader& h, int v) { h.setNoDefaultSound(v); },
                                  [](const QueueHeader& h) { return int(h.noDefaultSound()); }},
                      HeaderField{"first", 272, 1, 1, [](QueueHeader& h, int v) { h.setStartWithFirst(v); },
                                  [](const QueueHeader& h) { return int(h.startWithFirst()); }},
                      HeaderField{"tiled", 273, 1, 1, [](QueueHeader& h, int v) { h.setTiled(v); },
                                  [](const QueueHeader& h) { return int(h.tiled()); }},
                      HeaderField{"largeMode", 274, 1, 1,
                                  [](QueueHeader& h, int v) {
                                      h.setLargeRule(R{std::uint8_t(v), 0, 0, 0});
                                  },
                                  [](const QueueHeader& h) { return int(h.largeRule().mode); }},
                      HeaderField{"largeHeight", 276, 2, 600,
                                  [](QueueHeader& h, int v) {
                                      h.setLargeRule(R{0, 0, 0, std::int16_t(v)});
                                  },
                                  [](const QueueHeader& h) { return int(h.largeRule().height); }},
                      HeaderField{"largeWidth", 278, 2, 800,
                                  [](QueueHeader& h, int v) {
                                      h.setLargeRule(R{0, 0, std::int16_t(v), 0});
                                  },
                                  [](const QueueHeader& h) { return int(h.largeRule().width); }},
                      HeaderField{"largeFixed", 280, 1, 1,
                                  [](QueueHeader& h, int v) {
                                      h.setLargeRule(R{0, std::uint8_t(v), 0, 0});
                                  },
                                  [](const QueueHeader& h) { return int(h.largeRule().fixedSize); }},
                      HeaderField{"smallMode", 281, 1, 2,
                                  [](QueueHeader& h, int v) {
                                      h.setSmallRule(R{std::uint8_t(v), 0, 0, 0});
                                  },
                                  [](const QueueHeader& h) { return int(h.smallRule().mode); }},
                      HeaderField{"smallHeight", 282, 2, 480,
                                  [](QueueHeader& h, int v) {
                                      h.setSmallRule(R{0, 0, 0, std::int16_t(v)});
                                  },
                                  [](const QueueHeader& h) { return int(h.smallRule().height); }},
                      HeaderField{"smallWidth", 284, 2, 640,
                                  [](QueueHeader& h, int v) {
                                      h.setSmallRule(R{0, 0, std::int16_t(v), 0});
                                  },
                                  [](const QueueHeader& h) { return int(h.smallRule().width); }},
                      HeaderField{"smallFixed", 286, 1, 1,
                                  [](QueueHeader& h, int v) {
                                      h.setSmallRule(R{0, std::uint8_t(v), 0, 0});
                                  },
                                  [](const QueueHeader& h) { return int(h.smallRule().fixedSize); }},
                      HeaderField{"thresholdW", 288, 2, 512, [](QueueHeader& h, int v) { h.setThresholdWidth(v); },
                                  [](const QueueHeader& h) { return int(h.thresholdWidth()); }},
                      HeaderField{"thresholdH", 290, 2, 384, [](QueueHeader& h, int v) { h.setThresholdHeight(v); },
                                  [](const QueueHeader& h) { return int(h.thresholdHeight()); }},
                      HeaderField{"folder", 292, 1, 1, [](QueueHeader& h, int v) { h.setFolderQueue(v); },
                                  [](const QueueHeader& h) { return int(h.folderQueue()); }},
                      HeaderField{"use1", 1600, 2, 1, [](QueueHeader& h, int v) { h.setRecordUse(1, v); },
                                  [](const QueueHeader& h) { return int(h.recordUse(1)); }},
                      HeaderField{"use6000", 1600 + 2 * 5999, 2, 6000,
                                  [](QueueHeader& h, int v) { h.setRecordUse(6000, v); },
                                  [](const QueueHeader& h) { return int(h.recordUse(6000)); }},
                      HeaderField{"index1", 13600, 2, 77, [](QueueHeader& h, int v) { h.setRecordIndex(1, v); },
                                  [](const QueueHeader& h) { return int(h.recordIndex(1)); }},
                      HeaderField{"index6000", 13600 + 2 * 5999, 2, 4321,
                                  [](QueueHeader& h, int v) { h.setRecordIndex(6000, v); },
                                  [](const QueueHeader& h) { return int(h.recordIndex(6000)); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueueHeaderStrings, FoldersAndSoundAreLengthPrefixed) {
    QueueHeader h;
    h.setRelinkFolder("/pics/old/");
    h.setImageFolder("/pics/new/");
    h.setDefaultSound("/snd/ding.wav");
    const QByteArray b = h.toByteArray();
    EXPECT_EQ(getString(b, 6), "/pics/old/");
    EXPECT_EQ(getString(b, 135), "/pics/new/");
    EXPECT_EQ(getString(b, 293), "/snd/ding.wav");
}

TEST(QueueHeaderStrings, OutOfRangeTableNumbersAreIgnored) {
    QueueHeader h;
    h.setRecordUse(0, 5);
    h.setRecordUse(6001, 5);
    h.setRecordIndex(-3, 5);
    EXPECT_EQ(h.toByteArray(), QByteArray(25600, '\0'));
    EXPECT_EQ(h.recordIndex(6001), 0);
    EXPECT_EQ(h.recordUse(0), 0);
}

TEST(QueueEntryLayout, FieldsLandAtTheirOffsets) {
    QueueEntry e;
    e.setFilePath("/a/b.jpg");
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
    const QByteArray b = e.toByteArray();
    ASSERT_EQ(b.size(), 5120);
    EXPECT_EQ(getString(b, 0), "/a/b.jpg");
    EXPECT_EQ(getI32(b, 256), 0x12345678);
    EXPECT_EQ(b[260], 1);
    EXPECT_EQ(std::int8_t(b[261]), -8);
    EXPECT_EQ(getI16(b, 264), 1600);
    EXPECT_EQ(getI16(b, 266), 1200);
    EXPECT_EQ(b[268], 1);
    EXPECT_EQ(b[269], 3);
    EXPECT_EQ(b[270], 1);
    EXPECT_EQ(getI16(b, 272), 1024);
    EXPECT_EQ(getI16(b, 274), 768);
    EXPECT_EQ(b[276], 2);
    EXPECT_EQ(getString(b, 277), "/s/x.mid");
    EXPECT_EQ(b.mid(1119, 4000), QByteArray(4000, 'T'));
    EXPECT_EQ(b[1118], 0);
    EXPECT_EQ(b[5119], 0);
}

TEST(QueueEntryLayout, HandWrittenRecordReadsBack) {
    QByteArray b(5120, '\0');
    putString(b, 0, "/x/y.png   ");
    b[256] = 0x21;
    b[260] = 1;
    putI16(b, 264, 640);
    putI16(b, 266, 480);
    b[269] = 1;
    putString(b, 277, "/s/z.wav");
    QueueEntry e;
    memcpy(e.data(), b.constData(), 5120);
    EXPECT_EQ(e.filePath(), "/x/y.png   ");
    EXPECT_EQ(e.trimmedPath(), "/x/y.png");
    EXPECT_EQ(e.fileDate(), 0x21);
    EXPECT_EQ(e.width(), 640);
    EXPECT_EQ(e.height(), 480);
    EXPECT_EQ(e.resizeMode(), 1);
    EXPECT_EQ(e.soundPath(), "/s/z.wav");
}

TEST(ShortStrings, LongPathIsCutToCapacity) {
    QueueEntry e;
    const QString longPath = "/" + QString(299, 'p');
    e.setFilePath(longPath);
    EXPECT_EQ(e.filePath(), longPath.left(255));
    EXPECT_EQ(std::uint8_t(e.toByteArray()[0]), 255);
}

TEST(ShortStrings, CutNeverSplitsAUtf8Character) {
    QueueEntry e;
    // 254 ASCII bytes and then a two-byte character: the 255-byte cut falls inside it.
    const QString path = QString(254, 'a') + QString::fromUtf8("é") + "zz";
    e.setFilePath(path);
    EXPECT_EQ(std::uint8_t(e.toByteArray()[0]), 254);
    EXPECT_EQ(e.filePath(), QString(254, 'a'));
    const QString three = QString(253, 'a') + QString::fromUtf8("€"); // 3 bytes: 253 + 3 > 255
    e.setFilePath(three);
    EXPECT_EQ(e.filePath(), QString(253, 'a'));
}

TEST(ShortStrings, DamagedLengthByteIsCappedAtCapacity) {
    QueueHeader h;
    h.data()[6] = 200; // the relink folder claims more than its 128 bytes
    EXPECT_EQ(h.relinkFolder().size(), 128);
}

TEST(RecordPlacement, RecordOffsets) {
    EXPECT_EQ(qu3::recordOffset(1), 30720);
    EXPECT_EQ(qu3::recordOffset(2), 35840);
    EXPECT_EQ(qu3::recordOffset(6000), 6005 * 5120);
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
    // Record 5 belongs to no entry and is never written.
    EXPECT_EQ(bytes.mid(25600, 5120), QByteArray(5120, '\0'));
}

TEST(RecordPlacement, RecordReaderWalksEveryRecordThroughOneOpen) {
    const QString file = mtest::freshDir("layout") + "/q.qu3";
    QByteArray bytes = handMadeHeader(3);
    // Records 3, 1, 2 for entries 1, 2, 3.
    putI16(bytes, 13600, 3);
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
    EXPECT_FALSE(reader.read(4, e)); // beyond the end of the file
    EXPECT_FALSE(reader.read(0, e));
    EXPECT_FALSE(reader.read(6001, e));
}

} // namespace
