// SPDX-License-Identifier: MIT
// The main window's icons in the notification area and their menu.
#include "gui/MainWindow.h"

#include "gui/ImageList.h"
#include "gui/OptionCommands.h"
#include "gui/OptionsPage.h"
#include "gui/QueueFileCommands.h"
#include "gui/tray/TrayIcons.h"
#include "gui/tray/TrayMenu.h"
#include "schedule/ChangeTimer.h"
#include "schedule/ScreenState.h"

#include <QCursor>
#include <QTimer>

namespace {

using Icon = TrayIcons::Icon;

} // namespace

void MainWindow::buildTray() {
    TrayIcons::Deps deps;
    deps.windowVisible = [this] { return isVisible() && !isMinimized(); };
    m_tray = new TrayIcons(deps, this);
    m_trayMenu = new TrayMenu(this);
    if (!m_deps.trayIconsShown) m_deps.trayIconsShown = [this] { return m_tray->anyInTray(); };
    // The desktop announces no change of its screen-saver setting, and the change timer is off
    // in some modes: the icon and the menu look again every few seconds.
    auto* poll = new QTimer(this);
    poll->setObjectName(QStringLiteral("screenSaverTimer"));
    poll->setInterval(5000);
    connect(poll, &QTimer::timeout, this, [this] {
        if (!m_closed) readScreenSaverState();
    });
    poll->start();
    connect(m_options, &OptionsPage::trayIconSwitched, this,
            [this](OptionsPage::TrayIcon icon, bool shown) { switchTrayIcon(int(icon) + 1, shown); });
    connect(m_tray, &TrayIcons::clicked, this, [this](Icon icon) { onTrayClicked(int(icon)); });
    connect(m_tray, &TrayIcons::restoreRequested, this, &MainWindow::restoreFromTray);
    connect(m_tray, &TrayIcons::menuRequested, this, [this] { m_trayMenu->popup(QCursor::pos()); });
    connect(m_trayMenu, &TrayMenu::restoreTriggered, this, &MainWindow::restoreFromTray);
    connect(m_trayMenu, &TrayMenu::screenSaverTriggered, this, &MainWindow::toggleScreenSaver);
    connect(m_trayMenu, &TrayMenu::timerTriggered, this, [this] { m_countdown->toggle(); });
    connect(m_trayMenu, &TrayMenu::changeWallpaperTriggered, this, &MainWindow::changeWallpaperNow);
    connect(m_trayMenu, &TrayMenu::clearScreenTriggered, this, &MainWindow::clearScreenNow);
    connect(m_trayMenu, &TrayMenu::changeQueueTriggered, this,
            [this] { m_queueWork.run([this] { m_fileCommands->changeQueue(); }); });
    connect(m_trayMenu, &TrayMenu::exitTriggered, this, &QWidget::close);
    connect(m_trayMenu, &TrayMenu::helpTriggered, this, &MainWindow::showHelp);
    connect(m_trayMenu, &TrayMenu::aboutTriggered, this,
            [this] { m_queueWork.run([this] { m_optionCommands->about(); }); });
}

void MainWindow::switchTrayIcon(int id, bool shown) {
    const auto icon = static_cast<Icon>(id);
    if (!shown) {
        m_tray->remove(icon);
        return;
    }
    switch (icon) {
    case Icon::ScreenSaver:
        m_tray->add(icon, ImageList::ScreenSaverOn, QStringLiteral("Screen Saver On"));
        m_trayMenu->showScreenSaver(true);
        readScreenSaverState();
        break;
    case Icon::ChangeTimer:
        showTimerInTray(m_countdown->isOn(), true);
        break;
    case Icon::ChangeWallpaper:
        m_tray->add(icon, ImageList::ChangeWallpaper, QStringLiteral("Change Wallpaper"));
        break;
    case Icon::ClearWallpaper:
        m_tray->add(icon, ImageList::ClearScreen, QStringLiteral("Clear Screen"));
        break;
    }
}

void MainWindow::onTrayClicked(int id) {
    switch (static_cast<Icon>(id)) {
    case Icon::ScreenSaver:
        toggleScreenSaver();
        break;
    case Icon::ChangeTimer:
        m_countdown->toggle();
        break;
    case Icon::ChangeWallpaper:
        changeWallpaperNow();
        break;
    case Icon::ClearWallpaper:
        clearScreenNow();
        break;
    }
}

// A new icon says "Timer On"; a switch of the timer says "Wallpaper Timer On".
void MainWindow::showTimerInTray(bool on, bool adding) {
    m_trayMenu->showTimerMode(on);
    const int picture = on ? ImageList::TimerOn : ImageList::TimerOff;
    const QString tip =
        QStringLiteral("%1Timer %2")
            .arg(adding ? QString() : QStringLiteral("Wallpaper "), on ? QStringLiteral("On") : QStringLiteral("Off"));
    if (adding)
        m_tray->add(Icon::ChangeTimer, picture, tip);
    else
        m_tray->modify(Icon::ChangeTimer, picture, tip);
}

void MainWindow::showScreenSaverInTray() {
    const bool on = m_screenSaverActive;
    m_tray->modify(Icon::ScreenSaver, on ? ImageList::ScreenSaverOn : ImageList::ScreenSaverOff,
                   on ? QStringLiteral("Screen Saver On") : QStringLiteral("Screen Saver Off"));
    m_trayMenu->showScreenSaver(on);
}

// Only when the user asks: the program never switches the screen saver by itself.
void MainWindow::toggleScreenSaver() {
    if (!m_deps.screenState) return;
    m_deps.screenState->setScreenSaverActive(!m_screenSaverActive);
    readScreenSaverState();
}

void MainWindow::restoreFromTray() {
    m_hiddenToTray = false;
    showNormal();
    raise();
    activateWindow();
}
