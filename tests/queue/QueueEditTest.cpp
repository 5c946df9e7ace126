// SPDX-License-Identifier: MIT
// Record numbers, adding and deleting entries, the 6,000-entry limit.
#include "QueueTestSupport.h"
#include "queue/PathSplit.h"

#include <QDir>
#include <QFile>

#include <tuple>
#include <vector>

using namespace qtest;

namespace {

class QueueEdit : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(q.load(file).ok()); }
    QString image(const QString& name) {
        EXPECT_TRUE(mtest::writeFile(dir + "/" + name, "img"));
        return dir + "/" + name;
    }
    void addImages(int n) {
        for (int i = 1; i <= n; ++i)
            ASSERT_EQ(q.addOneFile(image(QString("%1.jpg").arg(i))), Queue::AddResult::Added);
    }

    QString dir = mtest::freshDir("edit");
    QString file = dir + "/q.qu3";
    Queue q{env()};
};

// A missing file is skipped without a change. The first entry lands in record 1 at 30,720 and
// the file grows to 35,840 bytes; the slot before it belongs to no entry and stays zero.
TEST_F(QueueEdit, AddFillsTheEntryAndTheTables) {
    const QByteArray empty = mtest::readFile(file);
    EXPECT_EQ(q.addOneFile(dir + "/nope.jpg"), Queue::AddResult::Missing);
    EXPECT_EQ(q.entryCount(), 0);
    EXPECT_EQ(mtest::readFile(file), empty);

    q.header().setTiled(4);
    // The entry before it had a sound of its own; a new one does not inherit it.
    q.entry().setSoundOption(2);
    q.entry().setSoundPath("/s/other.wav");
    int r = 0;
    ASSERT_EQ(q.addOneFile(image("a.jpg"), &r), Queue::AddResult::Added);
    EXPECT_EQ(r, 1);
    const QByteArray bytes = mtest::readFile(file);
    ASSERT_EQ(bytes.size(), 35840);
    EXPECT_EQ(namesInOrder(file), QStringList({"a.jpg"}));
    EXPECT_EQ(bytes.mid(25600, 5120), QByteArray(5120, '\0'));
    // Tiled from the header as 0/1, facts unknown, the default resize rule at screen size, default sound.
    QueueEntry expected;
    expected.setFilePath(dir + "/a.jpg");
    expected.setTiled(1);
    expected.setResizeMode(3);
    expected.setFixedWidth(1024);
    expected.setFixedHeight(768);
    EXPECT_EQ(bytes.mid(30720), expected.toByteArray());
}

// Rows deleted last first, as the list deletes them; the next add takes the lowest free record.
TEST_F(QueueEdit, DeletingRowsTwoAndFourOfSixClosesUpTheIndex) {
    addImages(6);
    q.setShown(5, true);
    EXPECT_FALSE(q.deleteEntry(0, 0));
    EXPECT_FALSE(q.deleteEntry(7, 7));
    ASSERT_TRUE(q.deleteEntry(4, 4));
    ASSERT_TRUE(q.deleteEntry(2, 2));
    ASSERT_TRUE(q.writeHeader());
    EXPECT_EQ(q.entryCount(), 4);
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(q.header().recordUse(r), r == 2 || r == 4 ? 0 : r) << r;
    EXPECT_EQ(namesInOrder(file), QStringList({"1.jpg", "3.jpg", "5.jpg", "6.jpg"}));
    // Shown flags follow their rows.
    EXPECT_TRUE(q.shown(3));
    EXPECT_FALSE(q.shown(5));
    // Records of deleted entries stay in the file, which is never shortened; the image files are untouched.
    EXPECT_EQ(QFileInfo(file).size(), 25600 + 7 * 5120);
    EXPECT_TRUE(QFileInfo::exists(dir + "/2.jpg"));

    int r = 0;
    ASSERT_EQ(q.addOneFile(image("7.jpg"), &r), Queue::AddResult::Added);
    EXPECT_EQ(r, 2);
    EXPECT_EQ(namesInOrder(file), QStringList({"1.jpg", "3.jpg", "5.jpg", "6.jpg", "7.jpg"}));
}

// The position counts rows: deleting a row at or before it moves it back one, so
// the next sequential change shows the row that followed the last one shown.
TEST(DeletePosition, FollowsTheRows) {
    for (auto [position, row, expected] :
         {std::tuple{3, 5, 3}, {3, 3, 2}, {3, 1, 2}, {0, 1, 0}, {1, 1, 0}, {5, 4, 4}}) {
        Queue q(env());
        q.header().setEntryCount(5);
        q.header().setCurrentPosition(std::int16_t(position));
        q.setPosition(position);
        ASSERT_TRUE(q.deleteEntry(row, row));
        EXPECT_EQ(q.header().currentPosition(), expected) << position << " " << row;
        EXPECT_EQ(q.position(), expected) << position << " " << row;
    }
}

