// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the queue loader as a queue file: it must never crash,
// never change the bytes of a file it refuses, and walking every entry must stay
// inside the tables.
#include "queue/Queue.h"
#include "queue/QueueFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = QDir::tempPath() + QStringLiteral("/muralo-fuzz-%1.qu3").arg(getpid());
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(input);
    }
    Queue queue(Queue::Environment{QStringLiteral("/opt/muralo/"), 1024, 768});
    const Queue::LoadResult result = queue.load(path);
    if (!result.ok()) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        if (f.readAll() != input) std::abort(); // a refused file must stay as it was
        return 0;
    }
    queuefile::RecordReader reader(path);
    for (int n = 1; n <= queue.entryCount(); ++n) {
        if (!reader.read(queue.recordOfEntry(n), queue.entry())) break;
        (void)queue.entry().trimmedPath();
        (void)queue.entry().soundPath();
    }
    if (queue.entryCount() > 0) queue.deleteEntry(1, 1);
    if (queue.entryCount() < 0 || queue.entryCount() > 6000) std::abort();
    return 0;
}
