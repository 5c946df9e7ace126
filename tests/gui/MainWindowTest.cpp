// SPDX-License-Identifier: MIT
#include "gui/MainWindow.h"
#include "GuiTestApp.h"
#include "ScriptedPrompter.h"
#include "TestSupport.h"
#include "gui/QueueListView.h"
#include "imaging/Picbuf.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/WallpaperEngine.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <Magick++.h>

#include <memory>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
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
    void TearDown() override {
        window.reset();
        engine.reset();
    }

    // Writes a queue file holding n small images before the window loads it.
    void makeQueue(int n) {
        Queue q(env);
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
    QString get(const char* name) { return settings->read(QString::fromLatin1(name), QStringLiteral("<missing>")); }

    MainWindow& make(bool start = true) {
        queue = std::make_unique<Queue>(env);
        EngineServices s;
        s.settings = settings.get();
        s.prompter = &prompter;
        s.desktop = &desktop;
        s.screenSize = [] { return QSize(1024, 768); };
        engine = std::make_unique<WallpaperEngine>(app, *queue, folder, s);
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
            QPixmap p(1024, 768);
            p.fill(QColor(0, 200, 0));
            return p;
        };
        deps.bitsPerPixel = [this] { return bits; };
        deps.screenRect = [] { return QRect(0, 0, 1024, 768); };
        deps.addFiles = [this](const QStringList& files) { dropped << files; };
        deps.quit = [this] { ++quits; };
        deps.trayIconsShown = [this] { return trayIconsShown; };
        window = std::make_unique<MainWindow>(deps);
        if (start) window->startUp();
        return *window;
    }

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

