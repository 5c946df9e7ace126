// SPDX-License-Identifier: MIT
#pragma once

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

class RecordingSound : public SoundOutput {
public:
    void play(const QString& path) override { played << path; }
    QStringList played;
};

// A queue in a folder of its own, a fake desktop and a scripted user around a real engine.
class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Picbuf::initialize(nullptr);
        dir = mtest::freshDir("engine");
        QDir(dir).mkpath("tmp");
        app.programFolder = dir + "/";
        app.tempFolder = dir + "/tmp";
        app.wallpaperBitmap = app.tempFolder + "/muralo32.bmp";
        app.randomSeed = 12345;
        settings = std::make_unique<SettingsStore>(dir + "/Muralo32.ini");
        queue = std::make_unique<Queue>(Queue::Environment{app.programFolder, 1024, 768});
        ASSERT_TRUE(queue->load(dir + "/q.qu3").ok());
        EngineServices s;
        s.settings = settings.get();
        s.prompter = &prompter;
        s.desktop = &desktop;
        s.sound = &sound;
        s.screenSize = [this] { return screen; };
        s.colorDepth = [this] { return depth; };
        s.resetCountdown = [this] { ++countdownResets; };
        engine = std::make_unique<WallpaperEngine>(app, *queue, folder, s);
    }

    // A PNG of the given size in one colour whose blue is the given level (not grey:
    // grey pictures load as palette images).
    QString makeImage(const QString& name, int w = 64, int h = 48, int grey = 128, const QString& inFolder = {}) {
        const QString path = (inFolder.isEmpty() ? dir : inFolder) + "/" + name;
        Magick::Image img(Magick::Geometry(unsigned(w), unsigned(h)),
                          Magick::ColorRGB(grey / 255.0, grey / 510.0, grey / 255.0));
        // A true-colour file, as photographs are (one colour alone would make a palette PNG).
        img.write("PNG24:" + QFile::encodeName(path).toStdString());
        return path;
    }
    void addImages(int n, int w = 64, int h = 48) {
        for (int i = 1; i <= n; ++i) {
            const QString p = makeImage(QString("img%1.png").arg(i), w, h);
            ASSERT_EQ(queue->addOneFile(p), Queue::AddResult::Added);
        }
    }
    // The number in the name of the image the desktop was last given.
    int shownImage() const {
        const QString name = QFileInfo(engine->currentImageText()).completeBaseName();
        return name.startsWith("img") ? name.mid(3).toInt() : -1;
    }
    QByteArray bitmapBytes() const { return mtest::readFile(desktop.calls.back().path); }

    QString dir;
    AppContext app;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Queue> queue;
    FolderQueue folder;
    FakeDesktopBackend desktop;
    ScriptedPrompter prompter;
    RecordingSound sound;
    QSize screen{1024, 768};
    int depth = 24;
    int countdownResets = 0;
    std::unique_ptr<WallpaperEngine> engine;
};
