// SPDX-License-Identifier: MIT
#pragma once

#include "ScriptedPrompter.h"
#include "gui/MainWindow.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/WallpaperEngine.h"

#include <gtest/gtest.h>

#include <QAction>

#include <memory>
#include <stdexcept>
#include <string>

// A main window over a queue in a fresh folder, a fake desktop and a fake screen; the settings
// live in the folder too. Controls are found by their form names.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a queue file holding n small images before the window loads it.
    void makeQueue(int n);
    void set(const char* name, const char* value) {
        settings->write(QString::fromLatin1(name), QString::fromLatin1(value));
    }
    QString get(const char* name) const {
        return settings->read(QString::fromLatin1(name), QStringLiteral("<missing>"));
    }
    // Only the screen-saver box is off by default.
    void turnTrayBoxesOff() {
        for (const char* name : {"WPTimerIcon", "NewPaperIcon", "CLSIcon"})
            set(name, "False");
    }
    // Builds the window and runs its start-up.
    MainWindow& make();

    template <typename Control> Control& child(const char* formName) const {
        auto* found = window->findChild<Control*>(QString::fromLatin1(formName));
        if (!found) throw std::runtime_error(std::string("no control named ") + formName);
        return *found;
    }
    QAction& action(const char* formName) const { return child<QAction>(formName); }
    // Lets a window timer go off now.
    void fire(const char* timerName) const;
    QueueHeader headerOnDisk() const;

    QString dir;
    AppContext app;
    Queue::Environment env;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Queue> queue;
    FolderQueue folder;
    FakeDesktopBackend desktop;
    FakeScreenState screen;
    ScriptedPrompter prompter;
    std::unique_ptr<WallpaperEngine> engine;
    std::unique_ptr<MainWindow> window;
    QList<QUrl> opened;
    QStringList dropped;
    int bits = 32;
    int quits = 0;
    bool trayIconsShown = true;
};
