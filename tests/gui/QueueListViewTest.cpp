// SPDX-License-Identifier: MIT
#include "gui/QueueListView.h"
#include "TestSupport.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"
#include "queue/QueueFormat.h"
#include "queue/QueueRows.h"
#include "settings/AppContext.h"

#include <gtest/gtest.h>

#include "GuiTestApp.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

class QueueListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = mtest::freshDir("queuelist");
        m_queue = std::make_unique<Queue>(Queue::Environment{m_dir + "/", 1024, 768});
        ASSERT_TRUE(m_queue->load(m_dir + "/Summer.QU3").ok());
        m_list = std::make_unique<QueueListView>(*m_queue, m_app);
        m_list->resize(300, 200);
    }
    void TearDown() override { m_list.reset(); }

    // Image files only need to exist: the list never opens them.
    QString image(const QString& name) {
        const QString path = m_dir + "/" + name;
        if (!QFile::exists(path)) {
            EXPECT_TRUE(mtest::writeFile(path, "x"));
        }
        return path;
    }
    void add(const QStringList& names) {
        for (const QString& n : names)
            ASSERT_EQ(m_queue->addOneFile(image(n)), Queue::AddResult::Added);
    }
    void rewriteEntry(int entry, const std::function<void(QueueEntry&)>& change) {
        const int record = m_queue->recordOfEntry(entry);
        ASSERT_TRUE(m_queue->readEntry(record));
        change(m_queue->entry());
        ASSERT_TRUE(m_queue->writeEntry(record));
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
    std::vector<int> entries() const {
        std::vector<int> out;
        for (int r = 0; r < m_list->rowCount(); ++r)
            out.push_back(m_list->entryOfRow(r));
        return out;
    }
    QueueHeader headerOnDisk() const {
        QueueHeader h;
        EXPECT_TRUE(Queue::peekHeader(m_queue->currentFile(), h).ok());
        return h;
    }
    // The record behind each row, read back from the file, must show the row's caption.
    void expectRowsLeadToTheirRecords() {
        const QueueHeader h = headerOnDisk();
        for (int r = 0; r < m_list->rowCount(); ++r) {
            QueueEntry e;
            ASSERT_TRUE(queuefile::readRecord(m_queue->currentFile(), h.recordIndex(m_list->entryOfRow(r)), e));
            EXPECT_EQ(QFileInfo(e.trimmedPath()).fileName(), QFileInfo(m_list->topLevelItem(r)->text(0)).fileName())
                << "row " << r;
        }
    }
    void select(const QList<int>& rows) {
        m_list->deselectAll();
        for (int r : rows)
            m_list->topLevelItem(r)->setSelected(true);
    }
    QPoint rowCentre(int row) const { return m_list->visualItemRect(m_list->topLevelItem(row)).center(); }
    void showList() {
        m_list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_list.get()));
    }

    QString m_dir;
    AppContext m_app;
    std::unique_ptr<Queue> m_queue;
    std::unique_ptr<QueueListView> m_list;
};

class DisplayModeTest : public QueueListViewTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DisplayModeTest, FillShowsEntriesInEntryOrder) {
    const bool fileNameOnly = GetParam();
    add({"pear.jpg", "apple.png", "fig.gif"});
    // Stored paths may carry trailing blanks; captions never do.
    rewriteEntry(2, [&](QueueEntry& e) { e.setFilePath(m_dir + "/apple.png   "); });
    QSignalSpy status(m_list.get(), &QueueListView::statusLineChanged);
    QSignalSpy started(m_list.get(), &QueueListView::fillStarted);
    QSignalSpy finished(m_list.get(), &QueueListView::fillFinished);
    m_list->setFileNameOnly(fileNameOnly);
    m_list->fill();

