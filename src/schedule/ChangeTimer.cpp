// SPDX-License-Identifier: MIT
#include "ChangeTimer.h"

#include "settings/SettingsValues.h"

#include <utility>

namespace {

// Every step is rounded to single precision, as the countdown has always been kept: the
// number of ticks to a change depends on it (0.25 minutes take three ticks, not two).
float toSingle(float value) {
    volatile float stored = value;
    return stored;
}

float lowered(float countdown) {
    return toSingle(toSingle(countdown) - toSingle(0.1f));
}

// The end test is against 0.05 itself, not its single-precision neighbour: a remainder
// of 0.05 kept in single precision lies just above it and waits one more tick.
bool atEnd(float countdown) {
    return static_cast<double>(countdown) <= 0.05;
}

constexpr float kHoldBack = 2.0f;

} // namespace

ChangeTimer::ChangeTimer(Hooks hooks) : m_hooks(std::move(hooks)) {}

void ChangeTimer::load(const QString& enterTimerText, const QString& timerTimeText) {
    m_on = settingsvalues::enterTimer(enterTimerText);
    m_interval = settingsvalues::timerTime(timerTimeText);
    m_countdown = m_interval;
    m_offText = QStringLiteral("off");
}

void ChangeTimer::tick() {
    if (!m_on) return;
    if (m_hooks.ready && !m_hooks.ready()) return;

    m_countdown = lowered(m_countdown);

    if (m_countdown < kHoldBack && m_countdown < m_interval) {
        const float holdBack = m_interval > kHoldBack ? kHoldBack : m_interval;
        if (m_hooks.screenBusy && m_hooks.screenBusy()) {
            m_countdown = holdBack;
            return;
        }
    }

    if (m_hooks.windowNormal && m_hooks.windowNormal() && m_hooks.showCountdown)
        m_hooks.showCountdown(settingsvalues::formatMinutes(m_countdown));

    // A change already running ignores this; the countdown then keeps falling until
    // that change resets it.
    if (atEnd(m_countdown) && m_hooks.change) m_hooks.change();
}

void ChangeTimer::resetCountdown() {
    m_countdown = m_interval;
    if (m_on && m_hooks.windowNormal && m_hooks.windowNormal() && m_hooks.showCountdown)
        m_hooks.showCountdown(settingsvalues::formatMinutes(m_countdown));
}

void ChangeTimer::intervalEdited(const QString& text) {
    // Only the stored value is clamped; the edit box keeps what the user typed.
    m_interval = settingsvalues::timerTime(text);
    if (m_hooks.writeSetting) m_hooks.writeSetting(QStringLiteral("TimerTime"), settingsvalues::fromFloat(m_interval));
    m_countdown = m_interval;
    if (m_on && m_hooks.showCountdown) m_hooks.showCountdown(settingsvalues::formatMinutes(m_countdown));
}

void ChangeTimer::toggle() {
    // The countdown is left alone: switching back on resumes where it stood.
    m_on = !m_on;
    m_offText = QStringLiteral("Off");
    if (m_hooks.enableTimer) m_hooks.enableTimer(m_on);
    if (m_hooks.showCountdown) m_hooks.showCountdown(label());
    if (m_hooks.writeSetting) m_hooks.writeSetting(QStringLiteral("EnterTimer"), settingsvalues::fromEnterTimer(m_on));
    if (m_hooks.modeChanged) m_hooks.modeChanged(m_on);
}

QString ChangeTimer::label() const {
    return m_on ? settingsvalues::formatMinutes(m_countdown) : m_offText;
}

int ChangeTimer::ticksToChange(float interval) {
    // Far more than the 10,000 ticks of the largest interval; stops a value that never
    // reaches the end (not a number) from looping for ever.
    constexpr int kLimit = 1000000;
    float countdown = toSingle(interval);
    int ticks = 0;
    do {
        countdown = lowered(countdown);
        ++ticks;
    } while (!atEnd(countdown) && ticks < kLimit);
    return ticks;
}
