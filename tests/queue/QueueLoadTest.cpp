// SPDX-License-Identifier: MIT
// Loading queue files: creation, refusals that leave files untouched, normalisation
// and the settings a new queue carries over.
#include "QueueTestSupport.h"
#include "queue/QueueFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace qtest;

namespace {

class QueueCreate : public ::testing::TestWithParam<bool> {};

// No file of that name, or an empty one: a new empty queue is written in its place.
TEST_P(QueueCreate, MissingOrEmptyFileBecomesAnEmptyQueue) {
    const QString file = mtest::freshDir("load") + "/new.qu3";
    if (GetParam()) {
        ASSERT_TRUE(mtest::writeFile(file, {}));
    }
    Queue q(env());
    EXPECT_EQ(q.load(file).status, Queue::LoadStatus::Created);
    const QByteArray bytes = mtest::readFile(file);
    ASSERT_EQ(bytes.size(), 25600);
    EXPECT_EQ(bytes.left(3), "QU3");
    EXPECT_EQ(getI16(bytes, 268), 0);
    EXPECT_EQ(q.currentFile(), file);
    EXPECT_EQ(q.entryCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, QueueCreate, ::testing::Bool());

struct RefusedFile {
    const char* name;
    std::function<QByteArray()> bytes;
    const char* messagePart;
};
void PrintTo(const RefusedFile& f, std::ostream* os) {
    *os << f.name;
}

class QueueRefusal : public ::testing::TestWithParam<RefusedFile> {};

// Every refusal leaves the refused file byte for byte as it was, and the queue
// that was open stays open and usable.
TEST_P(QueueRefusal, LeavesFileUnchangedAndKeepsTheOpenQueue) {
    const QString dir = mtest::freshDir("refuse");
    const QString good = dir + "/good.qu3";
    const QString bad = dir + "/bad.qu3";
    const QByteArray badBytes = GetParam().bytes();
    ASSERT_TRUE(mtest::writeFile(bad, badBytes));

    Queue q(env());
    ASSERT_TRUE(q.load(good).ok());
    q.header().setOrderMode(2);
    ASSERT_TRUE(q.writeHeader());

    const auto r = q.load(bad);
    EXPECT_EQ(r.status, Queue::LoadStatus::Refused);
    EXPECT_TRUE(r.message.startsWith(bad)) << r.message.toStdString();
    EXPECT_TRUE(r.message.contains(GetParam().messagePart)) << r.message.toStdString();
    EXPECT_EQ(mtest::readFile(bad), badBytes);
    EXPECT_EQ(q.currentFile(), good);
    EXPECT_FALSE(q.busy());
    // Still usable: a header write reaches the good file and not the refused one.
    q.header().setOrderMode(1);
    EXPECT_TRUE(q.writeHeader());
    EXPECT_EQ(mtest::readFile(good)[264], 1);
    EXPECT_EQ(mtest::readFile(bad), badBytes);
}

QByteArray withSignature(const char* sig, qsizetype size) {
    QByteArray b(size, 'x');
    for (int i = 0; i < 3; ++i)
        b[i] = sig[i];
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Files, QueueRefusal,
    ::testing::Values(
        RefusedFile{"OldQue", [] { return withSignature("QUE", 25600); },
                    " is an old Queue from an earlier program version.  It cannot be used by this version of "
                    "Muralo32.  Change to another queue (QU3) or start a new one."},
        RefusedFile{"OldQu2", [] { return withSignature("QU2", 30000); }, " is an old Queue"},
        RefusedFile{"OldShort", [] { return withSignature("QUE", 3); }, " is an old Queue"},
        RefusedFile{"TextFile", [] { return QByteArray("hello, this is not a queue\n"); }, "not a Muralo32 queue"},
        RefusedFile{"TwoBytes", [] { return QByteArray("QU"); }, "not a Muralo32 queue"},
        RefusedFile{"LowerCase", [] { return withSignature("qu3", 25600); }, "not a Muralo32 queue"},
        RefusedFile{"Truncated", [] { return handMadeHeader(0).left(25599); }, "shorter than a queue header"},
        RefusedFile{"SignatureOnly", [] { return QByteArray("QU3"); }, "shorter than a queue header"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueueLoad, FolderOfTheQueuesNameIsRefused) {
    const QString dir = mtest::freshDir("refuse");
    QDir(dir).mkpath("folder.qu3");
    Queue q(env());
    EXPECT_EQ(q.load(dir + "/folder.qu3").status, Queue::LoadStatus::Refused);
    EXPECT_TRUE(QFileInfo(dir + "/folder.qu3").isDir());
}

TEST(QueueLoad, BusyQueueDoesNothing) {
    const QString file = mtest::freshDir("load") + "/q.qu3";
    Queue q(env());
    q.setBusy(true);
    EXPECT_EQ(q.load(file).status, Queue::LoadStatus::Busy);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(q.singleHeaderWrite());
    EXPECT_FALSE(q.readEntry(1));
    EXPECT_FALSE(q.writeEntry(1));
}

TEST(QueueLoad, UncreatableFileFailsAndKeepsState) {
    Queue q(env());
    const auto r = q.load("/nonexistent-folder-xyz/q.qu3");
    EXPECT_EQ(r.status, Queue::LoadStatus::Failed);
    EXPECT_TRUE(q.currentFile().isEmpty());
    EXPECT_FALSE(q.busy());
}

// Normalisation against a 1024 x 768 screen.
struct Normalisation {
    const char* name;
    std::function<void(QByteArray&)> damage;
    std::function<bool(const Queue&)> check;
};
void PrintTo(const Normalisation& n, std::ostream* os) {
    *os << n.name;
}

class QueueNormalise : public ::testing::TestWithParam<Normalisation> {};

TEST_P(QueueNormalise, LoadRepairsTheHeaderInMemory) {
    const QString file = mtest::freshDir("norm") + "/q.qu3";
    QByteArray bytes = handMadeHeader(0);
    // A sane header first, so only the damaged field differs.
    putI16(bytes, 276, 600);
    putI16(bytes, 278, 800);
    putI16(bytes, 282, 600);
    putI16(bytes, 284, 800);
    putI16(bytes, 288, 400);
    putI16(bytes, 290, 300);
    GetParam().damage(bytes);
    ASSERT_TRUE(mtest::writeFile(file, bytes));
    Queue q(env());
    ASSERT_TRUE(q.load(file).ok());
    EXPECT_TRUE(GetParam().check(q));
    // Loading never writes.
    EXPECT_EQ(mtest::readFile(file), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, QueueNormalise,
    ::testing::Values(
        Normalisation{"ThresholdWidth20", [](QByteArray& b) { putI16(b, 288, 20); },
                      [](const Queue& q) { return q.header().thresholdWidth() == 512; }},
        Normalisation{"ThresholdWidthAboveScreen", [](QByteArray& b) { putI16(b, 288, 1025); },
                      [](const Queue& q) { return q.header().thresholdWidth() == 512; }},
        Normalisation{"ThresholdWidthAtScreenKept", [](QByteArray& b) { putI16(b, 288, 1024); },
                      [](const Queue& q) { return q.header().thresholdWidth() == 1024; }},
        Normalisation{"ThresholdHeight31", [](QByteArray& b) { putI16(b, 290, 31); },
                      [](const Queue& q) { return q.header().thresholdHeight() == 384; }},
        Normalisation{"ThresholdHeight32Kept", [](QByteArray& b) { putI16(b, 290, 32); },
                      [](const Queue& q) { return q.header().thresholdHeight() == 32; }},
        Normalisation{"SmallWidth5000", [](QByteArray& b) { putI16(b, 284, 5000); },
                      [](const Queue& q) { return q.header().smallRule().width == 1024; }},
        Normalisation{"SmallWidthTwiceScreenKept", [](QByteArray& b) { putI16(b, 284, 2048); },
                      [](const Queue& q) { return q.header().smallRule().width == 2048; }},
        Normalisation{"LargeHeightNegative", [](QByteArray& b) { putI16(b, 276, -5); },
                      [](const Queue& q) { return q.header().largeRule().height == 768; }},
        Normalisation{"LargeMode7", [](QByteArray& b) { b[274] = 7; },
                      [](const Queue& q) { return q.header().largeRule().mode == 2; }},
        Normalisation{"SmallMode3", [](QByteArray& b) { b[281] = 3; },
                      [](const Queue& q) { return q.header().smallRule().mode == 2; }},
        Normalisation{"SmallMode1Kept", [](QByteArray& b) { b[281] = 1; },
                      [](const Queue& q) { return q.header().smallRule().mode == 1; }},
        Normalisation{"FixedFlag3", [](QByteArray& b) { b[280] = 3; },
                      [](const Queue& q) { return q.header().largeRule().fixedSize == 0; }},
        Normalisation{"NegativePosition", [](QByteArray& b) { putI16(b, 4, -7); },
                      [](const Queue& q) { return q.header().currentPosition() == 0 && q.position() == 0; }},
        Normalisation{"PositionCopied", [](QByteArray& b) { putI16(b, 4, 42); },
                      [](const Queue& q) { return q.position() == 42; }},
        Normalisation{"NegativeCount", [](QByteArray& b) { putI16(b, 268, -1); },
                      [](const Queue& q) { return q.entryCount() == 0; }},
        Normalisation{"HugeCount", [](QByteArray& b) { putI16(b, 268, 32000); },
                      [](const Queue& q) { return q.entryCount() == 6000; }},
        Normalisation{"StartWithFirst5", [](QByteArray& b) { b[272] = 5; },
                      [](const Queue& q) { return q.header().startWithFirst() == 0; }},
        Normalisation{"EmptyFoldersBecomeProgramFolder", [](QByteArray&) {},
                      [](const Queue& q) {
                          return q.workingImageFolder == "/opt/muralo/" && q.workingRelinkFolder == "/opt/muralo/";
                      }},
        Normalisation{"FoldersTrimmed", [](QByteArray& b) { putString(b, 135, "  /pics/ "); },
                      [](const Queue& q) { return q.workingImageFolder == "/pics/"; }},
        Normalisation{"NoDefaultSoundSilencesPath",
                      [](QByteArray& b) {
                          putString(b, 293, "/s/ding.wav");
                          b[270] = 1;
                      },
                      [](const Queue& q) {
                          return q.workingDefaultSound.isEmpty() && q.header().defaultSound() == "/s/ding.wav";
                      }},
        Normalisation{"DefaultSoundKeptWhenOn", [](QByteArray& b) { putString(b, 293, "/s/ding.wav"); },
                      [](const Queue& q) { return q.workingDefaultSound == "/s/ding.wav"; }},
        Normalisation{"WorkingFlags",
                      [](QByteArray& b) {
                          b[265] = 9;
                          b[266] = 0;
                      },
                      [](const Queue& q) { return q.workingGamma && !q.workingSorted; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QueueLoad, LoadClearsShownFlags) {
    const QString file = mtest::freshDir("load") + "/q.qu3";
    Queue q(env());
    q.setShown(3, true);
    ASSERT_TRUE(q.load(file).ok());
    EXPECT_FALSE(q.shown(3));
}

TEST(QueueLoad, ExistingDefaultSoundGivesTheSoundFolder) {
    const QString dir = mtest::freshDir("snd");
    ASSERT_TRUE(mtest::writeFile(dir + "/ding.wav", "RIFF"));
    QByteArray bytes = handMadeHeader(0);
    putString(bytes, 293, (dir + "/ding.wav").toUtf8());
    ASSERT_TRUE(mtest::writeFile(dir + "/q.qu3", bytes));
    Queue q(env());
    ASSERT_TRUE(q.load(dir + "/q.qu3").ok());
    ASSERT_TRUE(q.soundFolder.has_value());
    EXPECT_EQ(*q.soundFolder, dir + "/");
}

// What a new queue takes over from the queue open before it.
TEST(NewHeader, CarriesDisplaySettingsOver) {
    const QString dir = mtest::freshDir("carry");
    Queue q(env(dir + "/prog/"));
    ASSERT_TRUE(q.load(dir + "/a.qu3").ok());
    QueueHeader& h = q.header();
    h.setOrderMode(2);
    h.setGammaOn(5);
    h.setSorted(1);
    h.setEntryCount(3);
    h.setCurrentPosition(2);
    h.setRecordUse(1, 1);
    h.setRecordIndex(1, 1);
    h.setFolderQueue(1);
    h.setStartWithFirst(1);
    h.setTiled(1);
    h.setLargeRule({1, 1, 800, 600});
    h.setThresholdWidth(300);
    h.setDefaultSound("/s/x.wav");
    h.setNoDefaultSound(7);
    h.data()[271] = 2;
    h.data()[549] = 0x5A; // reserved bytes travel along
    h.setRelinkFolder(dir);
    h.setImageFolder(dir + "/gone/");

    q.newHeader();
    EXPECT_EQ(h.signature(), "QU3");
    EXPECT_EQ(h.orderMode(), 2);
    EXPECT_EQ(h.gammaOn(), 1);
    EXPECT_EQ(h.sorted(), 1);
    EXPECT_EQ(h.entryCount(), 0);
    EXPECT_EQ(h.currentPosition(), 0);
    EXPECT_EQ(h.folderQueue(), 0);
    EXPECT_EQ(h.recordUse(1), 0);
    EXPECT_EQ(h.recordIndex(1), 0);
    EXPECT_EQ(h.startWithFirst(), 1);
    EXPECT_EQ(h.tiled(), 1);
    EXPECT_EQ(h.largeRule(), (QueueHeader::Rule{1, 1, 800, 600}));
    EXPECT_EQ(h.thresholdWidth(), 300);
    EXPECT_EQ(h.defaultSound(), "/s/x.wav");
    EXPECT_EQ(h.noDefaultSound(), 1);
    EXPECT_EQ(h.data()[271], 2);
    EXPECT_EQ(h.data()[549], 0x5A);
    EXPECT_EQ(h.relinkFolder(), dir);           // exists: kept
    EXPECT_EQ(h.imageFolder(), dir + "/prog/"); // gone: the program folder
}

struct FlagCase {
    int stored, order, noDefaultSound;
};

class NewHeaderFlags : public ::testing::TestWithParam<FlagCase> {};

// Only random order survives as such; the no-default-sound flag keeps 0 and 2, the rest become 1.
TEST_P(NewHeaderFlags, AreCarriedOverNormalised) {
    Queue q(env());
    q.header().setOrderMode(GetParam().stored);
    q.header().setNoDefaultSound(GetParam().stored);
    q.newHeader();
    EXPECT_EQ(q.header().orderMode(), GetParam().order);
    EXPECT_EQ(q.header().noDefaultSound(), GetParam().noDefaultSound);
}

INSTANTIATE_TEST_SUITE_P(Values, NewHeaderFlags,
                         ::testing::Values(FlagCase{0, 1, 0}, FlagCase{1, 1, 1}, FlagCase{2, 2, 2}, FlagCase{3, 1, 1},
                                           FlagCase{200, 1, 1}, FlagCase{255, 1, 1}));

TEST(NewHeader, NewQueueFileInheritsFromTheOpenQueue) {
    const QString dir = mtest::freshDir("carry");
    Queue q(env());
    ASSERT_TRUE(q.load(dir + "/a.qu3").ok());
    q.header().setOrderMode(2);
    q.header().setGammaOn(1);
    q.header().setSorted(1);
    ASSERT_TRUE(q.writeHeader());
    ASSERT_TRUE(q.load(dir + "/b.qu3").ok());
    const QByteArray b = mtest::readFile(dir + "/b.qu3");
    EXPECT_EQ(b[264], 2);
    EXPECT_EQ(b[265], 1);
    EXPECT_EQ(b[266], 1);
    EXPECT_EQ(getI16(b, 268), 0);
    EXPECT_EQ(b[292], 0);
}

} // namespace