    const QString prefix = fileNameOnly ? QString() : m_dir + "/";
    EXPECT_EQ(captions(), (QStringList{prefix + "pear.jpg", prefix + "apple.png", prefix + "fig.gif"}));
    EXPECT_EQ(entries(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(m_list->filled());
    EXPECT_FALSE(m_list->filling());
    EXPECT_TRUE(m_list->lastFillComplete());
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(finished.count(), 1);
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.at(0).at(0).toString(), "Q: Summer (3 Files)");
    // One visible column captioned "Image"; the entry numbers live in the hidden one.
    EXPECT_EQ(m_list->headerItem()->text(0), "Image");
    EXPECT_TRUE(m_list->isColumnHidden(1));
    EXPECT_GE(m_list->header()->sectionSize(0), m_list->fontMetrics().horizontalAdvance(captions().at(0)));

    // A second fill without clearing the filled flag does nothing.
    m_list->fill();
    EXPECT_EQ(started.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Modes, DisplayModeTest, ::testing::Bool(), [](const auto& info) {
    return info.param ? std::string("FileNameOnly") : std::string("FullPath");
});

TEST_F(QueueListViewTest, FillKeepsAShownListShownAndAHiddenOneHidden) {
    add({"a.jpg"});
    showList();
    m_list->fill();
    EXPECT_TRUE(m_list->isVisible());
    m_list->hide();
    refill();
    EXPECT_TRUE(m_list->isHidden());
}

TEST_F(QueueListViewTest, RowsShowTheirDisplayStateIcons) {
    QList<QIcon> icons;
    for (int s = 0; s < 6; ++s) {
        QPixmap pm(16, 16);
        pm.fill(QColor::fromHsv(s * 50, 255, 255));
        icons << QIcon(pm);
    }
    m_list->setStateIcons(icons);
    QueueHeader& h = m_queue->header();
    h.setSmallRule({0, 0, 0, 0});
    h.setLargeRule({0, 0, 0, 0});
    h.setThresholdWidth(512);
    h.setThresholdHeight(384);
    ASSERT_TRUE(m_queue->writeHeader());
    add({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
    // mode, tiled, width, height -> expected display state
    struct Case {
        int mode, tiled, w, h, state;
    };
    const Case cases[] = {
        {2, 1, 800, 600, 1}, {0, 0, 800, 600, 2}, {2, 0, 800, 600, 3}, {3, 0, 0, 0, 4}, {1, 1, 100, 100, 5}};
    for (int i = 0; i < 5; ++i)
        rewriteEntry(i + 1, [&](QueueEntry& e) {
            e.setResizeMode(static_cast<std::uint8_t>(cases[i].mode));
            e.setTiled(static_cast<std::uint8_t>(cases[i].tiled));
            e.setWidth(static_cast<std::int16_t>(cases[i].w));
            e.setHeight(static_cast<std::int16_t>(cases[i].h));
        });
    m_list->fill();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(m_list->rowState(i), cases[i].state) << "row " << i;
        EXPECT_EQ(m_list->topLevelItem(i)->icon(0).cacheKey(), icons[cases[i].state].cacheKey()) << "row " << i;
    }
    m_list->setRowState(0, 2);
    EXPECT_EQ(m_list->rowState(0), 2);
    EXPECT_EQ(m_list->topLevelItem(0)->icon(0).cacheKey(), icons[2].cacheKey());
}

TEST_F(QueueListViewTest, FolderQueueShowsTwoTextRowsAndIgnoresTheUser) {
    m_queue->header().setFolderQueue(1);
    m_queue->header().setImageFolder("/srv/pictures/");
    m_queue->workingSorted = true;
    ASSERT_TRUE(m_queue->writeHeader());
    QSignalSpy status(m_list.get(), &QueueListView::statusLineChanged);
    QSignalSpy now(m_list.get(), &QueueListView::wallpaperNowRequested);
    QSignalSpy del(m_list.get(), &QueueListView::deleteRequested);
    showList();
    m_list->fill();

    EXPECT_EQ(captions(), (QStringList{"Queue is derived from folder", "/srv/pictures/"}));
    EXPECT_FALSE(m_queue->workingSorted);
    EXPECT_EQ(m_list->rowCount(), 0);
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.last().at(0).toString(), "Q: Summer (0 Files)");
    m_list->setFolderFileCount(7);
    EXPECT_EQ(status.last().at(0).toString(), "Q: Summer (7 Files)");

    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(0));
    m_list->selectAllRows();
    EXPECT_EQ(m_list->firstSelectedRow(), -1);
    EXPECT_EQ(m_list->selectedCount(), 0);
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    QTest::keyClick(m_list.get(), Qt::Key_Delete);
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(0));
    EXPECT_EQ(now.count(), 0);
    EXPECT_EQ(del.count(), 0);
    m_list->moveSelected(1);
    EXPECT_EQ(captions().size(), 2);
}

