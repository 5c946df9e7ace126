// SPDX-License-Identifier: MIT
// QueueListView: moving the selected rows up and down, entry numbers staying in place.
#include "gui/QueueListView.h"

#include "gui/MoveRepeater.h"
#include "gui/UpdatingScope.h"
#include "queue/Queue.h"
#include "queue/QueueWork.h"

#include <QItemSelectionModel>

#include <vector>

void QueueListView::moveSelected(QueueRowMoves::Direction direction) {
    // Moving rows of a sorted view would change the queue's order behind rows the next
    // sort puts back; the window only offers the move while unsorted.
    if (m_filling || m_queue.isFolderQueue() || m_queue.workingSorted) return;
    // Nothing moves under a change or another command (the button repeats, so it is tried again).
    if (m_work && m_work->isBusy()) return;
    UpdatingScope updating(m_app);

    const int n = topLevelItemCount();
    std::vector<QueueRowMoves::Row> rows(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r)
        rows[static_cast<std::size_t>(r)] = {entryOfRow(r), false};
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows[static_cast<std::size_t>(r)].selected = true;

    QueueRowMoves::move(
        rows, direction,
        [&](int upper, int lower) {
            exchangeRowContents(upper, lower);
            QueueRowMoves::swapRecords(m_queue.header(), rows[static_cast<std::size_t>(upper)].entry,
                                       rows[static_cast<std::size_t>(lower)].entry);
            if (m_queue.currentRow == upper)
                m_queue.currentRow = lower;
            else if (m_queue.currentRow == lower)
                m_queue.currentRow = upper;
        },
        [&](int row) { scrollToItem(topLevelItem(row), QAbstractItemView::EnsureVisible); });

    selectRows(rows);
    m_queue.writeHeader();
    m_moveRepeater->resume();
}

void QueueListView::exchangeRowContents(int upper, int lower) {
    QTreeWidgetItem* a = topLevelItem(upper);
    QTreeWidgetItem* b = topLevelItem(lower);
    // Captions and icons trade places; the entry numbers stay with their rows.
    const QString text = a->text(0);
    const QVariant state = a->data(0, kStateRole);
    const QIcon icon = a->icon(0);
    a->setText(0, b->text(0));
    a->setData(0, kStateRole, b->data(0, kStateRole));
    a->setIcon(0, b->icon(0));
    b->setText(0, text);
    b->setData(0, kStateRole, state);
    b->setIcon(0, icon);
}

// Selects the rows the selection flags name, in runs, with the first of them current.
void QueueListView::selectRows(const std::vector<QueueRowMoves::Row>& rows) {
    const int n = static_cast<int>(rows.size());
    QItemSelection selection;
    int firstSelected = -1;
    for (int r = 0; r < n; ++r) {
        if (!rows[static_cast<std::size_t>(r)].selected) continue;
        if (firstSelected < 0) firstSelected = r;
        int end = r;
        while (end + 1 < n && rows[static_cast<std::size_t>(end + 1)].selected)
            ++end;
        selection.select(model()->index(r, 0), model()->index(end, 0));
        r = end;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (firstSelected >= 0)
        selectionModel()->setCurrentIndex(model()->index(firstSelected, 0), QItemSelectionModel::NoUpdate);
}

void QueueListView::startMoveRepeat(QueueRowMoves::Direction direction) {
    m_moveRepeater->start(direction);
}

void QueueListView::stopMoveRepeat() {
    m_moveRepeater->stop();
}
