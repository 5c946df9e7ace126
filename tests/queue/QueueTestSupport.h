// SPDX-License-Identifier: MIT
#pragma once

#include "TestSupport.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>

namespace qtest {

// Byte-level helpers for writing queue files by hand: little-endian integers of 1, 2 or 4 bytes.
inline void putInt(QByteArray& b, qsizetype off, int v, int bytes = 2) {
    for (int i = 0; i < bytes; ++i)
        b[off + i] = char((v >> (8 * i)) & 0xFF);
}
inline void putString(QByteArray& b, qsizetype off, const QByteArray& s) {
    b[off] = char(s.size());
    b.replace(off + 1, s.size(), s);
}

// A header of a queue with entries 1..n in records 1..n, as a file would hold it.
inline QByteArray handMadeHeader(int entries) {
    QByteArray h(25600, '\0');
    h.replace(0, 3, "QU3");
    h[264] = 1;
    putInt(h, 268, entries);
    for (int i = 1; i <= entries; ++i) {
        putInt(h, 1600 + 2 * (i - 1), i);
        putInt(h, 13600 + 2 * (i - 1), i);
    }
    return h;
}

// A whole file: the header, the slot that belongs to no entry, then records 1, 2, ... holding the paths.
inline QByteArray queueFileBytes(const QByteArray& header, const QList<QByteArray>& recordPaths = {}) {
    QByteArray bytes = header + QByteArray(5120, '\0');
    for (const QByteArray& path : recordPaths) {
        QByteArray record(5120, '\0');
        putString(record, 0, path);
        bytes += record;
    }
    return bytes;
}

// The file names of a queue file's entries in entry order, read through one RecordReader.
inline QStringList namesInOrder(const QString& file) {
    QueueHeader h;
    if (!queuefile::readHeader(file, h)) return {"<no header>"};
    queuefile::RecordReader reader(file);
    QStringList out;
    QueueEntry e;
    for (int n = 1; n <= h.entryCount(); ++n)
        out << (reader.read(h.recordIndex(n), e) ? QFileInfo(e.trimmedPath()).fileName() : "<unreadable>");
    return out;
}

inline Queue::Environment env(const QString& programFolder = QStringLiteral("/opt/muralo/")) {
    return Queue::Environment{programFolder, 1024, 768};
}

inline void touch(const QString& dir, const QString& name, const QByteArray& bytes = "x") {
    ASSERT_TRUE(mtest::writeFile(dir + "/" + name, bytes)) << name.toStdString();
}

} // namespace qtest
