// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "gui/QueueListView.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using Kind = FakeDesktopBackend::Call::Kind;

// The window's shortcuts also work while the queue list has the keyboard focus (item views
// take Ctrl+C and Ctrl+A for themselves unless told otherwise).
class Shortcuts : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Shortcuts, ReachTheirCommands) {
    makeQueue(2);
    MainWindow& w = make();
    w.showNormal();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto& list = child<QueueListView>("lstqueue");
    QWidget* target = GetParam() ? static_cast<QWidget*>(&list) : &w;
    target->setFocus();
    if (GetParam())
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.topLevelItem(0)).center());

    QTest::keyClick(target, Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(desktop.calls.size(), 1u);
    EXPECT_EQ(desktop.calls.back().kind, Kind::Set);
    EXPECT_TRUE(w.currentImageText().endsWith("img1.png")) << w.currentImageText().toStdString();
    QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(desktop.calls.size(), 2u);
    EXPECT_EQ(desktop.calls.back().kind, Kind::Clear);
    QTest::keyClick(target, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(headerOnDisk().orderMode(), 2);
    QTest::keyClick(target, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(headerOnDisk().orderMode(), 1);
    QTest::keyClick(target, Qt::Key_F1);
    EXPECT_EQ(opened.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Focus, Shortcuts, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "OnTheList" : "OnTheWindow"; });

// One toolbar place shows the order in use; a click there, or the menu, switches and writes
// the queue file. Only a walk in order can start with the first image.
TEST_F(MainWindowTest, DisplayOrderControlsSwitchAndStartWithFirstResetsThePosition) {
    makeQueue(3);
    MainWindow& w = make();
    auto& sequential = child<QToolButton>("SpeedButton3");
    auto& random = child<QToolButton>("SpeedButton2");
    EXPECT_EQ(random.geometry(), sequential.geometry());
    QTest::mouseClick(&sequential, Qt::LeftButton);
    EXPECT_EQ(headerOnDisk().orderMode(), 2);
    EXPECT_TRUE(random.isVisibleTo(&w));
    EXPECT_FALSE(sequential.isVisibleTo(&w));
    EXPECT_TRUE(action("menurand").isChecked());
    EXPECT_FALSE(action("mnustartfirst").isEnabled());
    QTest::mouseClick(&random, Qt::LeftButton);
    EXPECT_EQ(headerOnDisk().orderMode(), 1);
    EXPECT_TRUE(action("menuseq").isChecked());
    EXPECT_FALSE(action("menurand").isChecked());
    ASSERT_TRUE(action("mnustartfirst").isEnabled());

    w.changeWallpaperNow();
    w.changeWallpaperNow();
    ASSERT_GT(queue->header().currentPosition(), 0);
    action("mnustartfirst").trigger();
    EXPECT_TRUE(action("mnustartfirst").isChecked());
    EXPECT_EQ(headerOnDisk().currentPosition(), 0);
    EXPECT_EQ(headerOnDisk().startWithFirst(), 1);
}

// While the updating flag is set, control changes made by the program write nothing; the
// tray boxes are the exception and store their state all the same.
TEST_F(MainWindowTest, UpdatingFlagSilencesTheHandlers) {
    makeQueue(1);
    set("ChangeAtStartup", "True");
    MainWindow& w = make();
    const QString iniFile = dir + "/Muralo32.ini";
    const QByteArray before = mtest::readFile(iniFile);
    app.updating = true;
    w.setOrderMode(OrderMode::Random);
    for (const char* name : {"ChangeAtStart", "Check1", "CheckBox1"})
        QTest::mouseClick(&child<QCheckBox>(name), Qt::LeftButton);
    child<QLineEdit>("text2").setText("5");
    action("mnuSortName").trigger();
    action("mnuFileName").trigger();
    EXPECT_EQ(mtest::readFile(iniFile), before);
    EXPECT_EQ(headerOnDisk().orderMode(), 1);
    EXPECT_EQ(headerOnDisk().sorted(), 0);
    QTest::mouseClick(&child<QCheckBox>("CheckBox2"), Qt::LeftButton);
    EXPECT_EQ(get("SCTrayIcon"), "True");
    app.updating = false;
    QTest::mouseClick(&child<QCheckBox>("Check1"), Qt::LeftButton);
    EXPECT_EQ(get("ClearAtExit"), "False");
}

TEST_F(MainWindowTest, BoxesAndTogglesStoreTheirSettings) {
    makeQueue(1);
    set("ChangeAtStartup", "True");
    set("ExitAfterFirstChange", "True");
    make();
    auto& changeAtStart = child<QCheckBox>("ChangeAtStart");
    auto& exitAfterChanging = child<QCheckBox>("CheckBox1");
    ASSERT_TRUE(child<QTimer>("Timer2").isActive());
    QTest::mouseClick(&exitAfterChanging, Qt::LeftButton);
    EXPECT_EQ(get("ExitAfterFirstChange"), "False");
    EXPECT_FALSE(child<QTimer>("Timer2").isActive()) << "the pending exit is called off";
    QTest::mouseClick(&changeAtStart, Qt::LeftButton);
    EXPECT_EQ(get("ChangeAtStartup"), "False");
    EXPECT_FALSE(exitAfterChanging.isEnabled());
    QTest::mouseClick(&changeAtStart, Qt::LeftButton);
    EXPECT_EQ(get("ChangeAtStartup"), "True");
    EXPECT_TRUE(exitAfterChanging.isEnabled());

    QAction& showErrors = action("mnuShowErrors");
    showErrors.trigger();
    EXPECT_TRUE(showErrors.isChecked());
    EXPECT_TRUE(engine->showFileErrors());
    EXPECT_EQ(get("ShowFileErrors"), "True");
    showErrors.trigger();
    EXPECT_FALSE(engine->showFileErrors());
    EXPECT_EQ(get("ShowFileErrors"), "False");
}

struct StartCase {
    const char* name;
    int images;
    bool trayBoxes;
    bool trayShown;
    bool changeAndExit;
    bool minimised;
    bool visible;
    int changes;
};

class Start : public MainWindowTest, public ::testing::WithParamInterface<StartCase> {};

// With images the window starts minimised, hidden only when a tray icon is shown to bring it
// back. Exit after changing is offered, and ends the program a minute later, only after a
// start-up change, and it leaves that wallpaper on the desktop.
TEST_P(Start, MinimisesWithImagesAndExitsOnlyAfterAChange) {
    const StartCase& c = GetParam();
    makeQueue(c.images);
    if (!c.trayBoxes) turnTrayBoxesOff();
    trayIconsShown = c.trayShown;
    set("ChangeAtStartup", c.changeAndExit ? "True" : "False");
    set("ExitAfterFirstChange", c.changeAndExit ? "True" : "False");
    set("ClearAtExit", "True");
    MainWindow& w = make();
    EXPECT_EQ(w.isMinimized(), c.minimised);
    EXPECT_EQ(w.isVisible(), c.visible);
    EXPECT_EQ(w.hidesToTray(), c.trayBoxes && c.trayShown);
    EXPECT_EQ(static_cast<int>(desktop.calls.size()), c.changes);
    EXPECT_EQ(child<QCheckBox>("CheckBox1").isEnabled(), c.changes > 0);
    EXPECT_EQ(child<QTimer>("Timer2").isActive(), c.changes > 0);
    fire("Timer2");
    EXPECT_EQ(quits, c.changeAndExit ? 1 : 0);
    EXPECT_EQ(desktop.clearCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, Start,
                         ::testing::Values(StartCase{"NoTrayIcon", 1, false, true, false, true, true, 0},
                                           StartCase{"TrayIcon", 1, true, true, false, true, false, 0},
                                           StartCase{"TrayIconNotShown", 2, true, false, false, true, true, 0},
                                           StartCase{"EmptyQueue", 0, true, true, true, false, true, 0},
                                           StartCase{"ChangeAndExit", 2, false, true, true, true, true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CloseCase {
    const char* left;
    const char* top;
    int storedLeft; // -1: right edge at the screen's right edge
    int storedTop;  // -1: bottom at the screen's bottom
    const char* page;
    int pageShown;
    bool clearAtExit;
    bool exitAfterChanging;
    bool clears;
};

class Close : public MainWindowTest, public ::testing::WithParamInterface<CloseCase> {};

// The stored position is clamped to the screen; a page setting of 2 or 3 names no page here
// and leaves Images shown. Closing stores position and page and clears the wallpaper only
// for "Clear Wallpaper at Exit" without "Exit After Changing".
TEST_P(Close, StoresPositionAndPageAndClearsOnlyWhenAsked) {
    const CloseCase& c = GetParam();
    set("MuraloLeft", c.left);
    set("MuraloTop", c.top);
    set("SCPropertyPage", c.page);
    set("ClearAtExit", c.clearAtExit ? "True" : "False");
    set("ExitAfterFirstChange", c.exitAfterChanging ? "True" : "False");
    MainWindow& w = make();
    const int left = c.storedLeft < 0 ? 1024 - w.width() : c.storedLeft;
    const int top = c.storedTop < 0 ? 768 - w.height() : c.storedTop;
    EXPECT_EQ(QPoint(w.rememberedLeft(), w.rememberedTop()), QPoint(left, top));
    auto& pages = child<QTabWidget>("Tab1");
    EXPECT_EQ(pages.currentIndex(), c.pageShown);
    pages.setCurrentIndex(1 - c.pageShown);
    w.close();
    EXPECT_EQ(get("MuraloLeft"), QString::number(left));
    EXPECT_EQ(get("MuraloTop"), QString::number(top));
    EXPECT_EQ(get("SCPropertyPage"), QString::number(1 - c.pageShown));
    EXPECT_EQ(desktop.clearCount(), c.clears ? 1 : 0);
    EXPECT_TRUE(engine->isShuttingDown());
    EXPECT_FALSE(w.acceptingDrops());
    EXPECT_EQ(quits, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, Close,
                         ::testing::Values(CloseCase{"-50", "-3", 0, 0, "0", 0, false, false, false},
                                           CloseCase{"100", "90", 100, 90, "1", 1, true, false, true},
                                           CloseCase{"5000", "4000", -1, -1, "3", 0, true, true, false},
                                           CloseCase{"abc", "1.5", MainWindow::kDesignLeft, MainWindow::kDesignTop, "2",
                                                     0, false, true, false}));

TEST_F(MainWindowTest, LeavingTheImagesPageClearsTheSelection) {
    makeQueue(2);
    MainWindow& w = make();
    auto& list = child<QueueListView>("lstqueue");
    list.topLevelItem(1)->setSelected(true);
    ASSERT_TRUE(child<QToolButton>("image190").isVisibleTo(&w));
    child<QTabWidget>("Tab1").setCurrentIndex(1);
    EXPECT_EQ(list.selectedCount(), 0);
    EXPECT_FALSE(child<QToolButton>("image190").isVisibleTo(&w));
}

struct DepthCase {
    int bits;
    int depthClass;
    bool warning;
};

class ColourDepth : public MainWindowTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(ColourDepth, WarningShowsBelowNineBitsAtShowAndOnADisplayChange) {
    const DepthCase& c = GetParam();
    bits = c.bits;
    MainWindow& w = make();
    auto& warning = child<QLabel>("Label4");
    EXPECT_EQ(w.colorDepth(), c.depthClass);
    EXPECT_EQ(warning.isVisibleTo(&w), c.warning);
    w.displayChanged(c.warning ? 32 : 8);
    EXPECT_EQ(warning.isVisibleTo(&w), !c.warning);
    w.displayChanged(c.bits);
    EXPECT_EQ(w.colorDepth(), c.depthClass);
    EXPECT_EQ(warning.isVisibleTo(&w), c.warning);
}

INSTANTIATE_TEST_SUITE_P(Depths, ColourDepth,
                         ::testing::Values(DepthCase{32, 24, false}, DepthCase{16, 24, false}, DepthCase{12, 8, true},
                                           DepthCase{8, 8, true}, DepthCase{6, 4, true}, DepthCase{1, 1, true}));

TEST_F(MainWindowTest, HelpOpensThePageAndTheColourTopic) {
    bits = 8;
    MainWindow& w = make();
    EXPECT_FALSE(w.helpOpened());
    QTest::mouseClick(&child<QToolButton>("SpeedButton4"), Qt::LeftButton);
    EXPECT_TRUE(w.helpOpened());
    QTest::mouseClick(&child<QLabel>("Label4"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened.at(0), QUrl::fromLocalFile(app.helpFile));
    EXPECT_EQ(opened.at(1).fragment(), "infMonitorColor");
}

// Loaded off, the countdown says "off"; switched off by a click, "Off".
TEST_F(MainWindowTest, CountdownClickTogglesTheTimer) {
    set("EnterTimer", "off");
    set("TimerTime", "7.5");
    make();
    auto& countdown = child<QLabel>("Label12");
    EXPECT_EQ(countdown.text(), "off");
    EXPECT_TRUE(child<QRadioButton>("option71").isChecked());
    EXPECT_EQ(child<QLineEdit>("text2").text(), "7.5");
    QTest::mouseClick(&countdown, Qt::LeftButton);
    EXPECT_TRUE(child<QRadioButton>("option70").isChecked());
    EXPECT_TRUE(child<QTimer>("Timer1").isActive());
    EXPECT_EQ(get("EnterTimer"), "On");
    QTest::mouseClick(&countdown, Qt::LeftButton);
    EXPECT_TRUE(child<QRadioButton>("option71").isChecked());
    EXPECT_FALSE(child<QTimer>("Timer1").isActive());
    EXPECT_EQ(countdown.text(), "Off");
    EXPECT_EQ(get("EnterTimer"), "Off");
}

// Each tick reads the screen saver's state; the change waits while the screen is busy.
TEST_F(MainWindowTest, ChangeTickHoldsBackWhileTheScreenIsBusy) {
    makeQueue(1);
    set("TimerTime", "0.1");
    MainWindow& w = make();
    screen.fullScreen = true;
    fire("Timer1");
    fire("Timer1");
    EXPECT_TRUE(desktop.calls.empty());
    EXPECT_EQ(screen.lastWidth, 1024);
    screen.fullScreen = false;
    screen.active = false;
    fire("Timer1");
    EXPECT_EQ(desktop.calls.size(), 1u);
    EXPECT_FALSE(w.screenSaverActive());
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
    queue->header().setFolderQueue(1);
    drop({QUrl::fromLocalFile(dir + "/c.jpg")});
    EXPECT_EQ(dropped.size(), 1);
}

// Minimising hides the window only with a tray icon; a move while minimised is not
// remembered (the window has a fixed size, so minimised is the state it can be moved in).
TEST_F(MainWindowTest, MinimiseHidesOnlyWithATrayIconAndMovesCountOnlyInTheNormalState) {
    MainWindow& w = make();
    // A first start stores the boxes its defaults check.
    EXPECT_EQ(get("WPTimerIcon"), "True");
    EXPECT_EQ(get("SCTrayIcon"), "<missing>");
    w.showMinimized();
    QTest::qWait(20);
    EXPECT_FALSE(w.isVisible());
    w.showNormal();
    EXPECT_TRUE(w.isVisible());
    for (const char* name : {"CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5"})
        if (child<QCheckBox>(name).isChecked()) QTest::mouseClick(&child<QCheckBox>(name), Qt::LeftButton);
    EXPECT_FALSE(w.anyTrayIcon());
    EXPECT_EQ(get("CLSIcon"), "False");

    w.move(300, 200);
    QTest::qWait(20);
    const QPoint normal = w.pos();
    EXPECT_NE(normal, QPoint(MainWindow::kDesignLeft, MainWindow::kDesignTop));
    EXPECT_EQ(QPoint(w.rememberedLeft(), w.rememberedTop()), normal);
    w.showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(w.isVisible());
    w.move(10, 10);
    QTest::qWait(20);
    EXPECT_EQ(QPoint(w.rememberedLeft(), w.rememberedTop()), normal);
}

TEST_F(MainWindowTest, RendersTheMonitorThumbnailAndTheCurrentImageInLowerCase) {
    const QString wallpaper = dir + "/Holiday Beach.PNG";
    ASSERT_TRUE(mtest::writeFile(wallpaper, "x"));
    desktop.setCurrentWallpaper(wallpaper);
    MainWindow& w = make();
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(w.centralWidget()->size(), QSize(MainWindow::kClientWidth, MainWindow::kClientHeight));
    const QImage shot = w.grab().toImage();
    const QString line = child<QLabel>("label5").text();
    EXPECT_TRUE(line.startsWith("Current Image: ") && line.endsWith("holiday beach.png")) << line.toStdString();
    // the thumbnail of the (green) desktop sits on the monitor's screen
    const QColor centre = shot.pixelColor(w.centralWidget()->mapTo(&w, QPoint(34 + 76, 41 + 57)));
    EXPECT_GT(centre.green(), 150);
    EXPECT_LT(centre.red(), 60);
    // the power light is green 008000
    EXPECT_EQ(shot.pixelColor(w.centralWidget()->mapTo(&w, QPoint(22 + 102, 34 + 135))), QColor(0, 0x80, 0));
}

} // namespace
