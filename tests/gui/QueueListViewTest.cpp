// SPDX-License-Identifier: MIT
#include "gui/QueueListView.h"
#include "TestSupport.h"
#include "gui/ImageList.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"
#include "queue/QueueFormat.h"
#include "settings/AppContext.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

using Direction = QueueRowMoves::Direction;

// A list over an empty queue file in a fresh folder, with an ear on everything it tells the window.
class QueueListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_queue->load(m_dir + "/Summer.QU3").ok());
        m_list->resize(300, 200);
    }

    // Image files only need to exist: the list never opens them.
    void add(const QStringList& names) {
        for (const QString& name : names) {
            ASSERT_TRUE(mtest::writeFile(m_dir + "/" + name, "x"));
            ASSERT_EQ(m_queue->addOneFile(m_dir + "/" + name), Queue::AddResult::Added);
        }
    }
    // Adds the files and fills the list showing file names only.
    void fillWith(const QStringList& names, bool show = false) {
        add(names);
        m_list->setFileNameOnly(true);
        m_list->fill();
        if (show) {
            m_list->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(m_list.get()));
        }
    }
    void refill() {
        m_list->clearFilled();
        m_list->fill();
    }
    QStringList captions() const {
        QStringList out;
        for (int r = 0; r < m_list->topLevelItemCount(); ++r)
            out << m_list->topLevelItem(r)->text(0);
        return out;
    }
    static QList<int> entries(const QueueRows& rows) {
        QList<int> out;
        for (int r = 0; r < rows.rowCount(); ++r)
            out << rows.entryOfRow(r);
        return out;
    }
    QList<int> entries() const { return entries(*m_list); }
    QueueHeader headerOnDisk() const {
        QueueHeader h;
        EXPECT_TRUE(Queue::peekHeader(m_queue->currentFile(), h).ok());
        return h;
    }
    // The file names of the records the rows lead to, read back from the file.
    QStringList recordsInRowOrder() const {
        const QueueHeader h = headerOnDisk();
        queuefile::RecordReader reader(m_queue->currentFile());
        QStringList out;
        QueueEntry e;
        for (int entry : entries())
            out << (reader.read(h.recordIndex(entry), e) ? QFileInfo(e.trimmedPath()).fileName() : "<unreadable>");
        return out;
    }
    void select(const QList<int>& rows) {
        m_list->deselectAll();
        for (int r : rows)
            m_list->topLevelItem(r)->setSelected(true);
    }
    QPoint rowCentre(int row) const { return m_list->visualItemRect(m_list->topLevelItem(row)).center(); }
    void click(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, modifiers, rowCentre(row));
    }
    QString entryName() const { return QFileInfo(m_queue->entry().trimmedPath()).fileName(); }

    QString m_dir = mtest::freshDir("queuelist");
    AppContext m_app;
    std::unique_ptr<Queue> m_queue = std::make_unique<Queue>(Queue::Environment{m_dir + "/", 1024, 768});
    std::unique_ptr<QueueListView> m_list = std::make_unique<QueueListView>(*m_queue, m_app);
    QSignalSpy m_status{m_list.get(), &QueueListView::statusLineChanged};
    QSignalSpy m_fillStarted{m_list.get(), &QueueListView::fillStarted};
    QSignalSpy m_fillFinished{m_list.get(), &QueueListView::fillFinished};
    QSignalSpy m_selectionState{m_list.get(), &QueueListView::selectionStateChanged};
    QSignalSpy m_pressed{m_list.get(), &QueueListView::pressed};
    QSignalSpy m_panel{m_list.get(), &QueueListView::panelFollowUp};
    QSignalSpy m_wallpaperNow{m_list.get(), &QueueListView::wallpaperNowRequested};
    QSignalSpy m_edit{m_list.get(), &QueueListView::editRequested};
    QSignalSpy m_delete{m_list.get(), &QueueListView::deleteRequested};
};

