// SPDX-License-Identifier: MIT
#include "gui/QueueListView.h"

#include "gui/MoveRepeater.h"
#include "gui/UpdatingScope.h"
#include "gui/WidgetScopes.h"
#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"
#include "queue/QueueWork.h"
#include "settings/AppContext.h"
#include "wallpaper/RenderMath.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <vector>

namespace {

constexpr int kEntryColumn = 1;

} // namespace

QueueListView::QueueListView(Queue& queue, AppContext& app, QWidget* parent)
    : QTreeWidget(parent), m_queue(queue), m_app(app) {
    setObjectName(QStringLiteral("lstqueue"));
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Image"), QString()});
    hideColumn(kEntryColumn);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Interactive);

    // The selection stays as visible when the list loses the focus.
    QPalette pal = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) { onSelectionChanged(selected); });

    m_moveRepeater = new MoveRepeater(this);
    connect(m_moveRepeater, &MoveRepeater::step, this, &QueueListView::moveSelected);
    buildPopupMenu();
}

void QueueListView::buildPopupMenu() {
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("QuePopUp"));
    QAction* now = m_popup->addAction(QStringLiteral("Wallpaper Now"));
    m_popupEdit = m_popup->addAction(QStringLiteral("Edit"));
    m_popupEdit->setObjectName(QStringLiteral("mnupopedit"));
    QAction* none = m_popup->addAction(QStringLiteral("Select None"));
    QAction* all = m_popup->addAction(QStringLiteral("Select All"));
    QAction* del = m_popup->addAction(QStringLiteral("Delete"));
    del->setObjectName(QStringLiteral("mnupopdelete"));
    connect(now, &QAction::triggered, this, [this] { requestWallpaperNow(); });
    connect(m_popupEdit, &QAction::triggered, this, [this] { Q_EMIT editRequested(); });
    connect(none, &QAction::triggered, this, [this] { deselectAll(); });
    connect(all, &QAction::triggered, this, [this] { selectAllRows(); });
    connect(del, &QAction::triggered, this, [this] { Q_EMIT deleteRequested(); });
}

void QueueListView::setStateIcons(const QList<QIcon>& icons) {
    m_stateIcons = icons;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = topLevelItem(row);
        const QVariant state = item->data(0, kStateRole);
        if (state.isValid()) item->setIcon(0, stateIcon(state.toInt()));
    }
}

QIcon QueueListView::stateIcon(int state) const {
    return state >= 0 && state < m_stateIcons.size() ? m_stateIcons[state] : QIcon();
}

QString QueueListView::captionOf(const QueueEntry& entry) const {
    const QString path = entry.trimmedPath();
    return m_fileNameOnly ? splitPath(path).fileName : path;
}

QTreeWidgetItem* QueueListView::makeRow(int entryNumber, const QueueEntry& entry) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, captionOf(entry));
    item->setText(kEntryColumn, QString::number(entryNumber));
    const int state = rendermath::displayState(entry, m_queue.header(), false);
    item->setData(0, kStateRole, state);
    item->setIcon(0, stateIcon(state));
    return item;
}

bool QueueListView::addRowsFromFile(bool widen) {
    const int count = m_queue.entryCount();
    if (count <= 0) return true;
    int lastRecord = 0;
    for (int p = 1; p <= count; ++p)
        lastRecord = std::max(lastRecord, m_queue.recordOfEntry(p));
    // One pass over the file for all records: reading them one by one made large queues slow.
    const ListedRecords records(m_queue.currentFile(), lastRecord);
    if (!records.isOpen()) return false;

    QList<QTreeWidgetItem*> items;
    items.reserve(count);
    QueueEntry entry;
    int p = 1;
    for (; p <= count && m_filling; ++p) {
        if (!records.read(m_queue.recordOfEntry(p), entry)) break;
        QTreeWidgetItem* item = makeRow(p, entry);
        if (widen) m_captionWidths.add(item->text(0), *this);
        items.append(item);
    }
    addTopLevelItems(items);
    const bool complete = p > count || !m_filling;
    leaveLastRecordInEntry(p - 1, complete ? 0 : p);
    return complete;
}

// The queue's entry buffer ends as reading every record into it would leave it.
void QueueListView::leaveLastRecordInEntry(int lastReadEntry, int failedEntry) {
    queuefile::RecordReader reader(m_queue.currentFile());
    if (lastReadEntry > 0) reader.read(m_queue.recordOfEntry(lastReadEntry), m_queue.entry());
    if (failedEntry > 0) reader.read(m_queue.recordOfEntry(failedEntry), m_queue.entry());
}

