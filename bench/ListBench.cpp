// SPDX-License-Identifier: MIT
// Filling the queue list from a 6,000-entry queue (one open of the file) and showing it, and
// sorting its rows by name as the window's sort command does.
#include "FullQueue.h"
#include "gui/QueueListView.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"
#include "settings/AppContext.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_FillAndShowList(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = makeFullQueue(dir.path(), false);
    AppContext app;
    Queue queue(Queue::Environment{dir.path() + "/", 1920, 1080});
    queue.load(path);
    for (auto _ : state) {
        QueueListView list(queue, app);
        list.resize(485, 150);
        list.fill();
        list.show();
        QApplication::processEvents();
        if (list.rowCount() != qu3::kMaxEntries) state.SkipWithError("fill incomplete");
    }
}
BENCHMARK(BM_FillAndShowList)->Unit(benchmark::kMillisecond)->Iterations(5);

// The entries lie in the reverse order of their names, so the sort moves every row.
void BM_SortByName(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = makeFullQueue(dir.path(), true);
    AppContext app;
    Queue queue(Queue::Environment{dir.path() + "/", 1920, 1080});
    queue.load(path);
    QueueListView list(queue, app);
    list.resize(485, 150);
    for (auto _ : state) {
        state.PauseTiming();
        queue.workingSorted = false;
        list.clearFilled();
        list.fill();
        list.show();
        QApplication::processEvents();
        state.ResumeTiming();
        list.sortByName();
        QApplication::processEvents();
    }
    if (list.entryOfRow(0) != qu3::kMaxEntries || list.entryOfRow(qu3::kMaxEntries - 1) != 1)
        state.SkipWithError("rows not sorted by name");
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
