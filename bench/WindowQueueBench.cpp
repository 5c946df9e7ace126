// SPDX-License-Identifier: MIT
// The window on real image files: adding 1,000 images through Add Image File (with its progress
// dialog), using a 5,000-image folder as the queue (each with its total time and, as
// longest_block_ms, the longest time the window's event loop went without a turn), and
// selecting rows of a full queue for the Image Properties box.
#include "../tests/ScriptedPrompter.h"
#include "gui/FileChooser.h"
#include "gui/MainWindow.h"
#include "imaging/Picbuf.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "queue/QueueFormat.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/WallpaperEngine.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include <unistd.h>

namespace {

constexpr int kAddedImages = 1000;
constexpr int kFolderImages = 5000;

// Answers the window's file dialogs at once with the files or the folder the benchmark set.
class PresetFileChooser : public FileChooser {
public:
    std::optional<Answer> openFiles(const Request&) override { return Answer{files, 0}; }
    std::optional<QString> saveFile(const Request&) override { return std::nullopt; }
    QString chooseFolder(const QString&) override { return folder; }

    QStringList files;
    QString folder;
};

// The longest stretch between two turns of the event loop while it lives: a 1 ms timer notes
// each turn it gets.
class EventLoopWatch {
public:
    EventLoopWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_clock.start();
        m_timer.start();
    }
    // Up to now, the end of the last stretch included.
    double longestMs() {
        tick();
        return double(m_longestNs) / 1e6;
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longestNs = std::max(m_longestNs, now - m_lastNs);
        m_lastNs = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = 0;
    qint64 m_longestNs = 0;
};

// One small JPEG and n hard links to it (copies where links are refused), named img_00001.jpg ...
QStringList makeImages(const QString& folder, int n) {
    QDir().mkpath(folder);
    const QString first = folder + "/img_00001.jpg";
    Magick::Image image(Magick::Geometry(160, 120), Magick::ColorRGB(0.8, 0.3, 0.1));
    image.write("JPEG:" + QFile::encodeName(first).toStdString());
    QStringList paths{first};
    for (int i = 2; i <= n; ++i) {
        paths << folder + QStringLiteral("/img_%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        if (::link(QFile::encodeName(first).constData(), QFile::encodeName(paths.back()).constData()) != 0)
            QFile::copy(first, paths.back());
    }
    return paths;
}

// A shown main window over a new, empty queue, with the fake desktop and scripted answers.
struct WindowOverEmptyQueue {
    explicit WindowOverEmptyQueue(const QString& folder) : settings(folder + "/Muralo32.ini") {
        QDir().mkpath(folder);
        app.programFolder = folder + "/";
        app.tempFolder = folder;
        app.wallpaperBitmap = folder + "/muralo32.bmp";
        app.queueFile = folder + "/bench.qu3";
        queue = std::make_unique<Queue>(Queue::Environment{app.programFolder, 1920, 1080});
        EngineServices services;
        services.settings = &settings;
        services.prompter = &prompter;
        services.desktop = &desktop;
        services.screenSize = [] { return QSize(1920, 1080); };
        engine = std::make_unique<WallpaperEngine>(app, *queue, folderImages, services);
        MainWindowDeps deps;
        deps.app = &app;
        deps.settings = &settings;
        deps.queue = queue.get();
        deps.folder = &folderImages;
        deps.engine = engine.get();
        deps.prompter = &prompter;
        deps.screenState = &screen;
        deps.grabDesktop = [] { return QPixmap(); };
        deps.bitsPerPixel = [] { return 32; };
        deps.screenRect = [] { return QRect(0, 0, 1920, 1080); };
        deps.fileChooser = &chooser;
        deps.quit = [] {};
        window = std::make_unique<MainWindow>(deps);
        window->startUp();
        QApplication::processEvents();
    }
    // Runs a menu command to its end; the seconds it took and the longest event-loop block.
    std::pair<double, double> run(const char* actionName) {
        QAction* action = window->findChild<QAction*>(QString::fromLatin1(actionName));
        if (!action) return {0, 0};
        EventLoopWatch watch;
        QElapsedTimer clock;
        clock.start();
        action->trigger();
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        return {seconds, watch.longestMs()};
    }

    AppContext app;
    SettingsStore settings;
    std::unique_ptr<Queue> queue;
    FolderQueue folderImages;
    FakeDesktopBackend desktop;
    FakeScreenState screen;
    ScriptedPrompter prompter;
    PresetFileChooser chooser;
    std::unique_ptr<WallpaperEngine> engine;
    std::unique_ptr<MainWindow> window;
};

// Each iteration adds to a new queue; only the command itself is timed.
void BM_AddImageFilesThroughWindow(benchmark::State& state) {
    QTemporaryDir dir;
    const QStringList images = makeImages(dir.path() + "/images", kAddedImages);
    double longestBlockMs = 0;
    int round = 0;
    for (auto _ : state) {
        WindowOverEmptyQueue bench(dir.path() + QStringLiteral("/round%1").arg(++round));
        bench.chooser.files = images;
        const auto [seconds, blockMs] = bench.run("menuadd");
        state.SetIterationTime(seconds);
        longestBlockMs = std::max(longestBlockMs, blockMs);
        if (bench.queue->entryCount() != kAddedImages || !bench.prompter.messages.isEmpty())
            state.SkipWithError("the add did not take every image");
    }
    state.counters["longest_block_ms"] = longestBlockMs;
}
BENCHMARK(BM_AddImageFilesThroughWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_UseFolderAsQueue(benchmark::State& state) {
    QTemporaryDir dir;
    const QString images = dir.path() + "/images";
    makeImages(images, kFolderImages);
    double longestBlockMs = 0;
    int round = 0;
    for (auto _ : state) {
        WindowOverEmptyQueue bench(dir.path() + QStringLiteral("/round%1").arg(++round));
        bench.chooser.folder = images + "/";
        const auto [seconds, blockMs] = bench.run("mnuUseFolder");
        state.SetIterationTime(seconds);
        longestBlockMs = std::max(longestBlockMs, blockMs);
        if (!bench.queue->isFolderQueue() || bench.folderImages.count() != kFolderImages)
            state.SkipWithError("the folder queue does not hold every image");
    }
    state.counters["longest_block_ms"] = longestBlockMs;
}
BENCHMARK(BM_UseFolderAsQueue)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// Gives every entry the facts and stored thumbnail that entry 1 got when its row was selected.
bool copyFirstFactsToAll(Queue& queue) {
    QueueEntry first;
    if (!queue.readEntryInto(queue.recordOfEntry(1), first) || first.factsKnown() == 0) return false;
    for (int n = 2; n <= queue.entryCount(); ++n) {
        const int record = queue.recordOfEntry(n);
        QueueEntry entry;
        if (!queue.readEntryInto(record, entry)) return false;
        entry.setBitsPerPixel(first.bitsPerPixel());
        entry.setWidth(first.width());
        entry.setHeight(first.height());
        entry.setFileDate(first.fileDate());
        entry.setThumbnail(first.thumbnail());
        entry.setFactsKnown(1);
        if (!queue.writeEntryFrom(record, entry)) return false;
    }
    return true;
}

void selectOnly(QTreeWidget& list, int row) {
    list.clearSelection();
    list.topLevelItem(row)->setSelected(true);
}

// Selecting one row after another in a full queue whose images all have stored facts and
// thumbnails: each selection reads the record and shows the stored thumbnail.
void BM_SelectRowWithStoredThumbnail(benchmark::State& state) {
    QTemporaryDir dir;
    const QStringList images = makeImages(dir.path() + "/images", qu3::kMaxEntries);
    WindowOverEmptyQueue bench(dir.path() + "/full");
    bench.chooser.files = images;
    bench.run("menuadd");
    auto* list = bench.window->findChild<QTreeWidget*>(QStringLiteral("lstqueue"));
    if (!list || list->topLevelItemCount() != qu3::kMaxEntries) {
        state.SkipWithError("the queue is not full");
        return;
    }
    selectOnly(*list, 0);
    if (!copyFirstFactsToAll(*bench.queue)) {
        state.SkipWithError("no facts to copy");
        return;
    }
    int row = 0;
    double longestMs = 0;
    for (auto _ : state) {
        row = (row + 97) % qu3::kMaxEntries;
        QElapsedTimer clock;
        clock.start();
        selectOnly(*list, row);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1e3);
        longestMs = std::max(longestMs, ms);
    }
    state.counters["longest_ms"] = longestMs;
}
BENCHMARK(BM_SelectRowWithStoredThumbnail)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(200);

// Selecting a row whose facts are stale: the image (a 6000 x 4000 JPEG) is decoded once, with a
// size hint, for its facts and thumbnail.
void BM_SelectRowWithStaleFacts(benchmark::State& state) {
    QTemporaryDir dir;
    const QString big = dir.path() + "/big.jpg";
    Magick::Image image(Magick::Geometry(6000, 4000), Magick::ColorRGB(0.2, 0.5, 0.7));
    image.quality(90);
    image.write("JPEG:" + QFile::encodeName(big).toStdString());
    WindowOverEmptyQueue bench(dir.path() + "/stale");
    bench.chooser.files = QStringList{big, big};
    bench.run("menuadd");
    auto* list = bench.window->findChild<QTreeWidget*>(QStringLiteral("lstqueue"));
    if (!list || list->topLevelItemCount() != 2) {
        state.SkipWithError("the queue was not made");
        return;
    }
    for (auto _ : state) {
        selectOnly(*list, 1);
        QueueEntry entry;
        bench.queue->readEntryInto(bench.queue->recordOfEntry(1), entry);
        entry.setFactsKnown(0);
        bench.queue->writeEntryFrom(bench.queue->recordOfEntry(1), entry);
        QElapsedTimer clock;
        clock.start();
        selectOnly(*list, 0);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_SelectRowWithStaleFacts)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    Picbuf::initialize(argv[0]);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
