// SPDX-License-Identifier: MIT
#include "schedule/ChangeTimer.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QMap>
#include <QStringList>

#include <ostream>

namespace {

// The timer reaches a window made of plain values: what it shows, writes and asks for.
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

    bool m_ready = true;
    bool m_busy = false;
    bool m_normal = true;
    bool m_timerEnabled = true;
    bool m_resetOnChange = true;
    int m_changes = 0;
    QStringList m_shown;
    QMap<QString, QString> m_settings;
    QList<bool> m_modes;
    ChangeTimer m_timer{ChangeTimer::Hooks{
        .ready = [this] { return m_ready; },
        .screenBusy = [this] { return m_busy; },
        .windowNormal = [this] { return m_normal; },
        .showCountdown = [this](const QString& text) { m_shown << text; },
        .change =
            [this] {
                ++m_changes;
                if (m_resetOnChange) m_timer.resetCountdown();
            },
        .enableTimer = [this](bool on) { m_timerEnabled = on; },
        .modeChanged = [this](bool on) { m_modes << on; },
        .writeSetting = [this](const QString& name, const QString& text) { m_settings[name] = text; }}};
};

struct IntervalCase {
    const char* interval;
    int ticks;     // to a change
    int freeTicks; // that still count down while the screen is busy
    float heldAt;  // two minutes, or the interval when shorter
    int ticksOnceFree;
};
std::ostream& operator<<(std::ostream& os, const IntervalCase& c) {
    return os << c.interval;
}
class Intervals : public ChangeTimerTest, public testing::WithParamInterface<IntervalCase> {};

// Single-precision steps decide the count. After a change the countdown starts again from the full
// interval; while the screen is busy a change is held back, without touching the label.
TEST_P(Intervals, TicksToChangeAndHoldingBackWhileTheScreenIsBusy) {
    const IntervalCase c = GetParam();
    m_timer.load("On", c.interval);
    EXPECT_EQ(ChangeTimer::ticksToChange(m_timer.interval()), c.ticks);
    EXPECT_EQ(ticksUntilChange(20000), c.ticks);
    EXPECT_EQ(m_timer.countdown(), m_timer.interval());

    m_busy = true;
    const qsizetype shown = m_shown.size() + c.freeTicks;
    ticks(c.freeTicks);
    EXPECT_EQ(m_shown.size(), shown) << "above two minutes nothing is held back";
    for (int t = 0; t < 50; ++t) {
        m_timer.tick();
        ASSERT_EQ(m_timer.countdown(), c.heldAt) << "tick " << t;
    }
    EXPECT_EQ(m_changes, 1);
    EXPECT_EQ(m_shown.size(), shown);
    m_busy = false;
    EXPECT_EQ(ticksUntilChange(100), c.ticksOnceFree);
}
const IntervalCase kIntervals[] = {
    {"0.1", 1, 0, 0.1f, 1},     {"0.2", 2, 0, 0.2f, 2},           {"0.15", 2, 0, 0.15f, 2}, {"0.25", 3, 0, 0.25f, 3},
    {"0.5", 5, 0, 0.5f, 5},     {"1", 10, 0, 1.0f, 10},           {"2", 20, 0, 2.0f, 20},   {"20", 200, 179, 2.0f, 20},
    {"30", 300, 279, 2.0f, 20}, {"999.9", 10000, 9979, 2.0f, 20}, {"0", 1, 0, 0.1f, 1}};
INSTANTIATE_TEST_SUITE_P(Texts, Intervals, testing::ValuesIn(kIntervals));

TEST_F(ChangeTimerTest, SwitchingOffAndOnResumesTheCountdown) {
    m_timer.load("off", "20");
    EXPECT_FALSE(m_timer.isOn());
    EXPECT_EQ(m_timer.label(), "off"); // as loaded; a switch by the user shows "Off"
    ticks(10);
    EXPECT_EQ(m_timer.countdown(), 20.0f);

    m_timer.toggle();
    ticks(37);
    EXPECT_EQ(m_timer.label(), "16.3");
    m_timer.toggle();
    EXPECT_FALSE(m_timer.isOn());
    EXPECT_FALSE(m_timerEnabled);
    EXPECT_EQ(m_shown.last(), "Off");
    EXPECT_EQ(m_timer.label(), "Off");
    EXPECT_EQ(m_settings.value("EnterTimer"), "Off");
    ticks(50);

    m_timer.toggle();
    EXPECT_TRUE(m_timer.isOn());
    EXPECT_TRUE(m_timerEnabled);
    EXPECT_EQ(m_shown.last(), "16.3");
    EXPECT_EQ(m_settings.value("EnterTimer"), "On");
    EXPECT_EQ(m_modes, (QList<bool>{true, false, true}));
}

TEST_F(ChangeTimerTest, NotReadyStandsStillAndMinimisedCountsWithoutShowing) {
    m_timer.load("On", "0.1");
    m_ready = false; // empty queue, busy queue file or updating
    ticks(10);
    EXPECT_EQ(m_timer.countdown(), 0.1f);
    EXPECT_EQ(m_changes, 0);

    m_ready = true;
    m_timer.load("On", "20");
    m_normal = false;
    ticks(10);
    EXPECT_TRUE(m_shown.isEmpty());
    m_normal = true;
    m_timer.tick();
    EXPECT_EQ(m_shown, QStringList{"18.9"});
}

TEST_F(ChangeTimerTest, CountdownKeepsFallingWhileARunningChangeHasNotReset) {
    m_timer.load("On", "0.2");
    m_resetOnChange = false;
    ticks(3);
    EXPECT_LT(m_timer.countdown(), 0.0f);
    EXPECT_EQ(m_changes, 2);
    m_timer.resetCountdown();
    EXPECT_EQ(m_timer.countdown(), 0.2f);
}

struct EditCase {
    const char* enterTimer;
    const char* text;
    float interval;
    const char* stored;
    const char* shown; // empty: the label is left alone
};
std::ostream& operator<<(std::ostream& os, const EditCase& c) {
    return os << c.enterTimer << " \"" << c.text << '"';
}
class IntervalEdit : public ChangeTimerTest, public testing::WithParamInterface<EditCase> {};

TEST_P(IntervalEdit, ClampsStoresAndRestarts) {
    const EditCase c = GetParam();
    m_timer.load(c.enterTimer, "20");
    m_timer.tick();
    m_shown.clear();
    m_timer.intervalEdited(c.text);
    EXPECT_EQ(m_timer.interval(), c.interval);
    EXPECT_EQ(m_timer.countdown(), c.interval);
    EXPECT_EQ(m_settings.value("TimerTime"), c.stored);
    EXPECT_EQ(m_shown.join(u'|'), c.shown);
}
const EditCase kEditCases[] = {{"On", "0", 0.1f, "0.100000001490116", "0.1"},
                               {"On", "1000", 999.9f, "999.900024414063", "999.9"},
                               {"On", "abc", 20.0f, "20", "20.0"},
                               {"On", "", 20.0f, "20", "20.0"},
                               {"On", ".", 20.0f, "20", "20.0"},
                               {"On", "-5", 0.1f, "0.100000001490116", "0.1"},
                               {"On", "2.5", 2.5f, "2.5", "2.5"},
                               {"Off", "5", 5.0f, "5", ""}};
INSTANTIATE_TEST_SUITE_P(Texts, IntervalEdit, testing::ValuesIn(kEditCases));

} // namespace
