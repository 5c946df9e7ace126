// SPDX-License-Identifier: MIT
// The render pipeline for a 6000 x 4000 JPEG on a 1920 x 1080 screen, and a thumbnail.
#include "imaging/Picbuf.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/WallpaperEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <Magick++.h>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct Setup {
    QTemporaryDir dir;
    AppContext app;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Queue> queue;
    FolderQueue folder;
    FakeDesktopBackend desktop;
    std::unique_ptr<WallpaperEngine> engine;
    int depth = 24;

    Setup() {
        Picbuf::initialize(nullptr);
        const QString image = imagePath();
        app.programFolder = dir.path() + "/";
        app.tempFolder = dir.path();
        app.wallpaperBitmap = dir.path() + "/muralo32.bmp";
        settings = std::make_unique<SettingsStore>(dir.path() + "/Muralo32.ini");
        queue = std::make_unique<Queue>(Queue::Environment{app.programFolder, 1920, 1080});
        queue->load(dir.path() + "/q.qu3");
        queue->addOneFile(image);
        EngineServices s;
        s.settings = settings.get();
        s.desktop = &desktop;
        s.screenSize = [] { return QSize(1920, 1080); };
        s.colorDepth = [this] { return depth; };
        engine = std::make_unique<WallpaperEngine>(app, *queue, folder, s);
    }

    // One 6000 x 4000 photograph-like JPEG, made once per run.
    static QString imagePath() {
        static const QString path = [] {
            const QString p = QDir::tempPath() + "/muralo-bench-6000x4000.jpg";
            if (!QFile::exists(p)) {
                Magick::Image img;
                img.size(Magick::Geometry(6000, 4000));
                img.read("plasma:fractal");
                img.quality(90);
                img.write(QFile::encodeName(p).toStdString());
            }
            return p;
        }();
        return path;
    }

    void render() {
        engine->renderImage(1, 1920, 1080);
        if (!engine->renderedPicture().hasImage()) throw std::runtime_error("render failed");
        engine->renderedPicture().release();
    }
};

void BM_Render(benchmark::State& state) {
    Setup s;
    s.queue->header().setGammaOn(state.range(0) ? 1 : 0);
    s.engine->setGamma(1.5f);
    s.depth = state.range(1) ? 8 : 24;
    s.render(); // facts and thumbnail once, as the first change of an image does
    for (auto _ : state)
        s.render();
}
BENCHMARK(BM_Render)
    ->ArgNames({"gamma", "reduce236"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_FirstRenderWithThumbnail(benchmark::State& state) {
    Setup s;
    for (auto _ : state) {
        s.queue->entry().setFactsKnown(0);
        s.queue->writeEntry(1);
        s.render();
    }
}
BENCHMARK(BM_FirstRenderWithThumbnail)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Thumbnail(benchmark::State& state) {
    Setup s;
    Picbuf source, work;
    source.setFileName(QFile::encodeName(Setup::imagePath()).toStdString());
    source.setLoadSizeHint(1920, 1080);
    source.load();
    QueueEntry entry;
    for (auto _ : state) {
        s.engine->makeThumbnail(source, work, Setup::imagePath(), entry);
        work.release();
    }
}
BENCHMARK(BM_Thumbnail)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
