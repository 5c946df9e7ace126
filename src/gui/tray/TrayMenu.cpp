// SPDX-License-Identifier: MIT
#include "gui/tray/TrayMenu.h"

QAction* TrayMenu::item(const char* formName, const QString& text, void (TrayMenu::*signal)()) {
    QAction* action = addAction(text);
    action->setObjectName(QString::fromLatin1(formName));
    connect(action, &QAction::triggered, this, signal);
    return action;
}

TrayMenu::TrayMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("ToolPopUp"));
    setDefaultAction(item("Restore1", QStringLiteral("&Restore Muralo32"), &TrayMenu::restoreTriggered));
    m_screenSaver =
        item("TurnScreenSaverOn1", QStringLiteral("Turn Screen Saver Off"), &TrayMenu::screenSaverTriggered);
    m_timerOn = item("TurnTimerOn1", QStringLiteral("Turn Timer On"), &TrayMenu::timerTriggered);
    m_timerOff = item("TurnTimerOff1", QStringLiteral("Turn Timer Off"), &TrayMenu::timerTriggered);
    item("ChangeWallpaper1", QStringLiteral("Change &Wallpaper"), &TrayMenu::changeWallpaperTriggered);
    item("ClearScreen1", QStringLiteral("&Clear Screen"), &TrayMenu::clearScreenTriggered);
    item("ChangeQueue1", QStringLiteral("Change &Queue"), &TrayMenu::changeQueueTriggered);
    addSeparator()->setObjectName(QStringLiteral("N3"));
    item("EXitWallpaper1", QStringLiteral("E&Xit Muralo32"), &TrayMenu::exitTriggered);
    item("Help1", QStringLiteral("&Help"), &TrayMenu::helpTriggered);
    item("About1", QStringLiteral("&About"), &TrayMenu::aboutTriggered);
}

void TrayMenu::showTimerMode(bool on) {
    m_timerOn->setVisible(!on);
    m_timerOff->setVisible(on);
}

void TrayMenu::showScreenSaver(bool enabled) {
    m_screenSaver->setText(enabled ? QStringLiteral("Turn Screen Saver Off") : QStringLiteral("Turn Screen Saver On"));
}
