// SPDX-License-Identifier: MIT
#pragma once

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "gui/FileChooser.h"
#include "gui/MainWindow.h"
#include "imaging/Picbuf.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/WallpaperEngine.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QTimer>

#include <Magick++.h>

#include <memory>
#include <stdexcept>
#include <string>

// Answers the file dialogs with what the test set, and records what they were asked.
class ScriptedFileChooser : public FileChooser {
public:
    std::optional<Answer> openFiles(const Request& request) override {
        requests.push_back(request);
        return answer;
    }
    std::optional<QString> saveFile(const Request& request) override {
        requests.push_back(request);
        return saveAnswer;
    }
    QString chooseFolder(const QString& startFolder) override {
        folderStarts << startFolder;
        return folder;
    }

    std::optional<Answer> answer;
    std::optional<QString> saveAnswer;
    QString folder;
    std::vector<Request> requests;
    QStringList folderStarts;
};

// A main window over a queue in a fresh folder, a fake desktop and a fake screen; the settings
// live in the folder too. Controls are found by their form names.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Picbuf::initialize(nullptr);
        dir = mtest::freshDir(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        settings = std::make_unique<SettingsStore>(dir + "/Muralo32.ini");
        app.programFolder = dir + "/";
        app.title = QStringLiteral("Muralo32 Wallpaper Manager");
        app.tempFolder = dir;
        app.wallpaperBitmap = dir + "/muralo32.bmp";
        app.queueFile = dir + "/test.qu3";
        app.helpFile = dir + "/index.html";
        queue = std::make_unique<Queue>(Queue::Environment{app.programFolder, 1024, 768});
    }

    // Writes a queue file holding n small images before the window loads it.
    void makeQueue(int n) {
        Queue q(queue->environment());
        ASSERT_TRUE(q.load(app.queueFile).ok());
        for (int i = 1; i <= n; ++i) {
            const QString path = dir + QString("/img%1.png").arg(i);
            Magick::Image img(Magick::Geometry(64, 48), Magick::ColorRGB(0.5, 0.25, 0.1 * i));
            img.write("PNG24:" + QFile::encodeName(path).toStdString());
            ASSERT_EQ(q.addOneFile(path), Queue::AddResult::Added);
        }
    }
    void set(const char* name, const char* value) {
        settings->write(QString::fromLatin1(name), QString::fromLatin1(value));
    }
    QString get(const char* name) const {
        return settings->read(QString::fromLatin1(name), QStringLiteral("<missing>"));
    }

    // Builds the window and runs its start-up.
    MainWindow& make() {
        EngineServices services;
        services.settings = settings.get();
        services.prompter = &prompter;
        services.desktop = &desktop;
        services.screenSize = [] { return QSize(1024, 768); };
        engine = std::make_unique<WallpaperEngine>(app, *queue, folder, services);
        MainWindowDeps deps;
        deps.app = &app;
        deps.settings = settings.get();
        deps.queue = queue.get();
        deps.folder = &folder;
        deps.engine = engine.get();
        deps.prompter = &prompter;
        deps.screenState = &screen;
        deps.openUrl = [this](const QUrl& url) {
            opened << url;
            return true;
        };
        deps.grabDesktop = [] {
            QPixmap green(1024, 768);
            green.fill(QColor(0, 200, 0));
            return green;
        };
        deps.bitsPerPixel = [this] { return bits; };
        deps.screenRect = [] { return QRect(0, 0, 1024, 768); };
        deps.fileChooser = &chooser;
        deps.askDeleteChoice = [this](int rows) {
            deleteAsked << rows;
            return deleteChoice;
        };
        deps.runDialog = [this](QDialog& dialog) {
            dialogsShown << dialog.objectName();
            return dialogScript ? dialogScript(dialog) : int(QDialog::Rejected);
        };
        deps.systemInformation = [this] { return systemInformation; };
        deps.quit = [this] { ++quits; };
        deps.trayIconsShown = [this] { return trayIconsShown; };
        window = std::make_unique<MainWindow>(deps);
        window->startUp();
        return *window;
    }

    template <typename Control> Control& child(const char* formName) const {
        auto* found = window->findChild<Control*>(QString::fromLatin1(formName));
        if (!found) throw std::runtime_error(std::string("no control named ") + formName);
        return *found;
    }
    QAction& action(const char* formName) const { return child<QAction>(formName); }
    // Lets a window timer go off now.
    void fire(const char* timerName) const { QMetaObject::invokeMethod(&child<QTimer>(timerName), "timeout"); }
    QueueHeader headerOnDisk() const {
        QueueHeader h;
        EXPECT_TRUE(Queue::peekHeader(app.queueFile, h).ok());
        return h;
    }

    QString dir;
    AppContext app;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Queue> queue;
    FolderQueue folder;
    FakeDesktopBackend desktop;
    FakeScreenState screen;
    ScriptedPrompter prompter;
    QList<QUrl> opened;
    ScriptedFileChooser chooser;
    int deleteChoice = 0;
    // Plays the user's part in a modal dialog; answers its result.
    std::function<int(QDialog&)> dialogScript;
    QStringList dialogsShown;
    QString systemInformation;
    QList<int> deleteAsked;
    int bits = 32;
    int quits = 0;
    bool trayIconsShown = true;
    // Last, so the window goes first and the engine after it.
    std::unique_ptr<WallpaperEngine> engine;
    std::unique_ptr<MainWindow> window;
};
