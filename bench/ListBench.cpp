// SPDX-License-Identifier: MIT
// Filling the queue list from a 6,000-entry queue (one open of the file) and showing it.
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

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
