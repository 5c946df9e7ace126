// SPDX-License-Identifier: MIT
#pragma once

#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "gui/FileChooser.h"
#include "gui/MainWindow.h"
#include "gui/QueueListView.h"
#include "imaging/Picbuf.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "queue/QueueFile.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/WallpaperEngine.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <Magick++.h>

#include <memory>
#include <stdexcept>
#include <string>

// The push button of a dialog or panel that carries this text.
inline QPushButton& buttonIn(QWidget& parent, const QString& text) {
    for (auto* button : parent.findChildren<QPushButton*>())
        if (button->text() == text) return *button;
    throw std::runtime_error("no button " + text.toStdString());
}

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
    // Files that only need to exist.
    static void touch(const QString& folder, std::initializer_list<const char*> names) {
        for (const char* name : names)
            ASSERT_TRUE(mtest::writeFile(folder + "/" + name, "x"));
    }

    // Builds the window and runs its start-up.
    MainWindow& make() {
        // Field by field: designated initialisers that leave members out are warned about.
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

    // A queue of n images, then the window over it.
    MainWindow& makeWithImages(int n) {
        makeQueue(n);
        return make();
    }

    template <typename Control> Control& child(const char* formName) const {
        auto* found = window->findChild<Control*>(QString::fromLatin1(formName));
        if (!found) throw std::runtime_error(std::string("no control named ") + formName);
        return *found;
    }
    QAction& action(const char* formName) const { return child<QAction>(formName); }
    void clickOn(const char* formName) const { QTest::mouseClick(&child<QWidget>(formName), Qt::LeftButton); }
    // Lets a window timer go off now.
    void fire(const char* timerName) const { QMetaObject::invokeMethod(&child<QTimer>(timerName), "timeout"); }
    // Whether the countdown to the next change runs (it stops while a dialog is open).
    bool countingDown() const { return child<QTimer>("Timer1").isActive(); }
    QueueListView& list() const { return child<QueueListView>("lstqueue"); }
    QString queueLine() const { return child<QLabel>("label11").text(); }
    void selectRows(const QList<int>& rows) const {
        list().deselectAll();
        for (const int row : rows)
            list().topLevelItem(row)->setSelected(true);
    }
    // The header of the open queue file, or of another one.
    QueueHeader headerOnDisk(const QString& path = {}) const {
        QueueHeader h;
        EXPECT_TRUE(Queue::peekHeader(path.isEmpty() ? app.queueFile : path, h).ok());
        return h;
    }
    QueueEntry recordOnDisk(int record) const {
        QueueEntry e;
        EXPECT_TRUE(queuefile::readRecord(app.queueFile, record, e)) << "record " << record;
        return e;
    }
    // The record of the queue's entry n (counted from 1), as the file holds it.
    QueueEntry entryOnDisk(int n) const { return recordOnDisk(headerOnDisk().recordIndex(n)); }
    // What the file says, row by row in the list's order: each row's entry and the path of its
    // record (below the test's folder without that folder). Each row must show its record's path
    // and the header must count the rows.
    QStringList rowsOnDisk() const {
        const QueueHeader header = headerOnDisk();
        QStringList rows;
        for (int row = 0; row < list().rowCount(); ++row) {
            const int entry = list().entryOfRow(row);
            const QString path = recordOnDisk(header.recordIndex(entry)).trimmedPath();
            EXPECT_EQ(list().topLevelItem(row)->text(0), path) << "row " << row;
            rows << QStringLiteral("%1:%2").arg(entry).arg(path.startsWith(dir + "/") ? path.mid(dir.size() + 1)
                                                                                      : path);
        }
        EXPECT_EQ(header.entryCount(), list().rowCount());
        return rows;
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
