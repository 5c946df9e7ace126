// SPDX-License-Identifier: MIT
#pragma once

#include "../imaging/FileBytes.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "imaging/Picbuf.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/SoundOutput.h"
#include "wallpaper/WallpaperEngine.h"

#include <QDir>
#include <QFileInfo>

#include <Magick++.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

class RecordingSound : public SoundOutput {
public:
    void play(const QString& path) override { played << path; }
    QStringList played;
};

// A queue in a folder of its own, a fake desktop and a scripted user around a real engine.
// Public, so that parameter tables can set it up.
class EngineFixture : public ::testing::Test {
public:
    void SetUp() override {
        Picbuf::initialize(nullptr);
        QDir(dir).mkpath("tmp");
        app.programFolder = dir + "/";
        app.tempFolder = dir + "/tmp";
        app.wallpaperBitmap = app.tempFolder + "/muralo32.bmp";
        app.randomSeed = 12345;
        ASSERT_TRUE(queue->load(dir + "/q.qu3").ok());
        EngineServices services;
        services.settings = &settings;
        services.prompter = &prompter;
        services.desktop = &desktop;
        services.sound = &sound;
        services.screenSize = [this] { return screen; };
        services.colorDepth = [this] { return depth; };
        services.resetCountdown = [this] { ++countdownResets; };
        engine = std::make_unique<WallpaperEngine>(app, *queue, folder, services);
    }

    // A true-colour PNG whose red and blue are mid grey and green a quarter (a grey one would
    // load as a palette image).
    QString makeImage(const QString& name, int w = 64, int h = 48, const QString& inFolder = {}) {
        const QString path = (inFolder.isEmpty() ? dir : inFolder) + "/" + name;
        QDir().mkpath(QFileInfo(path).path());
        Magick::Image img(Magick::Geometry(unsigned(w), unsigned(h)),
                          Magick::ColorRGB(128 / 255.0, 64 / 255.0, 128 / 255.0));
        img.write("PNG24:" + QFile::encodeName(path).toStdString());
        return path;
    }
    // Queue entries img1.png .. imgN.png, in that order.
    void addImages(int n, int w = 64, int h = 48) {
        for (int i = 1; i <= n; ++i)
            ASSERT_EQ(queue->addOneFile(makeImage(QString("img%1.png").arg(i), w, h)), Queue::AddResult::Added);
    }
    void editEntry(int record, const std::function<void(QueueEntry&)>& edit) {
        ASSERT_TRUE(queue->readEntry(record));
        edit(queue->entry());
        ASSERT_TRUE(queue->writeEntry(record));
    }
    // The number in the name of the image the desktop was last given; -1 for another name.
    int shownImage() const {
        const QString name = QFileInfo(engine->currentImageText()).completeBaseName();
        return name.startsWith("img") ? name.mid(3).toInt() : -1;
    }
    std::vector<int> shownInChanges(int changes) {
        std::vector<int> shown;
        for (int i = 0; i < changes; ++i) {
            engine->changeWallpaper();
            EXPECT_EQ(engine->lastOutcome(), WallpaperEngine::Outcome::Applied) << engine->lastError().toStdString();
            shown.push_back(shownImage());
        }
        return shown;
    }
    QByteArray bitmapBytes() const { return mtest::readFile(desktop.calls.back().path); }
    // A little-endian field of the last wallpaper bitmap.
    int bitmapField(int offset, int bytes = 4) const { return int(filebytes::field(bitmapBytes(), offset, bytes)); }

    QString dir = mtest::freshDir("engine");
    AppContext app;
    SettingsStore settings{dir + "/Muralo32.ini"};
    std::unique_ptr<Queue> queue = std::make_unique<Queue>(Queue::Environment{dir + "/", 1024, 768});
    FolderQueue folder;
    FakeDesktopBackend desktop;
    ScriptedPrompter prompter;
    RecordingSound sound;
    QSize screen{1024, 768};
    int depth = 24;
    int countdownResets = 0;
    std::unique_ptr<WallpaperEngine> engine;
};