TEST_F(QueueListViewTest, SortByNameThenUnsortedRestoresAddingOrder) {
    add({"pear.jpg", "apple.jpg", "fig.jpg", "cherry.jpg"});
    m_list->setFileNameOnly(true);
    m_list->fill();
    select({1});
    QSignalSpy state(m_list.get(), &QueueListView::selectionStateChanged);

    m_list->sortByName();
    EXPECT_EQ(captions(), (QStringList{"apple.jpg", "cherry.jpg", "fig.jpg", "pear.jpg"}));
    // The change cycle walks the sorted rows: their entry numbers in row order.
    EXPECT_EQ(entries(), (std::vector<int>{2, 4, 3, 1}));
    EXPECT_TRUE(m_queue->workingSorted);
    EXPECT_EQ(headerOnDisk().sorted(), 1);
    // Only the rows moved: the table still leads entry n to the n-th added file.
    expectRowsLeadToTheirRecords();
    EXPECT_EQ(m_list->selectedCount(), 0);
    ASSERT_GE(state.count(), 1);
    EXPECT_EQ(state.last().at(0).toInt(), 0);
    EXPECT_TRUE(state.last().at(1).toBool());
    // Without a window the same order comes out.
    const EntryOrderRows plain = EntryOrderRows::fromQueue(*m_queue, true);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(plain.entryOfRow(r), m_list->entryOfRow(r));
    // Moves are not offered on a sorted view.
    select({3});
    m_list->moveSelected(0);
    EXPECT_EQ(entries(), (std::vector<int>{2, 4, 3, 1}));

    m_list->unsorted();
    EXPECT_EQ(captions(), (QStringList{"pear.jpg", "apple.jpg", "fig.jpg", "cherry.jpg"}));
    EXPECT_EQ(entries(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(m_queue->workingSorted);
    EXPECT_EQ(headerOnDisk().sorted(), 0);
    EXPECT_TRUE(m_list->filled());
    EXPECT_FALSE(m_list->filling());
    EXPECT_EQ(m_list->selectedCount(), 0);
}

TEST_F(QueueListViewTest, SortedFlagSortsTheNextFill) {
    add({"b.jpg", "c.jpg", "a.jpg"});
    m_queue->workingSorted = true;
    m_list->setFileNameOnly(true);
    m_list->fill();
    EXPECT_EQ(captions(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(entries(), (std::vector<int>{3, 1, 2}));
}

struct WidgetMove {
    QList<int> before;
    int direction;
    QList<int> after;
    QStringList captions;
};

class MoveThroughWidget : public QueueListViewTest, public ::testing::WithParamInterface<WidgetMove> {};

TEST_P(MoveThroughWidget, RowsTradeContentAndRecords) {
    const WidgetMove c = GetParam();
    add({"A.jpg", "B.jpg", "C.jpg", "D.jpg", "E.jpg", "F.jpg"});
    m_list->setFileNameOnly(true);
    m_list->fill();
    const QueueHeader before = headerOnDisk();
    select(c.before);
    QSignalSpy state(m_list.get(), &QueueListView::selectionStateChanged);
    m_list->moveSelected(c.direction);

    EXPECT_EQ(m_list->selectedRows(), c.after);
    EXPECT_EQ(captions(), c.captions);
    // The entry numbers stay with the rows ...
    EXPECT_EQ(entries(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    // ... and the record index table followed the captions, on disk.
    expectRowsLeadToTheirRecords();
    const QueueHeader after = headerOnDisk();
    std::vector<int> was, now;
    for (int n = 1; n <= 6; ++n) {
        was.push_back(before.recordIndex(n));
        now.push_back(after.recordIndex(n));
    }
    std::sort(was.begin(), was.end());
    std::sort(now.begin(), now.end());
    EXPECT_EQ(was, now);
    // A programmatic move is not a user's selection.
    EXPECT_EQ(state.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, MoveThroughWidget,
    ::testing::Values(WidgetMove{{0, 1}, 0, {0, 1}, {"A.jpg", "B.jpg", "C.jpg", "D.jpg", "E.jpg", "F.jpg"}},
                      WidgetMove{{1, 2}, 0, {0, 1}, {"B.jpg", "C.jpg", "A.jpg", "D.jpg", "E.jpg", "F.jpg"}},
                      WidgetMove{{5}, 1, {5}, {"A.jpg", "B.jpg", "C.jpg", "D.jpg", "E.jpg", "F.jpg"}},
                      WidgetMove{{3, 5}, 1, {4, 5}, {"A.jpg", "B.jpg", "C.jpg", "E.jpg", "D.jpg", "F.jpg"}},
                      WidgetMove{{0, 2, 4}, 1, {1, 3, 5}, {"B.jpg", "A.jpg", "D.jpg", "C.jpg", "F.jpg", "E.jpg"}}));

TEST_F(QueueListViewTest, MoveScrollsToKeepTheMovedRowInView) {
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QString("img%1.jpg").arg(i, 2, 10, QChar('0'));
    add(names);
    m_list->fill();
    showList();
    select({59});
    m_list->scrollToBottom();
    for (int i = 0; i < 40; ++i)
        m_list->moveSelected(0);
    EXPECT_EQ(m_list->selectedRows(), QList<int>{19});
    const QRect rect = m_list->visualItemRect(m_list->topLevelItem(19));
    EXPECT_GE(rect.top(), 0) << "row 19 is above the view";
    EXPECT_LE(rect.bottom(), m_list->viewport()->height()) << "row 19 is below the view";
    // Moving back down follows the row to the bottom again.
    for (int i = 0; i < 40; ++i)
        m_list->moveSelected(1);
    const QRect back = m_list->visualItemRect(m_list->topLevelItem(59));
    EXPECT_GE(back.top(), 0);
    EXPECT_LE(back.bottom(), m_list->viewport()->height());
}

TEST_F(QueueListViewTest, PressAndHoldRepeatsOnceThenAfterHalfASecondThenQuickly) {
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QString("img%1.jpg").arg(i, 2, 10, QChar('0'));
    add(names);
    m_list->fill();
    select({39});

    QElapsedTimer clock;
    std::vector<qint64> moves;
    int lastRow = 39;
    auto poll = [&](qint64 until) {
        while (clock.elapsed() < until) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const int row = m_list->firstSelectedRow();
            while (row < lastRow) {
                moves.push_back(clock.elapsed());
                --lastRow;
            }
            QTest::qSleep(1);
        }
    };
    clock.start();
    m_list->startMoveRepeat(0);
    poll(700);
    m_list->stopMoveRepeat();
    const auto held = moves.size();
    poll(950);

    ASSERT_GE(held, 2u) << "the repeat never came";
    EXPECT_EQ(moves.size(), held) << "moves went on after the release";
    EXPECT_LT(moves[0], 450) << "the first move is not immediate";
    EXPECT_GE(moves[1] - moves[0], 450) << "the second move came before half a second";
    // Timers never fire early, so the fast phase can give at most ~4 moves in 700 ms.
    EXPECT_LE(held, 7u);
    if (held >= 4) {
        qint64 shortest = 1000;
        for (std::size_t i = 2; i < held; ++i)
            shortest = std::min(shortest, moves[i] - moves[i - 1]);
        EXPECT_LT(shortest, 300) << "the quick phase is not quicker";
        EXPECT_GE(shortest, 40);
    }
    EXPECT_EQ(m_list->selectedRows(), QList<int>{39 - static_cast<int>(held)});
}

TEST_F(QueueListViewTest, ClickSelectsAndReadsTheEntry) {
    add({"one.jpg", "two.jpg", "three.jpg"});
    m_list->setFileNameOnly(true);
    m_list->fill();
    showList();
    QSignalSpy pressed(m_list.get(), &QueueListView::pressed);
    QSignalSpy panel(m_list.get(), &QueueListView::panelFollowUp);
    QSignalSpy state(m_list.get(), &QueueListView::selectionStateChanged);

    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(2));
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(panel.count(), 1);
    ASSERT_GE(state.count(), 1);
    EXPECT_EQ(state.last().at(0).toInt(), 1);
    EXPECT_FALSE(state.last().at(1).toBool());
    EXPECT_EQ(m_queue->currentRow, 2);
    EXPECT_EQ(m_queue->currentRecord, m_queue->recordOfEntry(3));
    EXPECT_EQ(m_queue->entry().trimmedPath(), m_dir + "/three.jpg");
    EXPECT_FALSE(m_app.updating);

    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCentre(0));
    EXPECT_EQ(m_list->selectedRows(), (QList<int>{0, 2}));
    EXPECT_EQ(m_list->firstSelectedRow(), 0);
    EXPECT_EQ(state.last().at(0).toInt(), 2);
    EXPECT_EQ(m_queue->entry().trimmedPath(), m_dir + "/one.jpg");
}

TEST_F(QueueListViewTest, KeysAndDoubleClickAskTheWindow) {
    add({"one.jpg", "two.jpg", "three.jpg"});
    m_list->fill();
    showList();
    QSignalSpy now(m_list.get(), &QueueListView::wallpaperNowRequested);
    QSignalSpy del(m_list.get(), &QueueListView::deleteRequested);
    QSignalSpy panel(m_list.get(), &QueueListView::panelFollowUp);

    // Nothing selected: Enter and a double click on empty space change nothing.
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    EXPECT_EQ(now.count(), 0);

    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(1));
    EXPECT_EQ(now.count(), 1);
    QTest::keyClick(m_list.get(), Qt::Key_Return);
    EXPECT_EQ(now.count(), 2);
    QTest::keyClick(m_list.get(), Qt::Key_Enter);
    EXPECT_EQ(now.count(), 3);

    panel.clear();
    QTest::keyPress(m_list.get(), Qt::Key_Space);
    EXPECT_EQ(panel.count(), 1);
    QTest::keyRelease(m_list.get(), Qt::Key_Space);
    EXPECT_EQ(panel.count(), 2);

    QTest::keyClick(m_list.get(), Qt::Key_Delete);
    EXPECT_EQ(del.count(), 1);

    // With two rows selected, Down leaves one: the row below the current one.
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowCentre(0));
    ASSERT_EQ(m_list->selectedCount(), 2);
    QTest::keyClick(m_list.get(), Qt::Key_Down);
    EXPECT_EQ(m_list->selectedRows(), QList<int>{1});
    EXPECT_EQ(m_queue->entry().trimmedPath(), m_dir + "/two.jpg");
}

TEST_F(QueueListViewTest, PanelFollowUpWaitsForBusyQueueAndUpdating) {
    add({"one.jpg"});
    m_list->fill();
    showList();
    QSignalSpy panel(m_list.get(), &QueueListView::panelFollowUp);
    m_queue->setBusy(true);
    QTest::keyClick(m_list.get(), Qt::Key_A);
    m_queue->setBusy(false);
    m_app.updating = true;
    QTest::keyClick(m_list.get(), Qt::Key_A);
    m_app.updating = false;
    EXPECT_EQ(panel.count(), 0);
    QTest::keyClick(m_list.get(), Qt::Key_A);
    EXPECT_EQ(panel.count(), 1);
}

TEST_F(QueueListViewTest, PopUpItemsActOnTheList) {
    add({"one.jpg", "two.jpg"});
    m_list->fill();
    QSignalSpy now(m_list.get(), &QueueListView::wallpaperNowRequested);
    QSignalSpy edit(m_list.get(), &QueueListView::editRequested);
    QSignalSpy del(m_list.get(), &QueueListView::deleteRequested);
    const QList<QAction*> actions = m_list->quePopUp()->actions();
    QStringList texts;
    for (QAction* a : actions)
        texts << a->text();
    ASSERT_EQ(texts, (QStringList{"Wallpaper Now", "Edit", "Select None", "Select All", "Delete"}));
    EXPECT_EQ(m_list->popupEditAction(), actions[1]);

    actions[3]->trigger();
    EXPECT_EQ(m_list->selectedCount(), 2);
    actions[0]->trigger();
    EXPECT_EQ(now.count(), 1);
    actions[1]->trigger();
    EXPECT_EQ(edit.count(), 1);
    actions[4]->trigger();
    EXPECT_EQ(del.count(), 1);
    actions[2]->trigger();
    EXPECT_EQ(m_list->selectedCount(), 0);
    actions[0]->trigger();
    EXPECT_EQ(now.count(), 1) << "Wallpaper Now without a selection";
}

TEST_F(QueueListViewTest, UnreadableRecordEndsTheFillWithTheRowsReadSoFar) {
    add({"one.jpg", "two.jpg", "three.jpg", "four.jpg"});
    // Cut the file inside the third record.
    QFile file(m_queue->currentFile());
    ASSERT_TRUE(file.resize(qu3::recordOffset(3) + 100));
    file.close();
    showList();
    QSignalSpy finished(m_list.get(), &QueueListView::fillFinished);
    m_list->fill();
    EXPECT_EQ(m_list->rowCount(), 2);
    EXPECT_FALSE(m_list->lastFillComplete());
    EXPECT_TRUE(m_list->filled());
    EXPECT_FALSE(m_list->filling());
    EXPECT_TRUE(m_list->isVisible());
    EXPECT_EQ(finished.count(), 1);

    QFile::remove(m_queue->currentFile());
    refill();
    EXPECT_EQ(m_list->rowCount(), 0);
    EXPECT_FALSE(m_list->lastFillComplete());
    EXPECT_TRUE(m_list->isVisible());
}

TEST_F(QueueListViewTest, AddedAndRemovedRowsKeepEntryNumbersDense) {
    add({"one.jpg", "two.jpg"});
    m_list->setFileNameOnly(true);
    m_list->fill();
    add({"three.jpg"});
    m_list->addEntryRow(3);
    EXPECT_EQ(captions(), (QStringList{"one.jpg", "two.jpg", "three.jpg"}));
    EXPECT_EQ(entries(), (std::vector<int>{1, 2, 3}));

    ASSERT_TRUE(m_queue->deleteEntry(1, 1));
    m_list->removeEntryRow(0);
    EXPECT_EQ(captions(), (QStringList{"two.jpg", "three.jpg"}));
    EXPECT_EQ(entries(), (std::vector<int>{1, 2}));
}

TEST_F(QueueListViewTest, SixThousandEntriesFillInOneGo) {
    // Written in one go rather than by 6,000 additions (each rewrites the header).
    constexpr int kCount = qu3::kMaxEntries;
    QueueHeader& h = m_queue->header();
    QFile file(m_queue->currentFile());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QueueEntry e;
    for (int n = 1; n <= kCount; ++n) {
        h.setEntryCount(static_cast<std::int16_t>(n));
        const int r = m_queue->allocateRecord();
        ASSERT_EQ(r, n);
        e.setFilePath(QString("/pictures/holiday/%1.jpg").arg(n, 4, 10, QChar('0')));
        e.setResizeMode(3);
        ASSERT_TRUE(file.seek(qu3::recordOffset(r)));
        ASSERT_EQ(file.write(e.toByteArray()), static_cast<qint64>(qu3::kRecordSize));
    }
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(h.toByteArray()), static_cast<qint64>(qu3::kHeaderSize));
    file.close();
    ASSERT_TRUE(m_queue->load(m_queue->currentFile()).ok());

    showList();
    QElapsedTimer clock;
    clock.start();
    m_list->fill();
    const qint64 fillMs = clock.elapsed();
    clock.restart();
    m_list->sortByName();
    const qint64 sortMs = clock.elapsed();
    std::printf("6000-entry fill: %lld ms, sort: %lld ms\n", static_cast<long long>(fillMs),
                static_cast<long long>(sortMs));
    ASSERT_EQ(m_list->rowCount(), kCount);
    EXPECT_TRUE(m_list->lastFillComplete());
    EXPECT_EQ(m_list->entryOfRow(kCount - 1), kCount);
    EXPECT_EQ(m_list->topLevelItem(kCount - 1)->text(0), "/pictures/holiday/6000.jpg");
}

} // namespace
