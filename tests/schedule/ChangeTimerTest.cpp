// SPDX-License-Identifier: MIT
#include "schedule/ChangeTimer.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QStringList>

#include <tuple>

namespace {

// The timer reaches a window made of plain values; what it shows, writes and switches is logged in order.
class ChangeTimerTest : public testing::Test {
protected:
    ChangeTimerTest() { QLocale::setDefault(QLocale::c()); }

    void ticks(int count) {
        for (int t = 0; t < count; ++t)
            m_timer.tick();
    }
    // Ticks until the first change; -1 if none came within the limit.
    int ticksUntilChange(int limit) {
        const int before = m_changes;
        for (int t = 1; t <= limit; ++t) {
            m_timer.tick();
            if (m_changes > before) return t;
        }
        return -1;
    }
    // What happened since the last call, one entry per call of a hook.
    QString takeLog() {
        const QString log = m_log.join(u'|');
        m_log.clear();
        return log;
    }

    bool m_ready = true;
    bool m_busy = false;
    bool m_normal = true;
    bool m_resetOnChange = true;
    int m_changes = 0;
    QStringList m_log;
    ChangeTimer m_timer{ChangeTimer::Hooks{
        .ready = [this] { return m_ready; },
        .screenBusy = [this] { return m_busy; },
        .windowNormal = [this] { return m_normal; },
        .showCountdown = [this](const QString& text) { m_log << text; },
        .change =
            [this] {
                ++m_changes;
                if (m_resetOnChange) m_timer.resetCountdown();
            },
        .enableTimer = [this](bool on) { m_log << (on ? "timer on" : "timer off"); },
        .modeChanged = [this](bool on) { m_log << (on ? "mode on" : "mode off"); },
        .writeSetting = [this](const QString& name, const QString& text) { m_log << name + "=" + text; }}};
};

// The interval's text, the ticks to a change, the ticks that still count down while the screen is busy,
// where the countdown is held (two minutes, or the interval when shorter) and the ticks to a change once free.
using IntervalCase = std::tuple<const char*, int, int, float, int>;
class Intervals : public ChangeTimerTest, public testing::WithParamInterface<IntervalCase> {};

// Single-precision steps decide the count. While the screen is busy a change is held back,
// without touching the label.
TEST_P(Intervals, TicksToChangeAndHoldingBackWhileTheScreenIsBusy) {
    const auto [interval, ticksToChange, freeTicks, heldAt, ticksOnceFree] = GetParam();
    m_timer.load("On", interval);
    EXPECT_EQ(ChangeTimer::ticksToChange(m_timer.interval()), ticksToChange);
    EXPECT_EQ(ticksUntilChange(20000), ticksToChange);

    m_busy = true;
    m_log.clear();
    ticks(freeTicks);
    EXPECT_EQ(m_log.size(), freeTicks) << "above two minutes nothing is held back";
    for (int t = 0; t < 50; ++t) {
        m_timer.tick();
        ASSERT_EQ(m_timer.countdown(), heldAt) << "tick " << t;
    }
    EXPECT_EQ(m_changes, 1);
    EXPECT_EQ(m_log.size(), freeTicks);
    m_busy = false;
    EXPECT_EQ(ticksUntilChange(100), ticksOnceFree);
}
const IntervalCase kIntervals[] = {
    {"0.1", 1, 0, 0.1f, 1},     {"0.2", 2, 0, 0.2f, 2},           {"0.15", 2, 0, 0.15f, 2}, {"0.25", 3, 0, 0.25f, 3},
    {"0.5", 5, 0, 0.5f, 5},     {"1", 10, 0, 1.0f, 10},           {"2", 20, 0, 2.0f, 20},   {"20", 200, 179, 2.0f, 20},
    {"30", 300, 279, 2.0f, 20}, {"999.9", 10000, 9979, 2.0f, 20}, {"0", 1, 0, 0.1f, 1}};
INSTANTIATE_TEST_SUITE_P(Texts, Intervals, testing::ValuesIn(kIntervals));

// Loaded off, the label says "off"; switched off by the user, "Off". Ticks while off do not count,
// and switching back on resumes the countdown where it stood.
TEST_F(ChangeTimerTest, SwitchingOffAndOnResumesTheCountdown) {
    m_timer.load("off", "20");
    EXPECT_EQ(m_timer.label(), "off");
    ticks(10);
    m_timer.toggle();
    EXPECT_EQ(takeLog(), "timer on|20.0|EnterTimer=On|mode on");
    ticks(37);
    m_log.clear();
    m_timer.toggle();
    EXPECT_EQ(takeLog(), "timer off|Off|EnterTimer=Off|mode off");
    ticks(50);
    m_timer.toggle();
    EXPECT_EQ(takeLog(), "timer on|16.3|EnterTimer=On|mode on");
}

// Not ready (empty queue, busy queue file or updating), a tick does nothing; minimised, it counts
// without showing. A change still at work lets the countdown fall on until the change resets it.
TEST_F(ChangeTimerTest, TicksThatNeitherChangeNorShow) {
    m_timer.load("On", "20");
    m_ready = false;
    ticks(10);
    m_ready = true;
    m_normal = false;
    ticks(10);
    EXPECT_TRUE(m_log.isEmpty());
    m_normal = true;
    m_timer.tick();
    EXPECT_EQ(takeLog(), "18.9");

    m_timer.load("On", "0.2");
    m_resetOnChange = false;
    ticks(3);
    EXPECT_EQ(takeLog(), "0.1|0.0|-0.1");
    EXPECT_EQ(m_changes, 2);
    m_timer.resetCountdown();
    EXPECT_EQ(takeLog(), "0.2");
    EXPECT_EQ(m_timer.countdown(), 0.2f);
}

// An edit is read as the TimerTime setting is (clamped, not a number is 20), stored, and restarts
// the countdown from the new interval; while the timer is off the label is left alone.
TEST_F(ChangeTimerTest, IntervalEditsAreStoredAndRestartTheCountdown) {
    m_timer.load("Off", "20");
    m_timer.intervalEdited("2.5");
    EXPECT_EQ(m_timer.countdown(), 2.5f);
    EXPECT_EQ(takeLog(), "TimerTime=2.5");
    m_timer.toggle();
    EXPECT_EQ(takeLog(), "timer on|2.5|EnterTimer=On|mode on");
    m_timer.intervalEdited("0");
    EXPECT_EQ(m_timer.countdown(), 0.1f);
    EXPECT_EQ(takeLog(), "TimerTime=0.100000001490116|0.1");
    m_timer.intervalEdited("abc");
    EXPECT_EQ(takeLog(), "TimerTime=20|20.0");
}

} // namespace
