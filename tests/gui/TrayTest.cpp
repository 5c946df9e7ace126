// SPDX-License-Identifier: MIT
#include "MainWindowFixture.h"
#include "gui/ImageList.h"
#include "gui/tray/TrayIcons.h"
#include "gui/tray/TrayMenu.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>

using Icon = TrayIcons::Icon;

namespace {

// Tray icons whose waits are held until the test lets them run.
struct ScriptedTray {
    ScriptedTray() {
        TrayIcons::Deps deps;
        deps.later = [this](int ms, std::function<void()> action) {
            delays << ms;
            waiting.push_back(std::move(action));
        };
        deps.doubleClickMs = [] { return 345; };
        deps.windowVisible = [this] { return visible; };
        tray = std::make_unique<TrayIcons>(deps);
    }
    void passTime() {
        auto due = std::move(waiting);
        waiting.clear();
        for (auto& action : due)
            action();
    }
    std::unique_ptr<TrayIcons> tray;
    QList<int> delays;
    std::vector<std::function<void()>> waiting;
    bool visible = true;
};

} // namespace

// A click acts once the double-click time has passed; a double click (whose first click or two
// are still waiting) restores instead; a right click asks for the menu only while the window is hidden.
TEST(TrayIconsTest, ClicksWaitForTheDoubleClickTime) {
    ScriptedTray t;
    QSignalSpy clicked(t.tray.get(), &TrayIcons::clicked);
    QSignalSpy restore(t.tray.get(), &TrayIcons::restoreRequested);
    QSignalSpy menu(t.tray.get(), &TrayIcons::menuRequested);
    t.tray->activate(Icon::ChangeWallpaper, QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicked.count(), 0) << "acted before the double-click time";
    t.passTime();
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).value<Icon>(), Icon::ChangeWallpaper);
    EXPECT_EQ(t.delays, QList<int>({345}));

    for (const int firstClicks : {1, 2}) {
        for (int i = 0; i < firstClicks; ++i)
            t.tray->activate(Icon::ChangeWallpaper, QSystemTrayIcon::Trigger);
        t.tray->activate(Icon::ChangeWallpaper, QSystemTrayIcon::DoubleClick);
        t.passTime();
    }
    EXPECT_EQ(clicked.count(), 1) << "a double click also changed the wallpaper";
    EXPECT_EQ(restore.count(), 2);
    t.tray->activate(Icon::ClearWallpaper, QSystemTrayIcon::Trigger);
    t.passTime();
    EXPECT_EQ(clicked.count(), 2) << "a click after a double click is a click again";

    t.tray->activate(Icon::ChangeTimer, QSystemTrayIcon::Context);
    EXPECT_EQ(menu.count(), 0);
    t.visible = false;
    t.tray->activate(Icon::ChangeTimer, QSystemTrayIcon::Context);
    EXPECT_EQ(menu.count(), 1);

    // Tips are cut to what the notification area takes; an icon not shown is not changed.
    t.tray->add(Icon::ChangeTimer, 9, QString(70, u'x'));
    EXPECT_EQ(t.tray->icon(Icon::ChangeTimer)->toolTip(), QString(63, u'x'));
    t.tray->modify(Icon::ClearWallpaper, 12, "Clear Screen");
    EXPECT_EQ(t.tray->icon(Icon::ClearWallpaper), nullptr);
    t.tray->removeAll();
    EXPECT_EQ(t.tray->icon(Icon::ChangeTimer), nullptr);
}

class TrayWindowTest : public MainWindowTest {
protected:
    TrayIcons& tray() const { return *window->findChild<TrayIcons*>(); }
    QString tip(Icon icon) const {
        QSystemTrayIcon* shown = tray().icon(icon);
        return shown ? shown->toolTip() : QStringLiteral("<none>");
    }
    bool showsPicture(Icon icon, int picture) const {
        QSystemTrayIcon* shown = tray().icon(icon);
        return shown && shown->icon().pixmap(16).toImage() == ImageList::icon(picture).pixmap(16).toImage();
    }
    QStringList iconOrder() const {
        QStringList names;
        for (auto* icon : tray().findChildren<QSystemTrayIcon*>())
            names << icon->objectName();
        return names;
    }
};

