// SPDX-License-Identifier: MIT
// Loading queue files: creation, refusals that leave files untouched, normalisation
// and the settings a new queue carries over.
#include "QueueTestSupport.h"

#include <QDir>

#include <tuple>

#include <sys/stat.h>

using namespace qtest;

namespace {

// No file of that name, or an empty one: a new empty queue is written in its place. A file that
// cannot be created leaves the queue as it was, and a busy queue does nothing at all.
TEST(QueueLoad, CreatesMissingOrEmptyFilesUnlessImpossibleOrBusy) {
    const QString dir = mtest::freshDir("load");
    Queue q(env());
    const QByteArray before = q.header().toByteArray();
    const auto failed = q.load("/nonexistent-folder-xyz/q.qu3");
    EXPECT_EQ(std::tuple(failed.status, failed.message),
              std::tuple(Queue::LoadStatus::Failed, "/nonexistent-folder-xyz/q.qu3 cannot be created."));
    EXPECT_EQ(q.header().toByteArray(), before);
    EXPECT_TRUE(q.currentFile().isEmpty());
    EXPECT_FALSE(q.busy());

    ASSERT_TRUE(mtest::writeFile(dir + "/empty.qu3", {}));
    for (const QString& file : {dir + "/missing.qu3", dir + "/empty.qu3"}) {
        EXPECT_EQ(q.load(file).status, Queue::LoadStatus::Created);
        const QByteArray bytes = mtest::readFile(file);
        ASSERT_EQ(bytes.size(), 25600);
        EXPECT_EQ(bytes.left(3), "QU3");
        EXPECT_EQ(std::tuple(q.currentFile(), q.entryCount()), std::tuple(file, 0));
    }

    q.setBusy(true);
    EXPECT_EQ(q.load(dir + "/other.qu3").status, Queue::LoadStatus::Busy);
    EXPECT_FALSE(QFileInfo::exists(dir + "/other.qu3"));
    EXPECT_FALSE(q.singleHeaderWrite());
    EXPECT_FALSE(q.readEntry(1));
    EXPECT_FALSE(q.writeEntry(1));
}

// Every refusal leaves the refused file byte for byte as it was, and the queue that was open
// stays open and usable.
TEST(QueueLoad, RefusalsLeaveTheFileAndTheOpenQueueAlone) {
    const QString dir = mtest::freshDir("refuse");
    Queue q(env());
    ASSERT_TRUE(q.load(dir + "/good.qu3").ok());
    const QString old = " is an old Queue from an earlier program version.  It cannot be used by this version of "
                        "Muralo32.  Change to another queue (QU3) or start a new one.";
    const QString other = " is not a Muralo32 queue (QU3) file.";
    // A null array stands for a folder of the queue's name.
    for (const auto& [name, bytes, message] :
         {std::tuple{"oldQue", QByteArray(25600, 'x').replace(0, 3, "QUE"), old},
          {"oldQu2", QByteArray(30000, 'x').replace(0, 3, "QU2"), old},
          {"oldShort", "QUE", old},
          {"text", "hello, this is not a queue\n", other},
          {"twoBytes", "QU", other},
          {"lowerCase", QByteArray(25600, 'x').replace(0, 3, "qu3"), other},
          {"truncated", handMadeHeader(0).left(25599),
           " is damaged: it is shorter than a queue header (25599 of 25600 bytes)."},
          {"folder", QByteArray(), " is a folder, not a queue file."}}) {
        SCOPED_TRACE(name);
        const QString bad = dir + "/" + name + ".qu3";
        ASSERT_TRUE(bytes.isNull() ? QDir().mkpath(bad) : mtest::writeFile(bad, bytes));
        const auto r = q.load(bad);
        EXPECT_EQ(std::tuple(r.status, r.message), std::tuple(Queue::LoadStatus::Refused, bad + message));
        EXPECT_EQ(q.currentFile(), dir + "/good.qu3");
        EXPECT_FALSE(q.busy());
        EXPECT_EQ(QFileInfo(bad).isDir(), bytes.isNull());
        EXPECT_EQ(mtest::readFile(bad), bytes); // a folder reads as nothing
    }
    // A fifo is refused without being opened: with no writer, opening it would block for good.
    const QString fifo = dir + "/pipe.qu3";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const auto piped = q.load(fifo);
    EXPECT_EQ(std::tuple(piped.status, piped.message),
              std::tuple(Queue::LoadStatus::Refused, fifo + " is not a regular file, so it cannot be a queue."));
    // Still usable: a header write reaches the good file.
    q.header().setOrderMode(2);
    EXPECT_TRUE(q.writeHeader());
    EXPECT_EQ(mtest::readFile(dir + "/good.qu3")[264], 2);
}

// One damaged header field at a time: the load repairs it in memory (screen 1024 x 768) and
// leaves the other fields, and the file, as they were.
TEST(QueueLoad, RepairsOnlyTheDamagedFieldAndOnlyInMemory) {
    const QString file = mtest::freshDir("norm") + "/q.qu3";
    // A sane header first: rule sizes and thresholds within the screen.
    QByteArray sane = handMadeHeader(0);
    for (auto [offset, value] : {std::pair{276, 600}, {278, 800}, {282, 600}, {284, 800}, {288, 400}, {290, 300}})
        putInt(sane, offset, value);
    // Offset, size in bytes, value stored, value after the load.
    using R = std::tuple<int, int, int, int>;
    for (const auto& [offset, size, stored, repaired] :
         {// Thresholds: 32 up to the screen size, else half the screen.
          R{288, 2, 20, 512}, R{288, 2, 1025, 512}, R{288, 2, 1024, 1024}, R{290, 2, 31, 384}, R{290, 2, 32, 32},
          // Rule sizes: 32 up to twice the screen size, else the screen size.
          R{284, 2, 2049, 1024}, R{284, 2, 2048, 2048}, R{282, 2, 1537, 768}, R{278, 2, 31, 1024}, R{276, 2, -5, 768},
          // Rule modes above 2 become 2; fixed-size flags above 1 become 0.
          R{274, 1, 7, 2}, R{281, 1, 3, 2}, R{281, 1, 1, 1}, R{280, 1, 3, 0}, R{286, 1, 2, 0},
          // Position and count: no negatives, at most 6,000 entries; the position is copied.
          R{4, 2, -1, 0}, R{4, 2, 42, 42}, R{268, 2, -1, 0}, R{268, 2, 6001, 6000},
          // Start with the first entry: 1 or 0.
          R{272, 1, 5, 0}, R{272, 1, 1, 1}}) {
        SCOPED_TRACE(testing::Message() << "offset " << offset << " holding " << stored);
        QByteArray bytes = sane;
        putInt(bytes, offset, stored, size);
        ASSERT_TRUE(mtest::writeFile(file, bytes));
        Queue q(env());
        ASSERT_TRUE(q.load(file).ok());
        QByteArray expected = bytes;
        putInt(expected, offset, repaired, size);
        EXPECT_EQ(q.header().toByteArray(), expected);
        EXPECT_EQ(q.position(), q.header().currentPosition());
        EXPECT_EQ(mtest::readFile(file), bytes); // loading never writes
    }
}

// The working copies a load takes, the shown flags it clears and the sound dialog's folder.
TEST(QueueLoad, WorkingCopiesShownFlagsAndSoundFolder) {
    const QString dir = mtest::freshDir("working");
    const QByteArray sound = (dir + "/ding.wav").toUtf8();
    ASSERT_TRUE(mtest::writeFile(sound, "RIFF"));
    Queue q(env());
    const auto load = [&](const QString& file, const QByteArray& relink, const QByteArray& image,
                          std::initializer_list<std::pair<int, char>> flags) {
        QByteArray bytes = handMadeHeader(0);
        putString(bytes, 6, relink);
        putString(bytes, 135, image);
        putString(bytes, 293, sound);
        for (auto [offset, value] : flags)
            bytes[offset] = value;
        return mtest::writeFile(file, bytes) && q.load(file).ok() && mtest::readFile(file) == bytes;
    };
    // Relink folder, image folder, default sound, sound folder ("-": none), gamma and sorting, as worked with.
    using Working = std::tuple<QString, QString, QString, QString, bool, bool>;
    const auto working = [&q] {
        return Working{q.workingRelinkFolder,       q.workingImageFolder, q.workingDefaultSound,
                       q.soundFolder.value_or("-"), q.workingGamma,       q.workingSorted};
    };

    // Empty folders stand for the program folder; a switched-off default sound is kept but not used.
    q.setShown(3, true);
    ASSERT_TRUE(load(dir + "/a.qu3", "", "", {{270, 1}, {265, 9}}));
    EXPECT_EQ(working(), (Working{"/opt/muralo/", "/opt/muralo/", "", "-", true, false}));
    EXPECT_EQ(q.header().defaultSound(), sound);
    EXPECT_FALSE(q.shown(3));

    // Folders are trimmed; a default sound that is on and exists gives the sound folder.
    ASSERT_TRUE(load(dir + "/b.qu3", " /old/ ", "  /pics/ ", {{266, 1}}));
    EXPECT_EQ(working(), (Working{"/old/", "/pics/", sound, dir + "/", false, true}));

    // A default sound that is gone leaves the sound folder where the user last chose a sound.
    ASSERT_TRUE(QFile::remove(QString::fromUtf8(sound)));
    q.soundFolder = "/home/user/sounds/";
    ASSERT_TRUE(load(dir + "/c.qu3", "", "", {}));
    EXPECT_EQ(q.soundFolder, "/home/user/sounds/");
}

// Two entries naming one record: the later one is left out and the loss is told once.
TEST(QueueLoad, SharedRecordKeepsTheFirstEntryOnly) {
    const QString file = mtest::freshDir("dup") + "/q.qu3";
    QByteArray header = handMadeHeader(4);
    putInt(header, 13604, 1); // entry 3 names record 1, as entry 1 does
    const QByteArray bytes = queueFileBytes(header, {"/r1.jpg", "/r2.jpg", "/r3.jpg", "/r4.jpg"});
    ASSERT_TRUE(mtest::writeFile(file, bytes));
    Queue q(env());
    const auto r = q.load(file);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.warning.contains("1 of its entries")) << r.warning.toStdString();
    EXPECT_EQ(std::tuple(q.entryCount(), q.recordOfEntry(3), q.recordOfEntry(4)), std::tuple(3, 4, 0));
    EXPECT_EQ(mtest::readFile(file), bytes); // loading never writes
    ASSERT_TRUE(q.writeHeader());
    EXPECT_EQ(namesInOrder(file), QStringList({"r1.jpg", "r2.jpg", "r4.jpg"}));
    EXPECT_TRUE(q.load(file).warning.isEmpty());
}

