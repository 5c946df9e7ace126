// SPDX-License-Identifier: MIT
// The .QU3 byte layout: what our code writes lands at the right offsets, and bytes
// written by hand read back through our code. Offsets are written out as numbers
// here on purpose: they are what files of other versions contain.
#include "QueueTestSupport.h"

#include <QFile>

#include <functional>
#include <tuple>
#include <type_traits>
#include <vector>

using namespace qtest;

namespace {

using H = QueueHeader;
using E = QueueEntry;
using R = QueueHeader::Rule;

// One field: where it lies, how many bytes an integer takes (a text takes its length byte and
// its bytes), a value to store, and our code's way to write and read it.
template <class Record, class Value> struct Field {
    const char* name;
    std::size_t offset;
    int bytes;
    Value value;
    std::function<void(Record&, Value)> set;
    std::function<Value(const Record&)> get;
};

// Writes through our code into a zeroed record and checks that exactly the expected bytes changed;
// the record then holds those bytes as if written by hand, for the getters to read.
template <class Record> Record laidOut(const QByteArray& expected, const std::function<void(Record&)>& set) {
    Record written;
    set(written);
    EXPECT_EQ(written.toByteArray(), expected);
    return written;
}

template <class Record, class Value> void checkFields(const std::vector<Field<Record, Value>>& fields) {
    for (const Field<Record, Value>& f : fields) {
        SCOPED_TRACE(f.name);
        QByteArray bytes(Record::size(), '\0');
        if constexpr (std::is_same_v<Value, int>)
            putInt(bytes, f.offset, f.value, f.bytes);
        else
            putString(bytes, f.offset, f.value.toUtf8());
        EXPECT_EQ(f.get(laidOut<Record>(bytes, [&](Record& r) { f.set(r, f.value); })), f.value);
    }
}

TEST(QueueLayout, HeaderFieldsBothWays) {
    checkFields(std::vector<Field<H, int>>{
        {"currentPosition", 4, 2, -2, &H::setCurrentPosition, &H::currentPosition},
        {"orderMode", 264, 1, 2, &H::setOrderMode, &H::orderMode},
        {"gammaOn", 265, 1, 3, &H::setGammaOn, &H::gammaOn},
        {"sorted", 266, 1, 4, &H::setSorted, &H::sorted},
        {"entryCount", 268, 2, 5999, &H::setEntryCount, &H::entryCount},
        {"noDefaultSound", 270, 1, 5, &H::setNoDefaultSound, &H::noDefaultSound},
        {"startWithFirst", 272, 1, 6, &H::setStartWithFirst, &H::startWithFirst},
        {"tiled", 273, 1, 7, &H::setTiled, &H::tiled},
        {"thresholdWidth", 288, 2, 512, &H::setThresholdWidth, &H::thresholdWidth},
        {"thresholdHeight", 290, 2, 384, &H::setThresholdHeight, &H::thresholdHeight},
        {"folderQueue", 292, 1, 8, &H::setFolderQueue, &H::folderQueue},
        // The first and last elements of the record use and record index tables.
        {"use1", 1600, 2, 1, [](H& h, int v) { h.setRecordUse(1, v); }, [](const H& h) { return h.recordUse(1); }},
        {"use6000", 13598, 2, 6000, [](H& h, int v) { h.setRecordUse(6000, v); },
         [](const H& h) { return h.recordUse(6000); }},
        {"index1", 13600, 2, 77, [](H& h, int v) { h.setRecordIndex(1, v); },
         [](const H& h) { return h.recordIndex(1); }},
        {"index6000", 25598, 2, 4321, [](H& h, int v) { h.setRecordIndex(6000, v); },
         [](const H& h) { return h.recordIndex(6000); }}});
    checkFields(std::vector<Field<H, QString>>{
        {"relinkFolder", 6, 0, "/pics/old/", &H::setRelinkFolder, &H::relinkFolder},
        {"imageFolder", 135, 0, "/pics/new/", &H::setImageFolder, &H::imageFolder},
        {"defaultSound", 293, 0, "/snd/ding.wav", &H::setDefaultSound, &H::defaultSound}});

    // Numbers outside the tables are neither stored nor read.
    QueueHeader h;
    h.setRecordUse(0, 5);
    h.setRecordUse(6001, 5);
    h.setRecordIndex(-3, 5);
    EXPECT_EQ(h.toByteArray(), QByteArray(25600, '\0'));
    h.data()[1598] = 9; // where element 0 of the use table would lie
    EXPECT_EQ(std::tuple(h.recordUse(0), h.recordIndex(6001)), std::tuple(0, 0));
}

TEST(QueueLayout, ResizeRulesStoreHeightBeforeWidth) {
    QByteArray bytes(25600, '\0');
    for (auto [offset, value] : {std::pair{276, 600}, {278, 800}, {282, 480}, {284, 640}})
        putInt(bytes, offset, value);
    for (auto [offset, value] : {std::pair{274, 1}, {280, 1}, {281, 2}, {286, 1}})
        bytes[offset] = char(value);
    const H read = laidOut<H>(bytes, [](H& h) {
        h.setLargeRule(R{1, 1, 800, 600});
        h.setSmallRule(R{2, 1, 640, 480});
    });
    EXPECT_EQ(read.largeRule(), (R{1, 1, 800, 600}));
    EXPECT_EQ(read.smallRule(), (R{2, 1, 640, 480}));
}

TEST(QueueLayout, EntryFieldsBothWays) {
    checkFields(std::vector<Field<E, int>>{{"fileDate", 256, 4, 0x12345678, &E::setFileDate, &E::fileDate},
                                           {"tiled", 260, 1, 1, &E::setTiled, &E::tiled},
                                           {"bitsPerPixel", 261, 1, -8, &E::setBitsPerPixel, &E::bitsPerPixel},
                                           {"width", 264, 2, 1600, &E::setWidth, &E::width},
                                           {"height", 266, 2, 1200, &E::setHeight, &E::height},
                                           {"factsKnown", 268, 1, 1, &E::setFactsKnown, &E::factsKnown},
                                           {"resizeMode", 269, 1, 3, &E::setResizeMode, &E::resizeMode},
                                           {"fixedSize", 270, 1, 1, &E::setFixedSize, &E::fixedSize},
                                           {"fixedWidth", 272, 2, 1024, &E::setFixedWidth, &E::fixedWidth},
                                           {"fixedHeight", 274, 2, 768, &E::setFixedHeight, &E::fixedHeight},
                                           {"soundOption", 276, 1, 2, &E::setSoundOption, &E::soundOption}});
    checkFields(std::vector<Field<E, QString>>{{"filePath", 0, 0, "/a/b.jpg   ", &E::setFilePath, &E::filePath},
                                               {"soundPath", 277, 0, "/s/x.mid", &E::setSoundPath, &E::soundPath}});

    QByteArray bytes(5120, '\0');
    putString(bytes, 0, "/a/b.jpg   ");
    bytes.replace(1119, 4000, QByteArray(4000, 'T'));
    E read = laidOut<E>(bytes, [](E& e) {
        e.setFilePath("/a/b.jpg   ");
        e.setThumbnail(QByteArray(4000, 'T'));
    });
    EXPECT_EQ(read.trimmedPath(), "/a/b.jpg");
    EXPECT_EQ(read.thumbnail(), QByteArray(4000, 'T'));
    // A shorter thumbnail leaves nothing of the longer one behind.
    read.setThumbnail("abc");
    EXPECT_EQ(read.thumbnail(), "abc" + QByteArray(3997, '\0'));
}

// A path is cut to its 255 bytes, never inside a character; a damaged length byte is taken as the capacity.
TEST(QueueLayout, ShortStringsAreCutToCapacity) {
    const QString twoByte = QString::fromUtf8("é"), threeByte = QString::fromUtf8("€");
    for (auto [path, stored, readBack] : {std::tuple{"/" + QString(299, 'p'), 255, "/" + QString(254, 'p')},
                                          // The 255-byte cut falls inside a two-byte and a three-byte character.
                                          {QString(254, 'a') + twoByte + "zz", 254, QString(254, 'a')},
                                          {QString(253, 'a') + threeByte, 253, QString(253, 'a')}}) {
        QueueEntry e;
        e.setFilePath(path);
        EXPECT_EQ(std::uint8_t(e.toByteArray()[0]), stored);
        EXPECT_EQ(e.filePath(), readBack);
    }
    QueueHeader h;
    h.data()[6] = 200; // the relink folder claims more than its 128 bytes
    memset(h.data() + 7, 'x', 200);
    EXPECT_EQ(h.relinkFolder().size(), 128);
    // A zero byte inside a stored name ends it: no file name holds one.
    h.data()[293] = 5;
    memcpy(h.data() + 294, "a\0b.c", 5);
    EXPECT_EQ(h.defaultSound(), "a");
}

// Records are numbered 1..6000; the reader reads them through one open and refuses the others.
TEST(RecordPlacement, RecordReaderRefusesRecordsOutsideTheFile) {
    const QString file = mtest::freshDir("layout") + "/q.qu3";
    ASSERT_TRUE(mtest::writeFile(file, queueFileBytes(handMadeHeader(3), {"/r1.jpg", "/r2.jpg", "/r3.jpg"})));
    queuefile::RecordReader reader(file);
    QueueEntry e;
    ASSERT_TRUE(reader.read(2, e));
    EXPECT_EQ(e.trimmedPath(), "/r2.jpg");
    for (int beyond : {4, 0, 6001})
        EXPECT_FALSE(reader.read(beyond, e)) << beyond;
    // Even in a file long enough to hold it, there is no record 6001.
    ASSERT_TRUE(QFile::resize(file, 30750720 + 5120));
    EXPECT_TRUE(reader.read(6000, e));
    EXPECT_FALSE(reader.read(6001, e));
    // Single accesses refuse the same numbers.
    for (int r : {0, 6001})
        EXPECT_FALSE(queuefile::readRecord(file, r, e) || queuefile::writeRecord(file, r, e)) << r;
}

} // namespace
