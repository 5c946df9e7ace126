// SPDX-License-Identifier: MIT
#pragma once

#include "gui/CaptionWidths.h"
#include "queue/QueueRowMoves.h"
#include "queue/QueueRows.h"

#include <QTreeWidget>

#include <functional>

class MoveRepeater;
class Queue;
class QueueWork;
struct AppContext;
class QAction;
class QIcon;
class QItemSelection;
class QMenu;
class QueueEntry;

// The queue list: one row per entry of the open queue, in the order the change cycle walks.
// Row caption: the entry's path (or file name), icon: its display state, hidden second
// column: its entry number. Its object name is the form's "lstqueue".
class QueueListView : public QTreeWidget, public QueueRows {
    Q_OBJECT
public:
    QueueListView(Queue& queue, AppContext& app, QWidget* parent = nullptr);
    // Reading the chosen row's entry takes this path, so it never runs inside a change.
    void setQueueWork(QueueWork* work) { m_work = work; }

    // The six display-state icons (index = display state 0..5).
    void setStateIcons(const QList<QIcon>& icons);
    // Captions show file names only (TruncateFileName) or full paths.
    void setFileNameOnly(bool on) { m_fileNameOnly = on; }
    bool fileNameOnly() const { return m_fileNameOnly; }

    // Builds the rows with one open of the queue file for all records; does nothing while
    // filling or filled. A folder queue gets its two text rows.
    void fill();
    bool filling() const { return m_filling; }
    bool filled() const { return m_filled; }
    void clearFilled() { m_filled = false; }
    void cancelFill() { m_filling = false; }
    // Adds the row of an entry just added to the queue, so the list need not be rebuilt.
    void addEntryRow(int entryNumber);
    void sortByName(); // rows only; writes the header's sorted flag
    void unsorted();   // back to entry order; writes the header's sorted flag
    void deselectAll();
    void selectAllRows();
    // Moves the selected rows one step.
    void moveSelected(QueueRowMoves::Direction direction);
    // Press and hold on a move button repeats the move until the release.
    void startMoveRepeat(QueueRowMoves::Direction direction);
    void stopMoveRepeat();
    int selectedCount() const;
    // 0-based rows, ascending.
    QList<int> selectedRows() const;
    void setRowState(int row, int state);
    // The display state the row shows (-1 for a row that is not an entry's).
    int rowState(int row) const;

    // Sorts the rows by caption only, as an addition to a sorted view needs; no header write,
    // no deselect.
    void sortRows();
    // Removes the row of a deleted entry; every later entry number moves down by one.
    void removeEntryRow(int row);
    // The status line with the folder file list's count, for a folder queue (0 until the
    // folder has been scanned). Re-sends the status line when the queue is a folder queue.
    void setFolderFileCount(int count);
    // Sends the status line for the open queue ("Q: name (n Files)").
    void refreshStatusLine();
    // False when the last fill stopped at a record it could not read (the file is shorter
    // than its entry count needs, or cannot be opened): the rows read so far are shown.
    bool lastFillComplete() const { return m_fillComplete; }
    // The pop-up's "Edit" item, which the window enables only with one row selected.
    QAction* popupEditAction() const { return m_popupEdit; }

    // QueueRows. A folder queue's two text rows are not entries: 0 rows, nothing selected.
    int rowCount() const override;
    int entryOfRow(int row) const override;
    int firstSelectedRow() const override;

    // The pop-up ("Wallpaper Now", "Edit", "Select None", "Select All", "Delete"), shown on
    // a right click for ordinary queues; the window enables or disables its items.
    QMenu* popupMenu() const { return m_popup; }

    // The width the column needs (the larger of the view and the widest caption).
    int columnWidthNeeded() const;

Q_SIGNALS:
    // Around every rebuild of the rows: the window hides its queue-file commands meanwhile.
    void fillStarted();
    void fillFinished();
    // The user changed the selection, or it was cleared: the window enables or disables its
    // selection commands and the move buttons.
    void selectionStateChanged(int selectedCount, bool sorted);
    // After a mouse release, a key release or the space bar: the panel may show the selection.
    void panelFollowUp();
    // Double click or Enter with a selection; pop-up "Wallpaper Now".
    void wallpaperNowRequested();
    // Delete key released; pop-up "Delete".
    void deleteRequested();
    // Pop-up "Edit".
    void editRequested();
    // Mouse pressed on the list: the window clears the wallpaper-busy and paint flags.
    void pressed();
    // Status line text changed ("Q: name (n Files)").
    void statusLineChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString captionOf(const QueueEntry& entry) const;
    QIcon stateIcon(int state) const;
    QTreeWidgetItem* makeRow(int entryNumber, const QueueEntry& entry);
    bool addRowsFromFile(bool widen);
    void leaveLastRecordInEntry(int lastReadEntry, int failedEntry);
    // Clears the rows and runs build with the list hidden, the window told before and after.
    void rebuildRows(const std::function<void()>& build);
    void showFolderRows();
    void applyColumnWidth();
    void onSelectionChanged(const QItemSelection& selected);
    void readSelectedEntry(int newestRow);
    void buildPopupMenu();
    void exchangeRowContents(int upper, int lower);
    void selectRows(const std::vector<QueueRowMoves::Row>& rows);
    void requestPanelFollowUp();
    void requestWallpaperNow();

    Queue& m_queue;
    // Where a row keeps its display state.
    static constexpr int kStateRole = Qt::UserRole + 1;

    AppContext& m_app;
    QueueWork* m_work = nullptr;
    QList<QIcon> m_stateIcons;
    bool m_fileNameOnly = false;
    bool m_filling = false;
    bool m_filled = false;
    MoveRepeater* m_moveRepeater = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_popupEdit = nullptr;
    // Every caption since the last fill counts, so the column never narrows under the user.
    mutable CaptionWidths m_captionWidths;
    int m_folderFileCount = 0;
    bool m_fillComplete = true;
};
