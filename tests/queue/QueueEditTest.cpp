// SPDX-License-Identifier: MIT
// Record numbers, adding and deleting entries, the 6,000-entry limit.
#include "QueueTestSupport.h"
#include "queue/PathSplit.h"
#include "queue/QueueFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qtest;

namespace {

class QueueEdit : public ::testing::Test {
protected:
    void SetUp() override {
        dir = mtest::freshDir("edit");
        file = dir + "/q.qu3";
        ASSERT_TRUE(q.load(file).ok());
    }
    QString image(const QString& name) {
        const QString path = dir + "/" + name;
        if (!QFileInfo::exists(path)) mtest::writeFile(path, "img");
        return path;
    }
    QStringList pathsInOrder() {
        QueueHeader h;
        queuefile::readHeader(file, h);
        queuefile::RecordReader reader(file);
        QStringList out;
        QueueEntry e;
        for (int n = 1; n <= h.entryCount(); ++n) {
            if (!reader.read(h.recordIndex(n), e)) break;
            out << QFileInfo(e.trimmedPath()).fileName();
        }
        return out;
    }

    // Marks records 1..n as used by entries 1..n, in memory.
    void fillTables(int n, bool index = true) {
        for (int r = 1; r <= n; ++r) {
            q.header().setRecordUse(r, r);
            if (index) q.header().setRecordIndex(r, r);
        }
    }
    void addImages(int n) {
        for (int i = 1; i <= n; ++i)
            ASSERT_EQ(q.addOneFile(image(QString("%1.jpg").arg(i))), Queue::AddResult::Added);
    }

