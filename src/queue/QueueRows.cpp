// SPDX-License-Identifier: MIT
#include "QueueRows.h"

#include "queue/PathSplit.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"

#include <QFile>

#include <algorithm>
#include <cstring>

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

// A row's caption and display state come from these fields only.
static_assert(qu3::entry::kFilePath + 1 + qu3::kPathCapacity <= ListedRecords::kListedSize &&
                  qu3::entry::kWidth + 2 <= ListedRecords::kListedSize &&
                  qu3::entry::kHeight + 2 <= ListedRecords::kListedSize,
              "the listed part holds the path, the size and the resize mode");

ListedRecords::ListedRecords(const QString& path, int lastRecord) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return;
    m_open = true;
    lastRecord = std::clamp(lastRecord, 0, qu3::kMaxEntries);
    if (lastRecord == 0 || !file.seek(qu3::recordOffset(1))) return;
    m_listed.resize(static_cast<std::size_t>(lastRecord) * kListedSize);

    constexpr int kRecordsPerRead = 64;
    std::vector<char> chunk(kRecordsPerRead * qu3::kRecordSize);
    while (m_wholeRecords < lastRecord) {
        const int wanted = std::min(kRecordsPerRead, lastRecord - m_wholeRecords);
        const qint64 got = file.read(chunk.data(), qint64(wanted) * qint64(qu3::kRecordSize));
        const int whole = got > 0 ? static_cast<int>(got / qint64(qu3::kRecordSize)) : 0;
        for (int k = 0; k < whole; ++k)
            std::memcpy(&m_listed[static_cast<std::size_t>(m_wholeRecords + k) * kListedSize],
                        &chunk[static_cast<std::size_t>(k) * qu3::kRecordSize], kListedSize);
        m_wholeRecords += whole;
        if (whole < wanted) break;
    }
}

bool ListedRecords::read(int r, QueueEntry& entry) const {
    if (r < 1 || r > m_wholeRecords) return false;
    std::memcpy(entry.data(), &m_listed[static_cast<std::size_t>(r - 1) * kListedSize], kListedSize);
    return true;
}