TEST_F(MainWindowTest, ShortcutsReachTheirCommands) {
    makeQueue(2);
    MainWindow& w = make();
    w.showNormal();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.setFocus();

    QTest::keyClick(&w, Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(desktop.calls.size(), 1u);
    EXPECT_EQ(desktop.calls.back().kind, FakeDesktopBackend::Call::Kind::Set);
    EXPECT_TRUE(w.currentImageText().endsWith("img1.png")) << w.currentImageText().toStdString();

    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(desktop.calls.size(), 2u);
    EXPECT_EQ(desktop.calls.back().kind, FakeDesktopBackend::Call::Kind::Clear);

    // Ctrl+R to random, Ctrl+S back to sequential; each writes the header to the file
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
    QueueHeader onDisk;
    ASSERT_TRUE(Queue::peekHeader(app.queueFile, onDisk).ok());
    EXPECT_EQ(onDisk.orderMode(), 2);
    EXPECT_TRUE(w.SpeedButton2->isVisibleTo(&w));
    EXPECT_FALSE(w.SpeedButton3->isVisibleTo(&w));
    EXPECT_FALSE(w.mnustartfirst->isEnabled());

    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(Queue::peekHeader(app.queueFile, onDisk).ok());
    EXPECT_EQ(onDisk.orderMode(), 1);
    EXPECT_TRUE(w.menuseq->isChecked());
    EXPECT_FALSE(w.menurand->isChecked());
    EXPECT_TRUE(w.mnustartfirst->isEnabled());
}

TEST_F(MainWindowTest, ToolbarOrderButtonsShareOnePlaceAndSwitch) {
    makeQueue(1);
    MainWindow& w = make();
    EXPECT_EQ(w.SpeedButton2->geometry(), w.SpeedButton3->geometry());
    QTest::mouseClick(w.SpeedButton3, Qt::LeftButton); // "Seq" shown: a click goes random
    EXPECT_EQ(queue->header().orderMode(), 2);
    QTest::mouseClick(w.SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(queue->header().orderMode(), 1);
}

TEST_F(MainWindowTest, UpdatingFlagSilencesTheHandlers) {
    makeQueue(1);
    MainWindow& w = make();
    app.updating = true;
    w.orderModeSwitch(1);
    EXPECT_EQ(queue->header().orderMode(), 1);
    w.ChangeAtStart->setChecked(true);
    w.ChangeAtStartClick();
    w.Check1->setChecked(true);
    w.Check1Click();
    EXPECT_EQ(get("ChangeAtStartup"), "<missing>");
    EXPECT_EQ(get("ClearAtExit"), "<missing>");
    app.updating = false;
    w.Check1Click();
    EXPECT_EQ(get("ClearAtExit"), "True");
}

TEST_F(MainWindowTest, ShowFileErrorsTogglesAndIsStored) {
    MainWindow& w = make();
    EXPECT_FALSE(w.mnuShowErrors->isChecked());
    w.mnuShowErrors->trigger();
    EXPECT_TRUE(w.mnuShowErrors->isChecked());
    EXPECT_TRUE(engine->showFileErrors());
    EXPECT_EQ(get("ShowFileErrors"), "True");
    w.mnuShowErrors->trigger();
    EXPECT_FALSE(engine->showFileErrors());
    EXPECT_EQ(get("ShowFileErrors"), "False");
}

TEST_F(MainWindowTest, ChangeAtStartEnablesExitAfterChanging) {
    MainWindow& w = make();
    QTest::mouseClick(w.ChangeAtStart, Qt::LeftButton);
    EXPECT_TRUE(w.ChangeAtStart->isChecked());
    EXPECT_TRUE(w.CheckBox1->isEnabled());
    EXPECT_EQ(get("ChangeAtStartup"), "True");
    QTest::mouseClick(w.ChangeAtStart, Qt::LeftButton);
    EXPECT_FALSE(w.CheckBox1->isEnabled());
    EXPECT_EQ(get("ChangeAtStartup"), "False");
}

TEST_F(MainWindowTest, NonEmptyQueueStartsMinimisedEvenWithoutAStartUpChange) {
    makeQueue(1);
    set("WPTimerIcon", "False");
    set("NewPaperIcon", "False");
    set("CLSIcon", "False");
    MainWindow& w = make();
    EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(w.isVisible()) << "no tray icon: minimised to the taskbar";
    EXPECT_TRUE(desktop.calls.empty());
}

TEST_F(MainWindowTest, WithATrayIconTheMinimisedStartStaysHidden) {
    makeQueue(1);
    MainWindow& w = make();
    EXPECT_TRUE(w.anyTrayIcon());
    EXPECT_TRUE(w.windowState() & Qt::WindowMinimized);
    EXPECT_FALSE(w.isVisible());
    // first start stores the boxes its defaults check
    EXPECT_EQ(get("WPTimerIcon"), "True");
    EXPECT_EQ(get("SCTrayIcon"), "<missing>");
}

TEST_F(MainWindowTest, ChangeAtStartUpChangesOnceWithImages) {
    makeQueue(2);
    set("ChangeAtStartup", "True");
    set("ExitAfterFirstChange", "True");
    MainWindow& w = make();
    ASSERT_EQ(desktop.calls.size(), 1u);
    EXPECT_TRUE(w.CheckBox1->isEnabled());
    EXPECT_TRUE(w.Timer2->isActive());
    w.Timer2Timer();
    EXPECT_EQ(quits, 1) << "exit after changing closes the program";
    EXPECT_EQ(desktop.clearCount(), 0) << "the wallpaper stays after exit after changing";
}

TEST_F(MainWindowTest, EmptyQueueNeitherChangesNorMinimisesNorExits) {
    set("ChangeAtStartup", "True");
    set("ExitAfterFirstChange", "True");
    MainWindow& w = make();
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_FALSE(w.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.CheckBox1->isEnabled());
    EXPECT_FALSE(w.Timer2->isActive());
}

struct PositionCase {
    const char* left;
    const char* top;
    int expectedLeft; // -1: right edge at the screen's right edge
    int expectedTop;  // -1: bottom at the screen's bottom
};

class Position : public MainWindowTest, public ::testing::WithParamInterface<PositionCase> {};

TEST_P(Position, IsClampedToTheScreen) {
    const PositionCase& c = GetParam();
    set("MuraloLeft", c.left);
    set("MuraloTop", c.top);
    MainWindow& w = make();
    const int left = c.expectedLeft < 0 ? 1024 - w.width() : c.expectedLeft;
    const int top = c.expectedTop < 0 ? 768 - w.height() : c.expectedTop;
    EXPECT_EQ(w.rememberedLeft(), left);
    EXPECT_EQ(w.rememberedTop(), top);
    w.close();
    EXPECT_EQ(get("MuraloLeft"), QString::number(left));
    EXPECT_EQ(get("MuraloTop"), QString::number(top));
}

INSTANTIATE_TEST_SUITE_P(Values, Position,
                         ::testing::Values(PositionCase{"-50", "-3", 0, 0}, PositionCase{"100", "90", 100, 90},
                                           PositionCase{"5000", "4000", -1, -1},
                                           PositionCase{"abc", "1.5", MainWindow::kDesignLeft,
                                                        MainWindow::kDesignTop}));

TEST_F(MainWindowTest, PageComesFromTheSettingsAndIsStoredOnClose) {
    set("SCPropertyPage", "1");
    MainWindow& w = make();
    EXPECT_EQ(w.Tab1->currentWidget(), w.TabSheet2);
    w.Tab1->setCurrentWidget(w.TabSheet1);
    w.close();
    EXPECT_EQ(get("SCPropertyPage"), "0");
    EXPECT_EQ(quits, 1);
}

TEST_F(MainWindowTest, PagesTwoAndThreeLeaveImagesShown) {
    set("SCPropertyPage", "3");
    MainWindow& w = make();
    EXPECT_EQ(w.Tab1->currentWidget(), w.TabSheet1);
}

struct CloseCase {
    bool clearAtExit;
    bool exitAfterChanging;
    bool clears;
};

class CloseClears : public MainWindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseClears, OnlyWhenClearAtExitWithoutExitAfterChanging) {
    const CloseCase& c = GetParam();
    set("ClearAtExit", c.clearAtExit ? "True" : "False");
    set("ExitAfterFirstChange", c.exitAfterChanging ? "True" : "False");
    MainWindow& w = make();
    EXPECT_EQ(w.Check1->isChecked(), c.clearAtExit);
    EXPECT_EQ(w.CheckBox1->isChecked(), c.exitAfterChanging);
    w.close();
    EXPECT_EQ(desktop.clearCount(), c.clears ? 1 : 0);
    EXPECT_TRUE(engine->isShuttingDown());
    EXPECT_FALSE(w.acceptingDrops());
    EXPECT_NE(get("SCPropertyPage"), "<missing>");
}

INSTANTIATE_TEST_SUITE_P(Boxes, CloseClears,
                         ::testing::Values(CloseCase{false, false, false}, CloseCase{true, false, true},
                                           CloseCase{true, true, false}, CloseCase{false, true, false}));

struct DepthCase {
    int bits;
    int depthClass;
    bool warning;
};

class ColourDepth : public MainWindowTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(ColourDepth, WarningShowsBelowNineBits) {
    const DepthCase& c = GetParam();
    bits = c.bits;
    MainWindow& w = make();
    EXPECT_EQ(w.colorDepth(), c.depthClass);
    EXPECT_EQ(w.Label4->isVisibleTo(&w), c.warning);
}

INSTANTIATE_TEST_SUITE_P(Depths, ColourDepth,
                         ::testing::Values(DepthCase{32, 24, false}, DepthCase{16, 24, false}, DepthCase{12, 8, true},
                                           DepthCase{8, 8, true}, DepthCase{6, 4, true}, DepthCase{1, 1, true}));

TEST_F(MainWindowTest, DisplayChangeShowsAndHidesTheWarning) {
    MainWindow& w = make();
    w.displayChanged(8);
    EXPECT_TRUE(w.Label4->isVisibleTo(&w));
    w.displayChanged(16);
    EXPECT_FALSE(w.Label4->isVisibleTo(&w));
}

TEST_F(MainWindowTest, HelpOpensThePageAndTheColourTopic) {
    MainWindow& w = make();
    EXPECT_FALSE(w.helpOpened());
    w.helpClick();
    EXPECT_TRUE(w.helpOpened());
    w.displayChanged(8);
    QTest::mouseClick(w.Label4, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened.at(0).toLocalFile(), app.helpFile);
    EXPECT_EQ(opened.at(1).fragment(), "infMonitorColor");
}

TEST_F(MainWindowTest, CountdownClickTogglesTheTimer) {
    MainWindow& w = make();
    ASSERT_TRUE(w.option70->isChecked());
    QTest::mouseClick(w.Label12, Qt::LeftButton);
    EXPECT_TRUE(w.option71->isChecked());
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(get("EnterTimer"), "Off");
    QTest::mouseClick(w.Label12, Qt::LeftButton);
    EXPECT_TRUE(w.option70->isChecked());
    EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(MainWindowTest, TimerOffAtLoadShowsLowerCaseOff) {
    set("EnterTimer", "off");
    MainWindow& w = make();
    EXPECT_EQ(w.Label12->text(), "off");
    EXPECT_TRUE(w.option71->isChecked());
}

TEST_F(MainWindowTest, StartWithFirstResetsThePosition) {
    makeQueue(3);
    MainWindow& w = make();
    w.changeWallpaperNow();
    w.changeWallpaperNow();
    ASSERT_GT(queue->header().currentPosition(), 0);
    w.mnustartfirst->trigger();
    EXPECT_TRUE(w.mnustartfirst->isChecked());
    QueueHeader onDisk;
    ASSERT_TRUE(Queue::peekHeader(app.queueFile, onDisk).ok());
    EXPECT_EQ(onDisk.currentPosition(), 0);
    EXPECT_EQ(onDisk.startWithFirst(), 1);
}

TEST_F(MainWindowTest, DroppedLocalFilesGoToTheQueueUnlessItIsAFolderQueue) {
    MainWindow& w = make();
    EXPECT_TRUE(w.acceptingDrops());
    auto drop = [&w](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &enter);
        QDropEvent dropEvent(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &dropEvent);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop({QUrl("https://example.com/a.jpg")}));
    EXPECT_TRUE(dropped.isEmpty());
    EXPECT_TRUE(drop({QUrl::fromLocalFile(dir + "/a.jpg"), QUrl("https://example.com/b.jpg")}));
    EXPECT_EQ(dropped, QStringList{dir + "/a.jpg"});

    dropped.clear();
    queue->header().setFolderQueue(1);
    drop({QUrl::fromLocalFile(dir + "/c.jpg")});
    EXPECT_TRUE(dropped.isEmpty());
}

TEST_F(MainWindowTest, MinimiseHidesOnlyWithATrayIcon) {
    MainWindow& w = make();
    ASSERT_TRUE(w.anyTrayIcon());
    w.showMinimized();
    QTest::qWait(20);
    EXPECT_FALSE(w.isVisible());
    w.showNormal();
    EXPECT_TRUE(w.isVisible());

    for (QCheckBox* box : {w.CheckBox2, w.CheckBox3, w.CheckBox4, w.CheckBox5})
        if (box->isChecked()) QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(w.anyTrayIcon());
    EXPECT_EQ(get("CLSIcon"), "False");
    w.showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MainWindowTest, MovingWhileNotNormalKeepsTheRememberedPosition) {
    set("WPTimerIcon", "False");
    set("NewPaperIcon", "False");
    set("CLSIcon", "False");
    MainWindow& w = make();
    QTest::qWait(20);
    w.move(300, 200);
    QTest::qWait(20);
    const QPoint normal = w.pos();
    EXPECT_NE(normal, QPoint(MainWindow::kDesignLeft, MainWindow::kDesignTop));
    EXPECT_EQ(QPoint(w.rememberedLeft(), w.rememberedTop()), normal);
    // the window has a fixed size, so minimised is the state it can be moved in
    w.setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(w.isMinimized());
    w.move(10, 10);
    QTest::qWait(20);
    EXPECT_EQ(QPoint(w.rememberedLeft(), w.rememberedTop()), normal);
}

TEST_F(MainWindowTest, CurrentImageLineShowsTheWallpaperInLowerCase) {
    const QString wallpaper = dir + "/Holiday Beach.PNG";
    ASSERT_TRUE(mtest::writeFile(wallpaper, "x"));
    desktop.setCurrentWallpaper(wallpaper);
    MainWindow& w = make();
    w.refreshCurrentImage();
    EXPECT_TRUE(w.label5->text().startsWith("Current Image: ")) << w.label5->text().toStdString();
    EXPECT_TRUE(w.label5->text().endsWith("holiday beach.png")) << w.label5->text().toStdString();
}

TEST_F(MainWindowTest, RendersWithTheMonitorAndThumbnail) {
    MainWindow& w = make();
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(w.centralWidget()->size(), QSize(MainWindow::kClientWidth, MainWindow::kClientHeight));
    const QImage shot = w.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    // the thumbnail of the (green) desktop sits on the monitor's screen
    const QPoint screenCentre = w.centralWidget()->mapTo(&w, QPoint(34 + 76, 41 + 57));
    const QColor centre = shot.pixelColor(screenCentre);
    EXPECT_GT(centre.green(), 150);
    EXPECT_LT(centre.red(), 60);
    // the power light is green 008000
    const QColor light = shot.pixelColor(w.centralWidget()->mapTo(&w, QPoint(22 + 102, 34 + 135)));
    EXPECT_EQ(light, QColor(0, 0x80, 0));
    int distinct = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 7)
        for (int x = 0; x < shot.width(); x += 7)
            colours.insert(shot.pixel(x, y));
    distinct = colours.size();
    EXPECT_GT(distinct, 5) << "the window looks blank";
}

