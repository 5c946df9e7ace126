// SPDX-License-Identifier: MIT
// Loading a full 6,000-entry queue and walking every record through one open of the file.
#include "FullQueue.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_LoadAndWalkFullQueue(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = makeFullQueue(dir.path(), true);
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
