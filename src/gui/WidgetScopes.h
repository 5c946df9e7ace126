// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QWidget>

#include <functional>

// The hourglass for the length of a long rebuild.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Hides a widget while many of its rows change and shows it again on every way out, unless
// it was hidden before.
class HiddenWhileBuilding {
public:
    explicit HiddenWhileBuilding(QWidget& w) : m_w(w), m_wasHidden(w.isHidden()) { m_w.setVisible(false); }
    ~HiddenWhileBuilding() {
        if (!m_wasHidden) m_w.setVisible(true);
    }
    HiddenWhileBuilding(const HiddenWhileBuilding&) = delete;
    HiddenWhileBuilding& operator=(const HiddenWhileBuilding&) = delete;

private:
    QWidget& m_w;
    bool m_wasHidden;
};

// Stops the change timer for a command and starts it again on every way out.
class TimerPause {
public:
    explicit TimerPause(const std::function<void(bool)>& runTimer) : m_runTimer(runTimer) {
        if (m_runTimer) m_runTimer(false);
    }
    ~TimerPause() {
        if (m_runTimer) m_runTimer(true);
    }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    const std::function<void(bool)>& m_runTimer;
};