TEST_F(MainWindowTest, LaterCommandsArePresentButDisabled) {
    MainWindow& w = make();
    for (QAction* a : {w.menuadd, w.mnuQueStart, w.mnuChangeQueue, w.mnuClearQueue, w.mnuQueSaveAs, w.mnuDeleteQueue,
                       w.mnuDefaultResize, w.mnuDefSound, w.mnuGamma, w.mnuWallFolder, w.About1})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    for (QAction* a : {w.mnuSortName, w.mnuUnSort, w.mnuFileName, w.mnuFullPath, w.mnuExit, w.mnuChangeNow,
                       w.mnuClearScreen, w.menuseq, w.menurand, w.mnuShowErrors, w.mnuHelpTopics})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    EXPECT_EQ(w.mnuChangeNow->shortcut(), QKeySequence("Ctrl+W"));
    EXPECT_EQ(w.mnuHelpTopics->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(w.About1->shortcut(), QKeySequence("Shift+F1"));
}

} // namespace

namespace {

// The window's shortcuts also work while the queue list has the keyboard focus
// (item views take Ctrl+C and Ctrl+A for themselves unless told otherwise).
TEST_F(MainWindowTest, ShortcutsWorkWhileTheListHasTheFocus) {
    makeQueue(2);
    MainWindow& w = make();
    w.showNormal();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.lstqueue->setFocus();
    QTest::mouseClick(w.lstqueue->viewport(), Qt::LeftButton, {},
                      w.lstqueue->visualItemRect(w.lstqueue->topLevelItem(0)).center());
    QTest::keyClick(w.lstqueue, Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(desktop.calls.size(), 1u);
    QTest::keyClick(w.lstqueue, Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(desktop.calls.size(), 2u);
    EXPECT_EQ(desktop.calls.back().kind, FakeDesktopBackend::Call::Kind::Clear);
}

} // namespace

namespace {

// With a tray box checked but no icon actually in the notification area, a minimised
// start must leave the window where the user can get it back.
TEST_F(MainWindowTest, WithoutAShownTrayIconTheMinimisedWindowStaysReachable) {
    makeQueue(2);
    set("WPTimerIcon", "True");
    trayIconsShown = false;
    MainWindow& w = make();
    EXPECT_TRUE(w.anyTrayIcon());
    EXPECT_FALSE(w.hidesToTray());
    EXPECT_TRUE(w.isMinimized());
    EXPECT_TRUE(w.isVisible());
}

} // namespace