// Each row shows its entry's caption (the whole path, or the file name only), entry number and
// display state (the icons may come after the fill).
TEST_F(QueueListViewTest, FillShowsEntriesInEntryOrder) {
    add({"pear.jpg", "apple.png", "fig.gif"});
    // Stored paths may carry trailing blanks; captions never do.
    ASSERT_TRUE(m_queue->readEntry(m_queue->recordOfEntry(2)));
    m_queue->entry().setFilePath(m_dir + "/apple.png   ");
    ASSERT_TRUE(m_queue->writeEntry(m_queue->recordOfEntry(2)));
    ASSERT_TRUE(m_queue->readEntry(m_queue->recordOfEntry(1)));
    m_queue->entry().setResizeMode(2);
    m_queue->entry().setTiled(1);
    m_queue->entry().setWidth(800);
    m_queue->entry().setHeight(600);
    ASSERT_TRUE(m_queue->writeEntry(m_queue->recordOfEntry(1)));
    m_list->setFileNameOnly(false);
    m_list->fill();
    EXPECT_EQ(captions(), (QStringList{m_dir + "/pear.jpg", m_dir + "/apple.png", m_dir + "/fig.gif"}));
    EXPECT_EQ(entries(), (QList<int>{1, 2, 3}));
    EXPECT_TRUE(m_list->filled() && !m_list->filling() && m_list->lastFillComplete() && m_fillFinished.count() == 1);
    EXPECT_EQ(m_status, (QList<QList<QVariant>>{{"Q: Summer (3 Files)"}}));
    // The entry numbers live in a hidden column; the visible one is wide enough for the captions.
    EXPECT_TRUE(m_list->isColumnHidden(1));
    EXPECT_GE(m_list->header()->sectionSize(0), m_list->fontMetrics().horizontalAdvance(captions().at(0)));
    // A second fill without clearing the filled flag does nothing.
    m_list->fill();
    EXPECT_EQ(m_fillStarted.count(), 1);
    m_list->setFileNameOnly(true);
    refill();
    EXPECT_EQ(captions(), (QStringList{"pear.jpg", "apple.png", "fig.gif"}));
    EXPECT_EQ(entries(), (QList<int>{1, 2, 3}));

    const QList<QIcon> icons = ImageList::stateIcons();
    m_list->setStateIcons(icons);
    EXPECT_EQ(QList<int>({m_list->rowState(0), m_list->rowState(1)}), QList<int>({1, 4}));
    EXPECT_EQ(m_list->topLevelItem(0)->icon(0).cacheKey(), icons[1].cacheKey());
    m_list->setRowState(0, 2);
    EXPECT_EQ(m_list->topLevelItem(0)->icon(0).cacheKey(), icons[2].cacheKey());
}

TEST_F(QueueListViewTest, FolderQueueShowsTwoTextRowsAndIgnoresTheUser) {
    m_queue->header().setFolderQueue(1);
    m_queue->header().setImageFolder("/srv/pictures/");
    m_queue->workingSorted = true;
    ASSERT_TRUE(m_queue->writeHeader());
    fillWith({}, true);
    EXPECT_EQ(captions(), (QStringList{"Queue is derived from folder", "/srv/pictures/"}));
    EXPECT_EQ(std::tuple(m_queue->workingSorted, m_list->rowCount()), std::tuple(false, 0));
    EXPECT_EQ(m_status.last().at(0).toString(), "Q: Summer (0 Files)");
    click(0);
    m_list->selectAllRows();
    EXPECT_EQ(std::tuple(m_list->firstSelectedRow(), m_list->selectedCount()), std::tuple(-1, 0));
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    QTest::keyClick(m_list.get(), Qt::Key_Delete);
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(0));
    EXPECT_EQ(m_wallpaperNow.count() + m_delete.count(), 0);
    m_list->moveSelected(Direction::Down);
    EXPECT_EQ(captions().size(), 2);
}

