// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "gui/QueueListView.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

// The window's shortcuts also work while the queue list has the keyboard focus (item views
// take Ctrl+C and Ctrl+A for themselves unless told otherwise).
class Shortcuts : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Shortcuts, ReachTheirCommands) {
    MainWindow& w = makeWithImages(2);
    w.showNormal();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QWidget* target = GetParam() ? static_cast<QWidget*>(&list()) : &w;
    target->setFocus();
    if (GetParam())
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().visualItemRect(list().topLevelItem(0)).center());

    QTest::keyClick(target, Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(desktop.calls.size(), 1u);
    EXPECT_EQ(desktop.calls.back().kind, FakeDesktopBackend::Call::Kind::Set);
    QTest::keyClick(target, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(desktop.clearCount(), 1);
    QTest::keyClick(target, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(headerOnDisk().orderMode(), 2);
    QTest::keyClick(target, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(headerOnDisk().orderMode(), 1);
    QTest::keyClick(target, Qt::Key_F1);
    EXPECT_EQ(opened.size(), 1);
    QTest::keyClick(target, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(dialogsShown, QStringList({"TAbout"}));
    // The toolbar's buttons reach the same commands.
    clickOn("SpeedButton5");
    clickOn("SpeedButton6");
    EXPECT_EQ(std::tuple(desktop.calls.size(), desktop.clearCount()), std::tuple(4u, 2));
}

INSTANTIATE_TEST_SUITE_P(Focus, Shortcuts, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "OnTheList" : "OnTheWindow"; });

// One toolbar place shows the order in use; a click there switches it as the menu does.
// Only a walk in order can start with the first image, which resets the position.
// Leaving the Images page drops the list's selection and with it the move buttons.
TEST_F(MainWindowTest, DisplayOrderStartWithFirstAndSelection) {
    MainWindow& w = makeWithImages(3);
    auto& sequential = child<QToolButton>("SpeedButton3");
    auto& random = child<QToolButton>("SpeedButton2");
    EXPECT_EQ(random.geometry(), sequential.geometry());
    QTest::mouseClick(&sequential, Qt::LeftButton);
    EXPECT_TRUE(random.isVisibleTo(&w) && !sequential.isVisibleTo(&w));
    EXPECT_TRUE(action("menurand").isChecked());
    EXPECT_FALSE(action("mnustartfirst").isEnabled());
    QTest::mouseClick(&random, Qt::LeftButton);
    EXPECT_TRUE(action("menuseq").isChecked() && !action("menurand").isChecked());
    ASSERT_TRUE(action("mnustartfirst").isEnabled());
    w.changeWallpaperNow();
    w.changeWallpaperNow();
    ASSERT_GT(queue->header().currentPosition(), 0);
    action("mnustartfirst").trigger();
    EXPECT_TRUE(action("mnustartfirst").isChecked());
    EXPECT_EQ(std::tuple(headerOnDisk().currentPosition(), headerOnDisk().startWithFirst()), std::tuple(0, 1));
    EXPECT_EQ(w.windowTitle(), "Muralo32 Wallpaper Manager");
    list().topLevelItem(1)->setSelected(true);
    auto& moveUp = child<QToolButton>("image190");
    ASSERT_TRUE(moveUp.isVisibleTo(&w));
    // Held down, the move-up button moves the selected row.
    QTest::mousePress(&moveUp, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([this] { return list().topLevelItem(0)->isSelected(); }, 1000))
        << "the move-up button did not move the row";
    QTest::mouseRelease(&moveUp, Qt::LeftButton);
    child<QTabWidget>("Tab1").setCurrentIndex(1);
    EXPECT_EQ(list().selectedCount(), 0);
    EXPECT_FALSE(moveUp.isVisibleTo(&w));
}

// Boxes and toggles store their settings at once. While the updating flag is set, control
// changes made by the program write nothing; the tray boxes are the exception and store their
// state all the same.
TEST_F(MainWindowTest, BoxesStoreTheirSettingsExceptWhileTheProgramSetsThem) {
    set("ChangeAtStartup", "True");
    set("ExitAfterFirstChange", "True");
    MainWindow& w = makeWithImages(1);
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
    for (const char* stored : {"True", "False"}) {
        action("mnuShowErrors").trigger();
        EXPECT_EQ(engine->showFileErrors(), action("mnuShowErrors").isChecked());
        EXPECT_EQ(get("ShowFileErrors"), stored);
    }

    const QByteArray before = mtest::readFile(dir + "/Muralo32.ini");
    app.updating = true;
    w.setOrderMode(OrderMode::Random);
    for (const char* name : {"ChangeAtStart", "Check1", "CheckBox1"})
        clickOn(name);
    child<QLineEdit>("text2").setText("5");
    action("mnuSortName").trigger();
    action("mnuFileName").trigger();
    EXPECT_EQ(mtest::readFile(dir + "/Muralo32.ini"), before);
    EXPECT_EQ(std::tuple(headerOnDisk().orderMode(), headerOnDisk().sorted()), std::tuple(1, 0));
    clickOn("CheckBox2");
    EXPECT_EQ(get("SCTrayIcon"), "True");
    app.updating = false;
    clickOn("Check1");
    EXPECT_EQ(get("ClearAtExit"), "False");
}

struct StartCase {
    const char* name;
    int images;
    bool trayBoxes, trayShown, changeAndExit, minimised, visible;
};

class Start : public MainWindowTest, public ::testing::WithParamInterface<StartCase> {};

// With images the window starts minimised, hidden only when a tray icon is shown to bring it
// back. Exit after changing is offered, and ends the program a minute later, only after a
// start-up change, and it leaves that wallpaper on the desktop.
TEST_P(Start, MinimisesWithImagesAndExitsOnlyAfterAChange) {
    const StartCase& c = GetParam();
    makeQueue(c.images);
    if (!c.trayBoxes) // only the screen-saver box is off by default
        for (const char* name : {"WPTimerIcon", "NewPaperIcon", "CLSIcon"})
            set(name, "False");
    trayIconsShown = c.trayShown;
    set("ChangeAtStartup", c.changeAndExit ? "True" : "False");
    set("ExitAfterFirstChange", c.changeAndExit ? "True" : "False");
    set("ClearAtExit", "True");
    MainWindow& w = make();
    const bool changed = c.changeAndExit && c.images > 0;
    EXPECT_EQ(std::tuple(w.isMinimized(), w.isVisible(), w.hidesToTray()),
              std::tuple(c.minimised, c.visible, c.trayBoxes && c.trayShown));
    EXPECT_EQ(
        std::tuple(desktop.calls.size(), child<QCheckBox>("CheckBox1").isEnabled(), child<QTimer>("Timer2").isActive()),
        std::tuple(changed ? 1u : 0u, changed, changed));
    if (changed) fire("Timer2");
    EXPECT_EQ(std::tuple(quits, desktop.clearCount()), std::tuple(changed ? 1 : 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Cases, Start,
                         ::testing::Values(StartCase{"NoTrayIcon", 1, false, true, false, true, true},
                                           StartCase{"TrayIcon", 1, true, true, false, true, false},
                                           StartCase{"TrayIconNotShown", 2, true, false, false, true, true},
                                           StartCase{"EmptyQueue", 0, true, true, true, false, true},
                                           StartCase{"ChangeAndExit", 2, false, true, true, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CloseCase {
    const char *left, *top;
    int storedLeft, storedTop; // -1: right (bottom) edge at the screen's right (bottom) edge
    const char* page;
    int pageShown;
    bool clearAtExit, exitAfterChanging;
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
    EXPECT_EQ(QStringList({get("MuraloLeft"), get("MuraloTop"), get("SCPropertyPage")}),
              QStringList({QString::number(left), QString::number(top), QString::number(1 - c.pageShown)}));
    EXPECT_EQ(desktop.clearCount(), c.clearAtExit && !c.exitAfterChanging ? 1 : 0);
    EXPECT_EQ(std::tuple(engine->isShuttingDown(), w.acceptingDrops(), quits), std::tuple(true, false, 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, Close,
                         ::testing::Values(CloseCase{"-50", "-3", 0, 0, "0", 0, false, false},
                                           CloseCase{"100", "90", 100, 90, "1", 1, true, false},
                                           CloseCase{"5000", "4000", -1, -1, "3", 0, true, true},
                                           CloseCase{"abc", "1.5", MainWindow::kDesignLeft, MainWindow::kDesignTop, "2",
                                                     0, false, true}));

// Below nine bits per pixel, at show and on a display change, a warning offers the help
// topic on colours; the help button opens the help's first page.
TEST_F(MainWindowTest, ColourWarningAndHelp) {
    bits = 8;
    MainWindow& w = make();
    auto& warning = child<QLabel>("Label4");
    EXPECT_EQ(std::tuple(w.colorDepth(), warning.isVisibleTo(&w)), std::tuple(8, true));
    for (const auto& [bitsPerPixel, shown] : {std::pair{16, false}, {12, true}, {32, false}, {6, true}}) {
        w.displayChanged(bitsPerPixel);
        EXPECT_EQ(warning.isVisibleTo(&w), shown) << bitsPerPixel;
    }
    EXPECT_FALSE(w.helpOpened());
    clickOn("SpeedButton4");
    EXPECT_TRUE(w.helpOpened());
    QTest::mouseClick(&warning, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened.at(0), QUrl::fromLocalFile(app.helpFile));
    EXPECT_EQ(opened.at(1).toString(), QUrl::fromLocalFile(dir + "/colour-depth.html").toString() + "#colour-warning");
}

// Loaded off, the countdown says "off"; switched off by a click, "Off". Each tick reads the
// screen saver's state, and the change waits while the screen is busy.
TEST_F(MainWindowTest, ChangeTimerSwitchesAndHoldsBackWhileTheScreenIsBusy) {
    set("EnterTimer", "off");
    set("TimerTime", "0.1");
    MainWindow& w = makeWithImages(1);
    auto& countdown = child<QLabel>("Label12");
    EXPECT_EQ(
        std::tuple(countdown.text(), child<QRadioButton>("option71").isChecked(), child<QLineEdit>("text2").text()),
        std::tuple(QString("off"), true, QString("0.1")));
    QTest::mouseClick(&countdown, Qt::LeftButton);
    EXPECT_EQ(
        std::tuple(child<QRadioButton>("option70").isChecked(), child<QTimer>("Timer1").isActive(), get("EnterTimer")),
        std::tuple(true, true, QString("On")));

    screen.fullScreen = true;
    fire("Timer1");
    fire("Timer1");
    EXPECT_EQ(std::tuple(desktop.calls.size(), screen.lastWidth), std::tuple(0u, 1024));
    screen.fullScreen = false;
    screen.active = false;
    fire("Timer1");
    EXPECT_EQ(std::tuple(desktop.calls.size(), w.screenSaverActive()), std::tuple(1u, false));

    QTest::mouseClick(&countdown, Qt::LeftButton);
    EXPECT_EQ(
        std::tuple(child<QRadioButton>("option71").isChecked(), child<QTimer>("Timer1").isActive(), countdown.text()),
        std::tuple(true, false, QString("Off")));
}

// A folder queue opened at start-up is read at once: the window counts its images, and the
// commands that need entries of their own are out of reach.
TEST_F(MainWindowTest, AFolderQueueAtStartUpIsCountedAndItsMenusAreSet) {
    const QString folder = mtest::freshDir("startup-folder");
    touch(folder, {"a.png", "b.tiff", "notes.txt"});
    {
        Queue q(queue->environment());
        ASSERT_TRUE(q.load(app.queueFile).ok());
        q.header().setFolderQueue(1);
        q.header().setImageFolder(folder + "/");
        ASSERT_TRUE(q.writeHeader());
    }
    make();
    EXPECT_EQ(queueLine(), "Q: test (2 Files)");
    EXPECT_TRUE(action("mnuUseFolder").isChecked() && action("mnuChangeFolder").isVisible());
    EXPECT_FALSE(child<QMenu>("mnuSort").menuAction()->isEnabled() ||
                 child<QMenu>("mnuListType").menuAction()->isEnabled() || action("menuadd").isEnabled());
}

// Minimising hides the window only with a tray icon; a move while minimised is not
// remembered (the window has a fixed size, so minimised is the state it can be moved in).
TEST_F(MainWindowTest, MinimiseHidesOnlyWithATrayIconMovesCountWhenNormalAndDropsFillTheQueue) {
    MainWindow& w = make();
    // A first start stores the boxes its defaults check.
    EXPECT_EQ(QStringList({get("WPTimerIcon"), get("SCTrayIcon")}), QStringList({"True", "<missing>"}));
    w.showMinimized();
    QTest::qWait(20);
    EXPECT_FALSE(w.isVisible());
    w.showNormal();
    EXPECT_TRUE(w.isVisible());
    for (const char* name : {"CheckBox3", "CheckBox4", "CheckBox5"})
        clickOn(name);
    EXPECT_EQ(std::tuple(w.anyTrayIcon(), get("CLSIcon")), std::tuple(false, QString("False")));
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

    // Dropped local files go to the queue unless it is a folder queue.
    EXPECT_TRUE(w.acceptingDrops());
    auto drop = [&w](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropEvent(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &enter);
        QCoreApplication::sendEvent(&w, &dropEvent);
        return enter.isAccepted();
    };
    touch(dir, {"a.jpg", "c.jpg"});
    queue->header().setFolderQueue(1);
    drop({QUrl::fromLocalFile(dir + "/c.jpg")});
    EXPECT_EQ(queue->entryCount(), 0);
    queue->header().setFolderQueue(0);
    EXPECT_FALSE(drop({QUrl("https://example.com/a.jpg")}));
    EXPECT_TRUE(drop({QUrl::fromLocalFile(dir + "/a.jpg"), QUrl("https://example.com/b.jpg")}));
    EXPECT_EQ(rowsOnDisk(), QStringList{"1:a.jpg"});
}

TEST_F(MainWindowTest, RendersTheMonitorThumbnailAndTheCurrentImageInLowerCase) {
    const QString wallpaper = dir + "/Holiday Beach.PNG";
    ASSERT_TRUE(mtest::writeFile(wallpaper, "x"));
    desktop.setCurrentWallpaper(wallpaper);
    MainWindow& w = make();
    EXPECT_EQ(w.centralWidget()->size(), QSize(MainWindow::kClientWidth, MainWindow::kClientHeight));
    const QImage shot = w.grab().toImage();
    const QString line = child<QLabel>("label5").text();
    EXPECT_TRUE(line.startsWith("Current Image: ") && line.endsWith("holiday beach.png")) << line.toStdString();
    // the thumbnail of the (green) desktop sits on the monitor's screen; its power light is green 008000
    const QColor centre = shot.pixelColor(w.centralWidget()->mapTo(&w, QPoint(34 + 76, 41 + 57)));
    EXPECT_TRUE(centre.green() > 150 && centre.red() < 60) << centre.name().toStdString();
    EXPECT_EQ(shot.pixelColor(w.centralWidget()->mapTo(&w, QPoint(22 + 102, 34 + 135))), QColor(0, 0x80, 0));

    // A wallpaper set by someone else shows on the slow refresh, not at every paint.
    const QString other = dir + "/other.png";
    ASSERT_TRUE(mtest::writeFile(other, "x"));
    desktop.setCurrentWallpaper(other);
    w.grab();
    EXPECT_TRUE(child<QLabel>("label5").text().endsWith("holiday beach.png"));
    fire("currentImageTimer");
    EXPECT_TRUE(child<QLabel>("label5").text().endsWith("other.png")) << child<QLabel>("label5").text().toStdString();
}

} // namespace