    QString dir, file;
    Queue q{env()};
};

TEST_F(QueueEdit, AddFillsTheEntryAndTheTables) {
    q.header().setTiled(4);
    // The entry before it had a sound of its own; a new one does not inherit it.
    q.entry().setSoundOption(2);
    q.entry().setSoundPath("/s/other.wav");
    int r = 0;
    ASSERT_EQ(q.addOneFile(image("a.jpg"), &r), Queue::AddResult::Added);
    EXPECT_EQ(r, 1);
    const QByteArray bytes = mtest::readFile(file);
    ASSERT_EQ(bytes.size(), 35840);
    EXPECT_EQ(getI16(bytes, 268), 1);   // count
    EXPECT_EQ(getI16(bytes, 1600), 1);  // use[1] = 1
    EXPECT_EQ(getI16(bytes, 13600), 1); // index[1] = record 1
    const QByteArray rec = bytes.mid(30720, 5120);
    EXPECT_EQ(getString(rec, 0), (dir + "/a.jpg").toUtf8());
    EXPECT_EQ(rec[260], 1); // tiled from the header, as 0/1
    EXPECT_EQ(rec[268], 0); // facts unknown
    EXPECT_EQ(rec[269], 3); // use default
    EXPECT_EQ(rec[270], 0);
    EXPECT_EQ(getI16(rec, 272), 1024);
    EXPECT_EQ(getI16(rec, 274), 768);
    EXPECT_EQ(rec[276], 0); // a new entry uses the default sound
    EXPECT_EQ(getString(rec, 277), QByteArray());
}

TEST_F(QueueEdit, MissingFileIsSkippedAndNothingChanges) {
    const QByteArray before = mtest::readFile(file);
    EXPECT_EQ(q.addOneFile(dir + "/nope.jpg"), Queue::AddResult::Missing);
    EXPECT_EQ(q.entryCount(), 0);
    EXPECT_EQ(mtest::readFile(file), before);
}

TEST_F(QueueEdit, DeletedRecordNumberIsReusedByTheNextAdd) {
    addImages(5);
    EXPECT_FALSE(q.deleteEntry(0, 0));
    EXPECT_FALSE(q.deleteEntry(6, 6));
    ASSERT_TRUE(q.deleteEntry(3, 3));
    ASSERT_TRUE(q.writeHeader());
    int r = 0;
    ASSERT_EQ(q.addOneFile(image("6.jpg"), &r), Queue::AddResult::Added);
    EXPECT_EQ(r, 3);
    EXPECT_EQ(q.entryCount(), 5);
    EXPECT_EQ(q.header().recordIndex(5), 3);
    EXPECT_EQ(pathsInOrder(), QStringList({"1.jpg", "2.jpg", "4.jpg", "5.jpg", "6.jpg"}));
}

TEST_F(QueueEdit, DeletingRowsTwoAndFourOfSixClosesUpTheIndex) {
    addImages(6);
    const qint64 lengthBefore = QFileInfo(file).size();
    // Last first, as the list deletes them.
    ASSERT_TRUE(q.deleteEntry(4, 4));
    ASSERT_TRUE(q.deleteEntry(2, 2));
    ASSERT_TRUE(q.writeHeader());
    EXPECT_EQ(q.entryCount(), 4);
    EXPECT_EQ(q.header().recordIndex(1), 1);
    EXPECT_EQ(q.header().recordIndex(2), 3);
    EXPECT_EQ(q.header().recordIndex(3), 5);
    EXPECT_EQ(q.header().recordIndex(4), 6);
    EXPECT_EQ(q.header().recordUse(2), 0);
    EXPECT_EQ(q.header().recordUse(4), 0);
    EXPECT_EQ(q.header().recordUse(5), 5);
    EXPECT_EQ(pathsInOrder(), QStringList({"1.jpg", "3.jpg", "5.jpg", "6.jpg"}));
    // Records of deleted entries stay in the file; it is never shortened.
    EXPECT_EQ(QFileInfo(file).size(), lengthBefore);
    // The image files are untouched.
    EXPECT_TRUE(QFileInfo::exists(dir + "/2.jpg"));
}

struct PositionCase {
    int position;
    int deletedRow;
    int expected;
};
class DeletePosition : public QueueEdit, public ::testing::WithParamInterface<PositionCase> {};

// The position counts rows: deleting a row at or before it moves it back one, so
// the next sequential change shows the row that followed the last one shown.
TEST_P(DeletePosition, FollowsTheRows) {
    addImages(5);
    q.header().setCurrentPosition(GetParam().position);
    q.setPosition(GetParam().position);
    ASSERT_TRUE(q.deleteEntry(GetParam().deletedRow, GetParam().deletedRow));
    EXPECT_EQ(q.header().currentPosition(), GetParam().expected);
    EXPECT_EQ(q.position(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, DeletePosition,
                         ::testing::Values(PositionCase{3, 5, 3}, PositionCase{3, 3, 2}, PositionCase{3, 1, 2},
                                           PositionCase{0, 1, 0}, PositionCase{1, 1, 0}, PositionCase{5, 4, 4}));

TEST_F(QueueEdit, AllRecordsInUseRefusesAllocationAndLeavesTheHeader) {
    fillTables(6000, false);
    q.header().setEntryCount(5999);
    const QByteArray before = q.header().toByteArray();
    EXPECT_EQ(q.allocateRecord(), -1);
    EXPECT_EQ(q.header().toByteArray(), before);
}

TEST_F(QueueEdit, SixThousandEntriesRefuseTheNextAdd) {
    fillTables(6000);
    q.header().setEntryCount(6000);
    const QByteArray before = q.header().toByteArray();
    EXPECT_EQ(q.addOneFile(image("a.jpg")), Queue::AddResult::LimitReached);
    EXPECT_EQ(q.header().toByteArray(), before);
    EXPECT_EQ(Queue::kLimitMessage, "There are 6,000 entries in this queue.  Muralo32 cannot support more, so "
                                    "addtional files are not allowed.");
}

TEST_F(QueueEdit, AddingThreeToAQueueOf5999AddsOneAndRefusesTwo) {
    fillTables(5999);
    q.header().setEntryCount(5999);
    std::vector<Queue::AddResult> results;
    for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
        results.push_back(q.addOneFile(image(n)));
    EXPECT_EQ(results, (std::vector<Queue::AddResult>{Queue::AddResult::Added, Queue::AddResult::LimitReached,
                                                      Queue::AddResult::LimitReached}));
    EXPECT_EQ(q.entryCount(), 6000);
    EXPECT_EQ(q.header().recordIndex(6000), 6000);
}

TEST_F(QueueEdit, FailedEntryWriteUndoesTheAdd) {
    // Make the queue file unwritable by replacing it with a folder after loading.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    const QByteArray before = q.header().toByteArray();
    EXPECT_EQ(q.addOneFile(image("a.jpg")), Queue::AddResult::WriteFailed);
    EXPECT_EQ(q.entryCount(), 0);
    EXPECT_EQ(q.header().recordUse(1), 0);
    EXPECT_EQ(q.header().toByteArray().mid(0, 1600), before.mid(0, 1600));
    EXPECT_FALSE(q.busy());
}

TEST_F(QueueEdit, UnreadableRecordIsAFailureAndEarlierEntriesStayUsable) {
    // A header claiming three entries with only two records behind it.
    QByteArray bytes =
        handMadeHeader(3) + QByteArray(5120, '\0') + handMadeRecord("/one.jpg") + handMadeRecord("/two.jpg");
    ASSERT_TRUE(mtest::writeFile(file, bytes));
    ASSERT_TRUE(q.load(file).ok());
    ASSERT_TRUE(q.readEntry(1));
    EXPECT_EQ(q.entry().trimmedPath(), "/one.jpg");
    EXPECT_FALSE(q.readEntry(3));
    EXPECT_FALSE(q.busy());
    ASSERT_TRUE(q.readEntry(2));
    EXPECT_EQ(q.entry().trimmedPath(), "/two.jpg");
    EXPECT_EQ(mtest::readFile(file), bytes);
}

TEST_F(QueueEdit, ClearEntriesKeepsSettingsAndFileLength) {
    ASSERT_EQ(q.addOneFile(image("a.jpg")), Queue::AddResult::Added);
    q.header().setOrderMode(2);
    q.clearEntries();
    ASSERT_TRUE(q.writeHeader());
    EXPECT_EQ(q.entryCount(), 0);
    EXPECT_EQ(q.header().recordUse(1), 0);
    EXPECT_EQ(q.header().orderMode(), 2);
    EXPECT_EQ(QFileInfo(file).size(), 35840);
}

TEST_F(QueueEdit, ShownFlagsFollowDeletedRowsAndGrowForLargeFolders) {
    q.setShown(8000, true);
    EXPECT_TRUE(q.shown(8000));
    q.clearShown();
    EXPECT_FALSE(q.shown(8000));
    EXPECT_FALSE(q.shown(0));
    EXPECT_FALSE(q.shown(-4));
}

struct SplitCase {
    const char* path;
    const char* folder;
    const char* fileName;
    const char* name;
    const char* extension;
};
class PathSplitting : public ::testing::TestWithParam<SplitCase> {};
TEST_P(PathSplitting, Parts) {
    const auto& c = GetParam();
    const PathParts p = splitPath(c.path);
    EXPECT_EQ(p.folder, c.folder);
    EXPECT_EQ(p.fileName, c.fileName);
    EXPECT_EQ(p.name, c.name);
    EXPECT_EQ(p.extension, c.extension);
    EXPECT_EQ(p.fullPath, QString(c.folder) + c.fileName);
}
INSTANTIATE_TEST_SUITE_P(Paths, PathSplitting,
                         ::testing::Values(SplitCase{"/pics/Summer.QU3", "/pics/", "Summer.QU3", "Summer", ".QU3"},
                                           SplitCase{"/a.b/c", "/a.b/", "c", "c", ""},
                                           SplitCase{"/x/noext", "/x/", "noext", "noext", ""},
                                           SplitCase{"/x/arch.tar.gz", "/x/", "arch.tar.gz", "arch.tar", ".gz"},
                                           SplitCase{"/x/.hidden", "/x/", ".hidden", "", ".hidden"},
                                           SplitCase{"plain.jpg", "", "plain.jpg", "plain", ".jpg"},
                                           SplitCase{"/dir/", "/dir/", "", "", ""}));

TEST(QueueStatusLine, CountsFiles) {
    EXPECT_EQ(queueStatusLine(splitPath("/pics/Summer.QU3").name, 12), "Q: Summer (12 Files)");
    EXPECT_EQ(queueStatusLine("untitled", 0), "Q: untitled (0 Files)");
}

} // namespace
