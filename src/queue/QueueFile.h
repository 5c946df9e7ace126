// SPDX-License-Identifier: MIT
#pragma once

#include "queue/QueueEntry.h"
#include "queue/QueueHeader.h"

#include <QFile>
#include <QString>

// Single accesses to a queue file. Each opens the file, does one thing and closes it,
// so no handle is held between accesses.
namespace queuefile {

enum class Kind {
    Missing,    // no file of that name
    Directory,  // a folder of that name
    Empty,      // shorter than three bytes: no signature
    Queue,      // "QU3"
    OldQueue,   // "QU2" or "QUE"
    Unreadable, // exists but cannot be opened
    Other,      // some other file
    NotRegular, // a fifo, device or socket: opening it could block, and it holds no queue
};

struct Probe {
    Kind kind = Kind::Missing;
    QByteArray signature;
    qint64 size = 0;
};

// Looks at the first three bytes of a file without changing it. Only regular files are opened.
Probe probe(const QString& path);

bool readHeader(const QString& path, QueueHeader& header);
// Writes the header at offset 0 without truncating the file.
bool writeHeader(const QString& path, const QueueHeader& header);
// Creates the file anew (replacing any file of that name) holding only the header.
bool createWithHeader(const QString& path, const QueueHeader& header);
// Record accesses; r must be 1..6000. A failed read leaves the buffer as far as it was filled.
bool readRecord(const QString& path, int r, QueueEntry& entry);
bool writeRecord(const QString& path, int r, const QueueEntry& entry);

// Reads many records through one open of the file (filling a list, walking a queue).
class RecordReader {
public:
    explicit RecordReader(const QString& path);
    bool isOpen() const { return m_file.isOpen(); }
    bool read(int r, QueueEntry& entry);

private:
    QFile m_file;
};

// Copies source over target in one step: target is afterwards either as it was or the whole
// copy, never half of one. False when the copy could not be made.
bool copyReplacing(const QString& source, const QString& target);

} // namespace queuefile
