// SPDX-License-Identifier: MIT
#include "gui/QueueEditor.h"

#include "gui/QueueListView.h"
#include "queue/FolderQueue.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <set>

std::vector<QueueEditor::Added> QueueEditor::addFiles(const QStringList& paths, const Progress& progress) {
    std::vector<Added> outcome;
    if (m_queue.isFolderQueue()) return outcome;
    bool anyAdded = false;
    for (const QString& path : paths) {
        if (progress && !progress(int(outcome.size()), int(paths.size()))) break;
        Added added;
        added.path = path;
        added.result = m_queue.addOneFile(path, &added.record);
        if (added.result == Queue::AddResult::Added) {
            added.entry = m_queue.entryCount();
            m_list.addEntryRow(added.entry);
            anyAdded = true;
        }
        outcome.push_back(added);
    }
    if (anyAdded) {
        if (m_queue.workingSorted) m_list.sortRows();
        m_queue.writeHeader();
    }
    m_list.refreshStatusLine();
    return outcome;
}

bool QueueEditor::deleteEntries(const QList<int>& entries, Deletion deletion) {
    if (m_queue.isFolderQueue() || entries.isEmpty()) return false;
    const int count = m_queue.entryCount();
    const std::set<int, std::greater<>> wanted(entries.begin(), entries.end());
    if (*wanted.rbegin() < 1 || *wanted.begin() > count) return false;
    m_list.deselectAll();
    // From the last entry to the first, so the numbers still to come stay valid.
    for (const int entry : wanted) {
        const int row = rowOfEntry(entry);
        if (deletion == Deletion::QueueAndDisk) removeImageFile(m_queue.recordOfEntry(entry));
        // The position counts the rows the change cycle walks; without a list they are the entries.
        m_queue.deleteEntry(entry, row >= 0 ? row + 1 : entry);
        if (row >= 0) m_list.removeEntryRow(row);
    }
    m_queue.writeHeader();
    m_list.refreshStatusLine();
    return true;
}

bool QueueEditor::relinkEntries(const QList<int>& entries, const QString& folder) {
    if (m_queue.isFolderQueue()) return false;
    const bool written = m_queue.relinkEntries(entries, folder);
    if (!m_list.fileNameOnly()) rebuildRows();
    return written;
}

bool QueueEditor::useFolder(const QString& folder, FolderQueue& images) {
    const bool another = folder != m_queue.workingImageFolder;
    if (!m_queue.useFolder(folder)) return false;
    if (another) images.clearList();
    images.markChanged();
    images.refreshBeforeChange(m_queue.workingImageFolder);
    rebuildRows();
    return true;
}

void QueueEditor::stopUsingFolder() {
    m_queue.header().setFolderQueue(0);
    m_queue.writeHeader();
    rebuildRows();
}

void QueueEditor::clearAll() {
    m_queue.clearEntries();
    m_queue.writeHeader();
    rebuildRows();
}

void QueueEditor::rebuildRows() {
    m_list.clearFilled();
    m_list.fill();
}

void QueueEditor::removeImageFile(int record) {
    QueueEntry entry;
    if (!m_queue.readEntryInto(record, entry)) return;
    const QString path = entry.trimmedPath();
    if (QFileInfo(path).isFile()) QFile::remove(path);
}

int QueueEditor::rowOfEntry(int entry) const {
    if (!m_list.filled()) return -1;
    for (int row = 0; row < m_list.rowCount(); ++row)
        if (m_list.entryOfRow(row) == entry) return row;
    return -1;
}
