// SPDX-License-Identifier: MIT
#pragma once

#include <QMenu>

// The menu a right click on a tray icon opens while the window is hidden.
class TrayMenu : public QMenu {
    Q_OBJECT
public:
    explicit TrayMenu(QWidget* parent = nullptr);

    // Only the item that switches the timer the other way is shown.
    void showTimerMode(bool on);
    // "Turn Screen Saver Off" while the screen saver is enabled, "Turn Screen Saver On" otherwise.
    void showScreenSaver(bool enabled);

Q_SIGNALS:
    void restoreTriggered();
    void screenSaverTriggered();
    void timerTriggered();
    void changeWallpaperTriggered();
    void clearScreenTriggered();
    void changeQueueTriggered();
    void exitTriggered();
    void helpTriggered();
    void aboutTriggered();

private:
    QAction* item(const char* formName, const QString& text, void (TrayMenu::*signal)());

    QAction* m_screenSaver = nullptr;
    QAction* m_timerOn = nullptr;
    QAction* m_timerOff = nullptr;
};
