// SPDX-License-Identifier: MIT
#pragma once

#include "queue/Queue.h"
#include "queue/QueueFile.h"

#include <QFile>

// A queue file with all 6,000 entries, for the benchmarks. reversed: entry n uses record 6001 - n.
inline QString makeFullQueue(const QString& dir, bool reversed = false) {
    const QString path = dir + "/full.qu3";
    QFile::remove(path);
    Queue q(Queue::Environment{dir + "/", 1920, 1080});
    q.load(path);
    for (int r = 1; r <= qu3::kMaxEntries; ++r) {
        q.header().setRecordUse(r, static_cast<std::int16_t>(r));
        q.header().setRecordIndex(r, static_cast<std::int16_t>(reversed ? qu3::kMaxEntries + 1 - r : r));
    }
    q.header().setEntryCount(qu3::kMaxEntries);
    q.writeHeader();
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    QueueEntry e;
    e.setResizeMode(qu3::UseDefault);
    for (int r = 1; r <= qu3::kMaxEntries; ++r) {
        e.setFilePath(QStringLiteral("/home/user/Pictures/holiday/img_%1.jpg").arg(r, 5, 10, QLatin1Char('0')));
        f.seek(qu3::recordOffset(r));
        f.write(reinterpret_cast<const char*>(e.data()), qu3::kRecordSize);
    }
    return path;
}