// Sorting moves rows only: the change cycle walks them in the order the queue gives without
// a window, and the record table still leads entry n to the n-th added file.
TEST_F(QueueListViewTest, SortByNameThenUnsortedRestoresAddingOrder) {
    fillWith({"pear.jpg", "apple.jpg", "fig.jpg", "cherry.jpg"});
    select({1});
    m_list->sortByName();
    EXPECT_EQ(captions(), (QStringList{"apple.jpg", "cherry.jpg", "fig.jpg", "pear.jpg"}));
    EXPECT_EQ(entries(), (QList<int>{2, 4, 3, 1}));
    EXPECT_EQ(entries(EntryOrderRows::fromQueue(*m_queue, true)), entries());
    EXPECT_EQ(std::tuple(m_queue->workingSorted, headerOnDisk().sorted()), std::tuple(true, 1));
    EXPECT_EQ(recordsInRowOrder(), captions());
    EXPECT_EQ(m_list->selectedCount(), 0);
    EXPECT_EQ(m_selectionState.last(), (QList<QVariant>{0, true}));
    // Moves are not offered on a sorted view.
    select({3});
    m_list->moveSelected(Direction::Up);
    EXPECT_EQ(entries(), (QList<int>{2, 4, 3, 1}));

    m_list->unsorted();
    EXPECT_EQ(captions(), (QStringList{"pear.jpg", "apple.jpg", "fig.jpg", "cherry.jpg"}));
    EXPECT_EQ(entries(), (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(std::tuple(m_queue->workingSorted, headerOnDisk().sorted(), m_list->selectedCount()),
              std::tuple(false, 0, 0));
    // The sorted flag sorts the next fill.
    m_queue->workingSorted = true;
    refill();
    EXPECT_EQ(entries(), (QList<int>{2, 4, 3, 1}));
}

// Captions and icons trade places, the entry numbers stay with their rows, and the record
// table follows the captions on disk. A programmatic move is not a user's selection. (Which
// rows move where is the row moves' own test.)
TEST_F(QueueListViewTest, MovedRowsTradeContentAndRecords) {
    fillWith({"A", "B", "C", "D", "E", "F"});
    select({1, 2});
    m_list->moveSelected(Direction::Up);
    EXPECT_EQ(m_list->selectedRows(), (QList<int>{0, 1}));
    EXPECT_EQ(captions().join(""), "BCADEF");
    select({0, 2, 4});
    m_selectionState.clear();
    m_list->moveSelected(Direction::Down);
    EXPECT_EQ(m_list->selectedRows(), (QList<int>{1, 3, 5}));
    EXPECT_EQ(captions().join(""), "CBDAFE");
    EXPECT_EQ(entries(), (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(recordsInRowOrder(), captions());
    EXPECT_EQ(m_selectionState.count(), 0);
}

// Press and hold moves at once, again after half a second, then twenty times a second;
// moves keep the moved row in view and stop with the release.
TEST_F(QueueListViewTest, PressAndHoldRepeatsTheMoveAndFollowsTheRow) {
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QString("img%1.jpg").arg(i, 2, 10, QChar('0'));
    fillWith(names, true);
    select({59});
    m_list->scrollToBottom();
    auto& repeat = *m_list->findChild<QTimer*>("Timer3");
    m_list->startMoveRepeat(Direction::Up);
    QList<int> delays{repeat.interval()};
    for (int i = 0; i < 40; ++i) {
        QMetaObject::invokeMethod(&repeat, "timeout");
        delays << repeat.interval();
    }
    EXPECT_EQ(delays.mid(0, 4), (QList<int>{1, 500, 50, 50}));
    EXPECT_TRUE(repeat.isActive());
    m_list->stopMoveRepeat();
    EXPECT_FALSE(repeat.isActive());
    EXPECT_EQ(m_list->selectedRows(), QList<int>{19});
    auto inView = [this](int row) { return m_list->viewport()->rect().contains(rowCentre(row)); };
    EXPECT_TRUE(inView(19));
    for (int i = 0; i < 40; ++i)
        m_list->moveSelected(Direction::Down);
    EXPECT_TRUE(inView(59));
}

// A click selects and reads the entry; Enter and a double click ask for the wallpaper, Delete
// for deletion, releases for the panel (not while the queue is busy or controls are being
// set); Down leaves one row selected.
TEST_F(QueueListViewTest, MouseAndKeysSelectAndAskTheWindow) {
    fillWith({"one.jpg", "two.jpg", "three.jpg"}, true);
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    EXPECT_EQ(m_wallpaperNow.count(), 0) << "Enter without a selection";
    m_panel.clear();
    click(2);
    EXPECT_EQ(std::tuple(m_pressed.count(), m_panel.count(), m_queue->currentRow), std::tuple(1, 1, 2));
    EXPECT_EQ(m_selectionState.last(), (QList<QVariant>{1, false}));
    EXPECT_EQ(std::tuple(m_queue->currentRecord, entryName(), m_app.updating),
              std::tuple(m_queue->recordOfEntry(3), QString("three.jpg"), false));
    click(0, Qt::ControlModifier);
    EXPECT_EQ(m_list->selectedRows(), (QList<int>{0, 2}));
    EXPECT_EQ(std::tuple(m_list->firstSelectedRow(), m_selectionState.last().at(0).toInt(), entryName()),
              std::tuple(0, 2, QString("one.jpg")));

    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(0));
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    QTest::keyClick(m_list.get(), Qt::Key_Enter);
    EXPECT_EQ(m_wallpaperNow.count(), 3);
    m_panel.clear();
    QTest::keyPress(m_list.get(), Qt::Key_Space);
    QTest::keyRelease(m_list.get(), Qt::Key_Space);
    EXPECT_EQ(m_panel.count(), 2);
    QTest::keyClick(m_list.get(), Qt::Key_Delete);
    EXPECT_EQ(m_delete.count(), 1);
    m_panel.clear();
    m_queue->setBusy(true);
    QTest::keyClick(m_list.get(), Qt::Key_A);
    m_queue->setBusy(false);
    m_app.updating = true;
    QTest::keyClick(m_list.get(), Qt::Key_A);
    m_app.updating = false;
    EXPECT_EQ(m_panel.count(), 0);
    click(1, Qt::ShiftModifier);
    QTest::keyClick(m_list.get(), Qt::Key_Down);
    EXPECT_EQ(std::tuple(m_list->selectedRows(), entryName()), std::tuple(QList<int>{2}, QString("three.jpg")));
}

TEST_F(QueueListViewTest, PopUpItemsActOnTheList) {
    fillWith({"one.jpg", "two.jpg"});
    const QList<QAction*> items = m_list->popupMenu()->actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(m_list->popupEditAction(), items[1]);
    items[3]->trigger(); // Select All
    EXPECT_EQ(m_list->selectedCount(), 2);
    for (int i : {0, 1, 4}) // Wallpaper Now, Edit, Delete
        items[i]->trigger();
    EXPECT_EQ(std::tuple(m_wallpaperNow.count(), m_edit.count(), m_delete.count()), std::tuple(1, 1, 1));
    items[2]->trigger(); // Select None
    EXPECT_EQ(m_list->selectedCount(), 0);
    items[0]->trigger();
    EXPECT_EQ(m_wallpaperNow.count(), 1) << "Wallpaper Now without a selection";
}

// A fill that stops at a record it cannot read shows the rows read so far; like every fill,
// it leaves a shown list shown and a hidden one hidden.
TEST_F(QueueListViewTest, UnreadableRecordEndsTheFillWithTheRowsReadSoFar) {
    add({"one.jpg", "two.jpg", "three.jpg", "four.jpg"});
    ASSERT_TRUE(QFile::resize(m_queue->currentFile(), qu3::recordOffset(3) + 100));
    fillWith({}, true);
    EXPECT_EQ(std::tuple(m_list->rowCount(), m_list->lastFillComplete(), m_fillFinished.count()),
              std::tuple(2, false, 1));
    EXPECT_TRUE(m_list->filled() && !m_list->filling() && m_list->isVisible());
    QFile::remove(m_queue->currentFile());
    refill();
    EXPECT_EQ(std::tuple(m_list->rowCount(), m_list->lastFillComplete(), m_list->isVisible()),
              std::tuple(0, false, true));
    m_list->hide();
    refill();
    EXPECT_TRUE(m_list->isHidden());
}

} // namespace
