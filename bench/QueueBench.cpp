// SPDX-License-Identifier: MIT
// Loading a full 6,000-entry queue and walking every record through one open of the file.
#include "queue/Queue.h"
#include "queue/QueueFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString makeFullQueue(const QString& dir) {
    const QString path = dir + "/full.qu3";
    QFile::remove(path);
    Queue q(Queue::Environment{dir + "/", 1920, 1080});
    q.load(path);
    for (int r = 1; r <= qu3::kMaxEntries; ++r) {
        q.header().setRecordUse(r, static_cast<std::int16_t>(r));
        q.header().setRecordIndex(r, static_cast<std::int16_t>(qu3::kMaxEntries + 1 - r));
    }
    q.header().setEntryCount(qu3::kMaxEntries);
    q.writeHeader();
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    QueueEntry e;
    for (int r = 1; r <= qu3::kMaxEntries; ++r) {
        e.setFilePath(QStringLiteral("/home/user/Pictures/holiday/img_%1.jpg").arg(r, 5, 10, QLatin1Char('0')));
        f.seek(qu3::recordOffset(r));
        f.write(reinterpret_cast<const char*>(e.data()), qu3::kRecordSize);
    }
    return path;
}

void BM_LoadAndWalkFullQueue(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = makeFullQueue(dir.path());
    std::size_t bytes = 0;
    for (auto _ : state) {
        Queue q(Queue::Environment{dir.path() + "/", 1920, 1080});
        if (!q.load(path).ok()) state.SkipWithError("load failed");
        queuefile::RecordReader reader(path);
        int paths = 0;
        for (int n = 1; n <= q.entryCount(); ++n) {
            if (!reader.read(q.recordOfEntry(n), q.entry())) break;
            paths += q.entry().trimmedPath().size() > 0;
        }
        benchmark::DoNotOptimize(paths);
        bytes += qu3::kHeaderSize + std::size_t(paths) * qu3::kRecordSize;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_LoadAndWalkFullQueue)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
