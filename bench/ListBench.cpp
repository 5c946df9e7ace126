// SPDX-License-Identifier: MIT
// Filling the queue list from a 6,000-entry queue (one open of the file) and showing it.
#include "app/AppContext.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"
#include "queue/QueueListView.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString makeFullQueue(const QString& dir) {
    const QString path = dir + "/full.qu3";
    Queue q(Queue::Environment{dir + "/", 1920, 1080});
    q.load(path);
    for (int r = 1; r <= qu3::kMaxEntries; ++r) {
        q.header().setRecordUse(r, static_cast<std::int16_t>(r));
        q.header().setRecordIndex(r, static_cast<std::int16_t>(r));
    }
    q.header().setEntryCount(qu3::kMaxEntries);
    q.writeHeader();
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    QueueEntry e;
    for (int r = 1; r <= qu3::kMaxEntries; ++r) {
        e.setFilePath(QStringLiteral("/home/user/Pictures/holiday/img_%1.jpg").arg(r, 5, 10, QLatin1Char('0')));
        e.setResizeMode(3);
        f.seek(qu3::recordOffset(r));
        f.write(reinterpret_cast<const char*>(e.data()), qu3::kRecordSize);
    }
    return path;
}

void BM_FillAndShowList(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = makeFullQueue(dir.path());
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