// A new queue file takes the display settings and reserved bytes of the queue open before
// it; its entries, position and folder-queue flag start empty.
TEST(NewHeader, NewQueueFileCarriesDisplaySettingsOver) {
    const QString dir = mtest::freshDir("carry");
    Queue q(env(dir + "/prog/"));
    ASSERT_TRUE(q.load(dir + "/a.qu3").ok());
    QueueHeader& h = q.header();
    // Every byte from the start-with-first flag to the tables: rules, thresholds, sound, reserved bytes.
    for (std::size_t i = 272; i < 1600; ++i)
        h.data()[i] = std::uint8_t(i);
    h.setOrderMode(2);
    h.setSorted(1);
    h.setEntryCount(3);
    h.setCurrentPosition(2);
    h.setRecordUse(1, 1);
    h.setRecordIndex(6000, 1);
    h.setRelinkFolder(dir);           // exists: kept
    h.setImageFolder(dir + "/gone/"); // gone: the program folder
    QueueHeader expected = h;
    expected.setEntryCount(0);
    expected.setCurrentPosition(0);
    expected.setRecordUse(1, 0);
    expected.setRecordIndex(6000, 0);
    expected.setFolderQueue(0);
    expected.setImageFolder(dir + "/prog/");

    ASSERT_EQ(q.load(dir + "/b.qu3").status, Queue::LoadStatus::Created);
    EXPECT_EQ(mtest::readFile(dir + "/b.qu3"), expected.toByteArray());
}

// Only random order survives as such; gamma and sorting become 0 or 1; the no-default-sound
// flag and the reserved byte after it keep 0 and 2, the rest become 1.
TEST(NewHeader, FlagsAreCarriedOverNormalised) {
    // Order mode, gamma, sorted, no-default-sound flag, reserved byte 271.
    using Flags = std::tuple<int, int, int, int, int>;
    for (auto [stored, order, onOff, soundFlag] :
         {std::tuple{0, 1, 0, 0}, {1, 1, 1, 1}, {2, 2, 1, 2}, {3, 1, 1, 1}, {200, 1, 1, 1}, {255, 1, 1, 1}}) {
        Queue q(env());
        QueueHeader& h = q.header();
        for (std::size_t offset : {264, 265, 266, 270, 271})
            h.data()[offset] = std::uint8_t(stored);
        q.newHeader();
        EXPECT_EQ(Flags(h.orderMode(), h.gammaOn(), h.sorted(), h.noDefaultSound(), h.data()[271]),
                  Flags(order, onOff, onOff, soundFlag, soundFlag))
            << "stored " << stored;
    }
}

} // namespace
