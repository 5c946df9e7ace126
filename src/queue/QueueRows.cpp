// SPDX-License-Identifier: MIT
#include "QueueRows.h"

#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"

#include <algorithm>

int EntryOrderRows::entryOfRow(int row) const {
    return row >= 0 && row < rowCount() ? m_entries[static_cast<std::size_t>(row)] : 0;
}

EntryOrderRows EntryOrderRows::fromQueue(const Queue& queue, bool fileNameOnly) {
    EntryOrderRows rows;
    const int count = queue.entryCount();
    for (int n = 1; n <= count; ++n)
        rows.m_entries.push_back(n);
    if (queue.header().sorted() == 0 || count < 2) return rows;

    std::vector<QString> captions(static_cast<std::size_t>(count) + 1);
    queuefile::RecordReader reader(queue.currentFile());
    QueueEntry e;
    for (int n = 1; n <= count; ++n) {
        if (!reader.read(queue.recordOfEntry(n), e)) break;
        const QString path = e.trimmedPath();
        captions[static_cast<std::size_t>(n)] = fileNameOnly ? splitPath(path).fileName : path;
    }
    // The locale's word sort, as the list sorts its captions.
    std::stable_sort(rows.m_entries.begin(), rows.m_entries.end(), [&](int a, int b) {
        return QString::localeAwareCompare(captions[static_cast<std::size_t>(a)],
                                           captions[static_cast<std::size_t>(b)]) < 0;
    });
    return rows;
}