TEST_F(TrayWindowTest, TheScreenSaverIconComesLastAndShowsTheStateRead) {
    set("SCTrayIcon", "True");
    screen.active = false;
    makeWithImages(1);
    EXPECT_EQ(iconOrder(), QStringList({"TrayIcon2", "TrayIcon3", "TrayIcon4", "TrayIcon1"}));
    EXPECT_EQ(tip(Icon::ScreenSaver), "Screen Saver Off");
    EXPECT_TRUE(showsPicture(Icon::ScreenSaver, ImageList::ScreenSaverOff));
    // Switched elsewhere: the icon follows within a few seconds, the change timer on or off.
    const QTimer& poll = child<QTimer>("screenSaverTimer");
    EXPECT_TRUE(poll.isActive() && poll.interval() >= 1000 && poll.interval() <= 10000) << poll.interval();
    screen.active = true;
    fire("screenSaverTimer");
    EXPECT_EQ(tip(Icon::ScreenSaver), "Screen Saver On");
    EXPECT_EQ(screen.setCalls, 0) << "the program switched the screen saver by itself";
}

// A first start shows three icons; the boxes add and remove them. The single-click actions, the
// timer's and the screen saver's pictures and tips, and the menu's items.
TEST_F(TrayWindowTest, ClicksActAndTheMenuFollowsTheTimerAndTheScreenSaver) {
    makeWithImages(2);
    EXPECT_EQ(iconOrder(), QStringList({"TrayIcon2", "TrayIcon3", "TrayIcon4"}));
    EXPECT_EQ(std::tuple(tip(Icon::ChangeTimer), tip(Icon::ChangeWallpaper), tip(Icon::ClearWallpaper)),
              std::tuple(QString("Timer On"), QString("Change Wallpaper"), QString("Clear Screen")));
    child<QCheckBox>("CheckBox2").click();
    auto& menu = *window->findChild<TrayMenu*>("ToolPopUp");
    EXPECT_EQ(std::tuple(tip(Icon::ScreenSaver), action("TurnScreenSaverOn1").text()),
              std::tuple(QString("Screen Saver On"), QString("Turn Screen Saver Off")));
    Q_EMIT tray().clicked(Icon::ScreenSaver);
    EXPECT_EQ(std::tuple(screen.active, tip(Icon::ScreenSaver), action("TurnScreenSaverOn1").text()),
              std::tuple(false, QString("Screen Saver Off"), QString("Turn Screen Saver On")));

    EXPECT_TRUE(action("TurnTimerOff1").isVisible() && !action("TurnTimerOn1").isVisible());
    Q_EMIT tray().clicked(Icon::ChangeTimer);
    EXPECT_EQ(tip(Icon::ChangeTimer), "Wallpaper Timer Off");
    EXPECT_TRUE(showsPicture(Icon::ChangeTimer, ImageList::TimerOff));
    EXPECT_TRUE(action("TurnTimerOn1").isVisible() && !action("TurnTimerOff1").isVisible());
    EXPECT_EQ(get("EnterTimer"), "Off");

    Q_EMIT tray().clicked(Icon::ChangeWallpaper);
    Q_EMIT tray().clicked(Icon::ClearWallpaper);
    EXPECT_EQ(std::tuple(desktop.calls.size(), desktop.clearCount()), std::tuple(2u, 1));
    action("ChangeWallpaper1").trigger();
    EXPECT_EQ(std::tuple(desktop.calls.size(), menu.defaultAction()), std::tuple(3u, &action("Restore1")));

    action("ChangeQueue1").trigger();
    ASSERT_FALSE(chooser.requests.empty());
    EXPECT_EQ(chooser.requests.back().title, "Open Queue");

    window->showMinimized();
    Q_EMIT tray().menuRequested();
    EXPECT_TRUE(menu.isVisible());
    menu.close();
    Q_EMIT tray().restoreRequested();
    EXPECT_FALSE(window->isMinimized());

    child<QCheckBox>("CheckBox3").click();
    EXPECT_EQ(std::tuple(tip(Icon::ChangeTimer), get("WPTimerIcon")), std::tuple(QString("<none>"), QString("False")));
    window->close();
    EXPECT_TRUE(iconOrder().isEmpty()) << "icons outlive the window";
}

// Icons asked for on a desktop without a notification area: the window is only minimised, and
// the tray boxes' caption says why.
TEST_F(TrayWindowTest, WithoutANotificationAreaMinimisingSaysWhy) {
    trayIconsShown = false;
    MainWindow& w = makeWithImages(1);
    w.showNormal();
    w.showMinimized();
    EXPECT_TRUE(w.isVisible() && w.isMinimized());
    EXPECT_TRUE(child<QLabel>("Label1").toolTip().contains("no notification area"));
}
