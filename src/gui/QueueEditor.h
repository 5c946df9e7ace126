// SPDX-License-Identifier: MIT
#pragma once

#include "queue/Queue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class FolderQueue;
class QueueListView;

// Adds image files to the open queue and deletes entries from it, keeping the queue list in
// step: the one model for every edit of the open queue, whether it comes from the window or
// from murctl over the single-instance channel. Callers run these as queue work (QueueWork),
// never inside a change. Nothing here asks the user anything.
class QueueEditor {
public:
    struct Added {
        QString path;
        Queue::AddResult result = Queue::AddResult::Missing;
        int entry = 0;  // the new entry's number, when added
        int record = 0; // and its record
    };

    QueueEditor(Queue& queue, QueueListView& list) : m_queue(queue), m_list(list) {}

    // Told after each file (files done, files in all); false stops the add there.
    using Progress = std::function<bool(int done, int total)>;

    // Adds each file as a new last entry, in the order given. A full queue refuses each
    // remaining name (LimitReached); a missing file is skipped (Missing). The rows are sorted
    // again when the queue is sorted, and the header is written once more at the end, also
    // when progress stopped the add: the queue then holds the files added so far.
    std::vector<Added> addFiles(const QStringList& paths, const Progress& progress = {});

    enum class Deletion { QueueOnly, QueueAndDisk };
    // Deletes the given entries (the queue's entry numbers) from the queue, and with QueueAndDisk
    // their image files too. False, and nothing done, when a number is out of range or the queue
    // is a folder queue.
    bool deleteEntries(const QList<int>& entries, Deletion deletion = Deletion::QueueOnly);

    // Points the entries at folder (relink); full-path rows are built again to show it.
    bool relinkEntries(const QList<int>& entries, const QString& folder);
    // Makes the queue a folder queue of folder, read at once so its images can be counted.
    bool useFolder(const QString& folder, FolderQueue& images);
    // Back to an ordinary, empty queue.
    void stopUsingFolder();
    // Empties the queue; the records stay in the file and the images on the disk.
    void clearAll();

private:
    void rebuildRows();
    // The 0-based row that shows entry n; -1 when the list holds no such row.
    int rowOfEntry(int entry) const;
    void removeImageFile(int record);

    Queue& m_queue;
    QueueListView& m_list;
};