void QueueListView::fill() {
    if (m_filling || m_filled) return;
    stopMoveRepeat();
    rebuildRows([this] {
        m_captionWidths.clear();
        // A record that cannot be read ends the fill with the rows read so far; the list
        // and the window's items still come back, so the queue can be repaired or replaced.
        m_fillComplete = addRowsFromFile(true);

        const bool folder = m_queue.isFolderQueue();
        if (folder) m_queue.workingSorted = false;
        if (m_queue.workingSorted) sortRows();
        refreshStatusLine();
        if (folder)
            showFolderRows();
        else
            setSelectionMode(QAbstractItemView::ExtendedSelection);
        applyColumnWidth();
    });
}

void QueueListView::rebuildRows(const std::function<void()>& build) {
    m_filling = true;
    Q_EMIT fillStarted();
    {
        HiddenWhileBuilding hidden(*this);
        WaitCursor cursor;
        clear();
        setSortingEnabled(false);
        m_queue.currentRow = -1;
        build();
    }
    m_filled = true;
    m_filling = false;
    Q_EMIT fillFinished();
}

// A folder queue's entries come from the folder: the list only says which folder it is.
void QueueListView::showFolderRows() {
    clear();
    for (const QString& text : {QStringLiteral("Queue is derived from folder"), m_queue.header().imageFolder()}) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, text);
        item->setIcon(0, stateIcon(0));
        m_captionWidths.add(text, *this);
    }
    setSelectionMode(QAbstractItemView::NoSelection);
}

void QueueListView::addEntryRow(int entryNumber) {
    if (!m_filled || m_queue.isFolderQueue()) return;
    QTreeWidgetItem* item = makeRow(entryNumber, m_queue.entry());
    addTopLevelItem(item);
    m_captionWidths.add(item->text(0), *this);
    applyColumnWidth();
}

void QueueListView::removeEntryRow(int row) {
    if (row < 0 || row >= topLevelItemCount() || m_queue.isFolderQueue()) return;
    UpdatingScope updating(m_app);
    const int removed = entryOfRow(row);
    delete takeTopLevelItem(row);
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QTreeWidgetItem* item = topLevelItem(r);
        const int entry = item->text(kEntryColumn).toInt();
        if (entry > removed) item->setText(kEntryColumn, QString::number(entry - 1));
    }
    if (m_queue.currentRow == row)
        m_queue.currentRow = -1;
    else if (m_queue.currentRow > row)
        --m_queue.currentRow;
}

int QueueListView::columnWidthNeeded() const {
    // The icon and the cell margins come on top of the text, or long captions get elided.
    const int decoration =
        iconSize().width() + 4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    const int view = viewport()->width();
    // Most often every caption fits the view: then no caption needs measuring.
    if (m_captionWidths.widestBound() + decoration <= view) return view;
    return std::max(view, m_captionWidths.widest() + decoration);
}

void QueueListView::applyColumnWidth() {
    header()->resizeSection(0, columnWidthNeeded());
}

void QueueListView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    applyColumnWidth();
}

void QueueListView::refreshStatusLine() {
    const int count = m_queue.isFolderQueue() ? m_folderFileCount : m_queue.entryCount();
    Q_EMIT statusLineChanged(queueStatusLine(splitPath(m_queue.currentFile()).name, count));
}

void QueueListView::setFolderFileCount(int count) {
    m_folderFileCount = count;
    if (m_queue.isFolderQueue()) refreshStatusLine();
}

void QueueListView::sortRows() {
    if (m_queue.isFolderQueue()) return;
    UpdatingScope updating(m_app);
    QTreeWidgetItem* current = m_queue.currentRow >= 0 && m_queue.currentRow < topLevelItemCount()
                                   ? topLevelItem(m_queue.currentRow)
                                   : nullptr;
    const QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
    // Each caption is taken out of its row once, not at every comparison.
    std::vector<std::pair<QString, QTreeWidgetItem*>> captioned;
    captioned.reserve(static_cast<std::size_t>(items.size()));
    for (QTreeWidgetItem* item : items)
        captioned.emplace_back(item->text(0), item);
    // The locale's word sort, which tells upper from lower case; equal captions keep
    // their order so the sort is the same every time.
    std::stable_sort(captioned.begin(), captioned.end(),
                     [](const auto& a, const auto& b) { return QString::localeAwareCompare(a.first, b.first) < 0; });
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(items.size());
    for (const auto& [caption, item] : captioned)
        sorted.append(item);
    addTopLevelItems(sorted);
    if (current) m_queue.currentRow = indexOfTopLevelItem(current);
}

void QueueListView::sortByName() {
    if (m_queue.isFolderQueue()) return;
    m_queue.workingSorted = true;
    m_queue.header().setSorted(1);
    m_queue.writeHeader();
    sortRows();
    deselectAll();
}

