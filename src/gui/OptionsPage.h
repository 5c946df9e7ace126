// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include <array>

class ChangeTimer;
class SettingsStore;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
struct AppContext;

// The Options page: the change timer, what happens at start-up and exit, and which icons go
// into the notification area. Each box stores its setting when the user clicks it.
class OptionsPage : public QWidget {
    Q_OBJECT
public:
    // The notification-area icons, in the order of their boxes.
    enum class TrayIcon { ScreenSaver, ChangeTimer, ChangeWallpaper, ClearWallpaper };
    static constexpr int kTrayIconCount = 4;

    OptionsPage(AppContext& app, SettingsStore& settings, ChangeTimer& countdown, QWidget* parent = nullptr);

    // The start-up and exit boxes from the settings, the timer controls from the countdown.
    void loadSettings();
    // Checks the On or Off button without the click's effect.
    void showTimerMode(bool on);
    // The tray boxes from the settings; a box its default checks is stored at once.
    void readTraySettings();

    bool anyTrayIcon() const { return m_anyTrayIcon; }
    // Tells, on the tray boxes' caption, that the desktop shows no tray icons.
    void noteNoNotificationArea();
    bool changeAtStart() const;
    bool clearAtExit() const;
    bool exitAfterChanging() const;
    // Exit after changing is offered only when a change happens at start-up.
    bool exitAfterChangingEnabled() const;
    void setExitAfterChangingEnabled(bool enabled);

Q_SIGNALS:
    // The user clicked "Exit After Changing": a pending exit no longer holds.
    void exitAfterChangingClicked();
    // A tray box was checked or cleared (by the user, or by the settings at start-up).
    void trayIconSwitched(OptionsPage::TrayIcon icon, bool shown);

private:
    void buildTimerControls();
    void buildStartAndExitBoxes();
    void buildTrayBoxes();
    void onChangeAtStartClicked();
    void onExitAfterChangingClicked();
    void onClearAtExitClicked();
    void onTrayBoxClicked(TrayIcon icon);
    void updateAnyTrayIcon();

    AppContext& m_app;
    SettingsStore& m_settings;
    ChangeTimer& m_countdown;
    QRadioButton* m_timerOnButton = nullptr;
    QRadioButton* m_timerOffButton = nullptr;
    QLineEdit* m_intervalEdit = nullptr;
    QCheckBox* m_changeAtStartBox = nullptr;
    QCheckBox* m_exitAfterChangingBox = nullptr;
    QCheckBox* m_clearAtExitBox = nullptr;
    std::array<QCheckBox*, kTrayIconCount> m_trayBoxes{};
    bool m_anyTrayIcon = false;
    QLabel* m_trayCaption = nullptr;
};
