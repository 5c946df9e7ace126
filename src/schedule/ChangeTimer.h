// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

// The change countdown: minutes in single precision, lowered by 0.1 on every tick of a
// six-second window timer. The window owns the timer and the controls; this class owns
// the arithmetic and the decisions, and reaches the window through the hooks.
class ChangeTimer {
public:
    struct Hooks {
        // False while a tick must do nothing: empty queue that is not a folder queue,
        // queue file busy, updating flag set.
        std::function<bool()> ready;
        // The screen-busy check: true while a change is to be held back.
        std::function<bool()> screenBusy;
        // True while the main window is in its normal state (not minimised or maximised).
        std::function<bool()> windowNormal;
        // Shows a text in the countdown label (Label12).
        std::function<void(const QString&)> showCountdown;
        // Starts a wallpaper change (which ends by calling resetCountdown()).
        std::function<void()> change;
        // Enables or disables the window timer (Timer1).
        std::function<void(bool)> enableTimer;
        // Timer mode changed: the window updates option70/option71, the tray menu items
        // and the tray icon; the new mode has already been written to EnterTimer.
        std::function<void(bool on)> modeChanged;
        // Writes a setting (TimerTime, EnterTimer).
        std::function<void(const QString& name, const QString& text)> writeSetting;
    };

    explicit ChangeTimer(Hooks hooks);

    // From the settings: EnterTimer and TimerTime texts. Sets the countdown to the interval.
    void load(const QString& enterTimerText, const QString& timerTimeText);

    bool isOn() const { return m_on; }
    float interval() const { return m_interval; }
    float countdown() const { return m_countdown; }
    void setCountdown(float minutes) { m_countdown = minutes; }

    // One tick of Timer1.
    void tick();
    // After every change and clear: countdown := interval, shown when the window is
    // normal and the timer is on.
    void resetCountdown();
    // The text of text2 changed (not while updating): converts, clamps, stores, restarts.
    void intervalEdited(const QString& text);
    // The timer switch: option70/option71 clicks, Label12 click, tray items and icon.
    void toggle();
    // The countdown label's text now: "%1.1f" while on, "Off" after a switch off.
    QString label() const;

    // How many ticks an interval takes to reach a change when nothing holds it back.
    static int ticksToChange(float interval);

private:
    Hooks m_hooks;
    // "off" when the settings found the timer off, "Off" once the user switched it off.
    QString m_offText = QStringLiteral("Off");
    bool m_on = true;
    float m_interval = 20.0f;
    float m_countdown = 20.0f;
};