void QueueListView::unsorted() {
    if (m_queue.isFolderQueue()) return;
    m_queue.workingSorted = false;
    m_queue.header().setSorted(0);
    m_queue.writeHeader();

    rebuildRows([this] {
        UpdatingScope updating(m_app);
        m_fillComplete = addRowsFromFile(false);
    });
    deselectAll();
}

void QueueListView::deselectAll() {
    UpdatingScope updating(m_app);
    clearSelection();
    Q_EMIT selectionStateChanged(0, m_queue.workingSorted);
}

void QueueListView::selectAllRows() {
    if (m_queue.isFolderQueue()) return;
    selectAll();
}

int QueueListView::selectedCount() const {
    return static_cast<int>(selectionModel()->selectedRows().size());
}

QList<int> QueueListView::selectedRows() const {
    QList<int> rows;
    const QModelIndexList indexes = selectionModel()->selectedRows();
    rows.reserve(indexes.size());
    for (const QModelIndex& index : indexes)
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void QueueListView::setRowState(int row, int state) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;
    item->setData(0, kStateRole, state);
    item->setIcon(0, stateIcon(state));
}

int QueueListView::rowState(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return -1;
    const QVariant state = item->data(0, kStateRole);
    return state.isValid() ? state.toInt() : -1;
}

int QueueListView::rowCount() const {
    return m_queue.isFolderQueue() ? 0 : topLevelItemCount();
}

int QueueListView::entryOfRow(int row) const {
    if (m_queue.isFolderQueue()) return 0;
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(kEntryColumn).toInt() : 0;
}

int QueueListView::firstSelectedRow() const {
    if (m_queue.isFolderQueue()) return -1;
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.isValid() && (first < 0 || range.top() < first)) first = range.top();
    return first;
}

void QueueListView::onSelectionChanged(const QItemSelection& selected) {
    if (m_app.updating || m_filling) return;
    const int newest = selected.isEmpty() ? -1 : selected.last().bottom();
    if (!m_work) {
        readSelectedEntry(newest);
        return;
    }
    // While a change or a command holds the queue, the chosen row is read once it has finished,
    // as the selection stands then; reading it now would go through the queue's buffer under
    // the running work.
    if (!m_work->runIfIdle([this, newest] { readSelectedEntry(newest); }))
        m_work->run([this] { readSelectedEntry(-1); });
}

void QueueListView::readSelectedEntry(int newestRow) {
    if (m_app.updating || m_filling) return;
    if (m_queue.isFolderQueue() || m_queue.entryCount() < 1) return;
    UpdatingScope updating(m_app);

    // The row the user just chose: the current row when it is selected, else the last
    // newly selected row, else the first row still selected.
    int row = -1;
    if (QTreeWidgetItem* current = currentItem(); current && current->isSelected())
        row = indexOfTopLevelItem(current);
    else if (newestRow >= 0 && newestRow < topLevelItemCount())
        row = newestRow;
    else
        row = firstSelectedRow();

    if (row >= 0) {
        const int record = m_queue.recordOfEntry(entryOfRow(row));
        m_queue.currentRecord = record;
        m_queue.currentRow = row;
        for (int attempt = 0; attempt < Queue::kAttempts; ++attempt)
            if (m_queue.readEntry(record)) break;
    }
    Q_EMIT selectionStateChanged(selectedCount(), m_queue.workingSorted);
}

void QueueListView::requestPanelFollowUp() {
    if (m_app.updating || m_queue.busy()) return;
    if (m_queue.entryCount() == 0 && !m_queue.isFolderQueue()) return;
    Q_EMIT panelFollowUp();
}

void QueueListView::requestWallpaperNow() {
    if (m_queue.isFolderQueue() || firstSelectedRow() < 0) return;
    Q_EMIT wallpaperNowRequested();
}

void QueueListView::keyPressEvent(QKeyEvent* event) {
    if (m_queue.isFolderQueue()) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        requestWallpaperNow();
        event->accept();
        return;
    case Qt::Key_Space:
        requestPanelFollowUp();
        event->accept();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // The list then moves the selection itself, to one row.
        deselectAll();
        break;
    default:
        break;
    }
    QTreeWidget::keyPressEvent(event);
}

void QueueListView::keyReleaseEvent(QKeyEvent* event) {
    if (!m_queue.isFolderQueue() && event->key() == Qt::Key_Delete && !event->isAutoRepeat()) Q_EMIT deleteRequested();
    QTreeWidget::keyReleaseEvent(event);
    requestPanelFollowUp();
}

void QueueListView::mousePressEvent(QMouseEvent* event) {
    Q_EMIT pressed();
    QTreeWidget::mousePressEvent(event);
}

void QueueListView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    requestPanelFollowUp();
}

void QueueListView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_queue.isFolderQueue()) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) requestWallpaperNow();
}

void QueueListView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (m_queue.isFolderQueue()) return;
    m_popup->popup(event->globalPos());
}