TEST_F(QueueEdit, SixThousandEntriesAtMost) {
    // A damaged header whose record use table is full although one entry is free: no record to give.
    for (int r = 1; r <= 6000; ++r)
        q.header().setRecordUse(r, r);
    q.header().setEntryCount(5999);
    const QByteArray full = q.header().toByteArray();
    EXPECT_EQ(q.allocateRecord(), -1);
    EXPECT_EQ(q.header().toByteArray(), full);

    // Adding three to a queue of 5,999 adds one and refuses two without a change.
    q.header().setRecordUse(6000, 0);
    ASSERT_EQ(q.addOneFile(image("a.jpg")), Queue::AddResult::Added);
    EXPECT_EQ(std::tuple(q.entryCount(), q.header().recordIndex(6000)), std::tuple(6000, 6000));
    const QByteArray before = q.header().toByteArray();
    for (const char* name : {"b.jpg", "c.jpg"})
        EXPECT_EQ(q.addOneFile(image(name)), Queue::AddResult::LimitReached);
    EXPECT_EQ(q.header().toByteArray(), before);
    EXPECT_EQ(Queue::kLimitMessage, "There are 6,000 entries in this queue.  Muralo32 cannot support more, so "
                                    "addtional files are not allowed.");
}

// A record missing from the file fails to read without harm; an entry that cannot be written
// undoes its add.
TEST_F(QueueEdit, FileTroubleLeavesTheQueueUsable) {
    // A header claiming three entries with only two records behind it.
    const QByteArray bytes = queueFileBytes(handMadeHeader(3), {"/one.jpg", "/two.jpg"});
    ASSERT_TRUE(mtest::writeFile(file, bytes));
    ASSERT_TRUE(q.load(file).ok());
    EXPECT_FALSE(q.readEntry(3));
    EXPECT_FALSE(q.busy());
    ASSERT_TRUE(q.readEntry(2));
    EXPECT_EQ(q.entry().trimmedPath(), "/two.jpg");
    EXPECT_EQ(mtest::readFile(file), bytes);

    // The queue file replaced by a folder cannot be written.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    const QByteArray before = q.header().toByteArray();
    EXPECT_EQ(q.addOneFile(image("a.jpg")), Queue::AddResult::WriteFailed);
    // Settings, count and record use as before (the index table only counts up to the count).
    EXPECT_EQ(q.header().toByteArray().left(13600), before.left(13600));
    EXPECT_FALSE(q.busy());
}

// Clearing keeps the settings and the records in the file; shown flags grow for folder
// queues, which may show more images than a queue file holds.
TEST_F(QueueEdit, ClearEntriesAndShownFlags) {
    addImages(1);
    q.header().setOrderMode(2);
    q.setPosition(1);
    q.setShown(8000, true);
    EXPECT_TRUE(q.shown(8000));
    q.clearEntries();
    ASSERT_TRUE(q.writeHeader());
    // Count, position, use of record 1, order mode and the file's size.
    EXPECT_EQ(std::vector<qint64>({q.entryCount(), q.position(), q.header().recordUse(1), q.header().orderMode(),
                                   QFileInfo(file).size()}),
              std::vector<qint64>({0, 0, 0, 2, 35840}));
    for (int row : {8000, 0, -4})
        EXPECT_FALSE(q.shown(row)) << row;
}

TEST(PathSplitting, Parts) {
    for (const auto& [path, folder, fileName, name, extension] :
         {std::tuple{"/pics/Summer.QU3", "/pics/", "Summer.QU3", "Summer", ".QU3"},
          {"/a.b/c", "/a.b/", "c", "c", ""},
          {"/x/arch.tar.gz", "/x/", "arch.tar.gz", "arch.tar", ".gz"},
          {"/x/.hidden", "/x/", ".hidden", "", ".hidden"},
          {"plain.jpg", "", "plain.jpg", "plain", ".jpg"},
          {"/dir/", "/dir/", "", "", ""}}) {
        const PathParts p = splitPath(path);
        EXPECT_EQ(std::tuple(p.folder, p.fileName, p.name, p.extension, p.fullPath),
                  std::tuple(QString(folder), QString(fileName), QString(name), QString(extension), QString(path)));
    }
}

} // namespace
