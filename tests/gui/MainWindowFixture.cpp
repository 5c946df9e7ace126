// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"

#include "GuiTestApp.h"
#include "TestSupport.h"
#include "imaging/Picbuf.h"

#include <QFile>
#include <QTimer>

#include <Magick++.h>

void MainWindowTest::SetUp() {
    guiTestApp();
    Picbuf::initialize(nullptr);
    dir = mtest::freshDir(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    settings = std::make_unique<SettingsStore>(dir + "/Muralo32.ini");
    app.programFolder = dir + "/";
    app.tempFolder = dir;
    app.wallpaperBitmap = dir + "/muralo32.bmp";
    app.queueFile = dir + "/test.qu3";
    app.helpFile = dir + "/index.html";
    env = Queue::Environment{app.programFolder, 1024, 768};
}

void MainWindowTest::TearDown() {
    window.reset();
    engine.reset();
}

void MainWindowTest::makeQueue(int n) {
    Queue q(env);
    ASSERT_TRUE(q.load(app.queueFile).ok());
    for (int i = 1; i <= n; ++i) {
        const QString path = dir + QString("/img%1.png").arg(i);
        Magick::Image img(Magick::Geometry(64, 48), Magick::ColorRGB(0.5, 0.25, 0.1 * i));
        img.write("PNG24:" + QFile::encodeName(path).toStdString());
        ASSERT_EQ(q.addOneFile(path), Queue::AddResult::Added);
    }
}

MainWindow& MainWindowTest::make() {
    queue = std::make_unique<Queue>(env);
    EngineServices services;
    services.settings = settings.get();
    services.prompter = &prompter;
    services.desktop = &desktop;
    services.screenSize = [] { return QSize(1024, 768); };
    engine = std::make_unique<WallpaperEngine>(app, *queue, folder, services);
    QPixmap greenDesktop(1024, 768);
    greenDesktop.fill(QColor(0, 200, 0));
    window =
        std::make_unique<MainWindow>(MainWindowDeps{.app = &app,
                                                    .settings = settings.get(),
                                                    .queue = queue.get(),
                                                    .folder = &folder,
                                                    .engine = engine.get(),
                                                    .prompter = &prompter,
                                                    .screenState = &screen,
                                                    .openUrl =
                                                        [this](const QUrl& url) {
                                                            opened << url;
                                                            return true;
                                                        },
                                                    .grabDesktop = [greenDesktop] { return greenDesktop; },
                                                    .bitsPerPixel = [this] { return bits; },
                                                    .screenRect = [] { return QRect(0, 0, 1024, 768); },
                                                    .addFiles = [this](const QStringList& files) { dropped << files; },
                                                    .quit = [this] { ++quits; },
                                                    .trayIconsShown = [this] { return trayIconsShown; }});
    window->startUp();
    return *window;
}

void MainWindowTest::fire(const char* timerName) const {
    QMetaObject::invokeMethod(&child<QTimer>(timerName), "timeout");
}

QueueHeader MainWindowTest::headerOnDisk() const {
    QueueHeader h;
    EXPECT_TRUE(Queue::peekHeader(app.queueFile, h).ok());
    return h;
}
