// SPDX-License-Identifier: MIT
#include "schedule/ChangeTimer.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QMap>
#include <QStringList>

namespace {

// A window made of plain values: what the timer shows, writes and asks for.
struct FakeWindow {
    bool ready = true;
    bool busy = false;
    bool normal = true;
    bool timerEnabled = true;
    int changes = 0;
    QStringList shown;
    QMap<QString, QString> settings;
    QList<bool> modes;
    ChangeTimer* timer = nullptr;
    bool resetOnChange = true;

    ChangeTimer::Hooks hooks() {
        ChangeTimer::Hooks h;
        h.ready = [this] { return ready; };
        h.screenBusy = [this] { return busy; };
        h.windowNormal = [this] { return normal; };
        h.showCountdown = [this](const QString& text) { shown << text; };
        h.change = [this] {
            ++changes;
            if (resetOnChange) timer->resetCountdown();
        };
        h.enableTimer = [this](bool on) { timerEnabled = on; };
        h.modeChanged = [this](bool on) { modes << on; };
        h.writeSetting = [this](const QString& name, const QString& text) { settings[name] = text; };
        return h;
    }
};

class ChangeTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        m_timer = std::make_unique<ChangeTimer>(m_window.hooks());
        m_window.timer = m_timer.get();
    }
    // Ticks until the first change; -1 if none came within the limit.
    int ticksUntilChange(int limit) {
        const int before = m_window.changes;
        for (int t = 1; t <= limit; ++t) {
            m_timer->tick();
            if (m_window.changes > before) return t;
        }
        return -1;
    }

    FakeWindow m_window;
    std::unique_ptr<ChangeTimer> m_timer;
};

struct TickCase {
    const char* text;
    int ticks;
};

class TickCountTest : public ChangeTimerTest, public ::testing::WithParamInterface<TickCase> {};

TEST_P(TickCountTest, TicksToChangeFollowSinglePrecisionSteps) {
    const TickCase c = GetParam();
    m_timer->load("On", c.text);
    EXPECT_EQ(ChangeTimer::ticksToChange(m_timer->interval()), c.ticks);
    // The tick itself must agree with the prediction.
    EXPECT_EQ(ticksUntilChange(20000), c.ticks);
}

INSTANTIATE_TEST_SUITE_P(Intervals, TickCountTest,
                         ::testing::Values(TickCase{"0.1", 1}, TickCase{"0.2", 2}, TickCase{"0.15", 2},
                                           TickCase{"0.25", 3}, TickCase{"999.9", 10000}, TickCase{"20", 200},
                                           TickCase{"1", 10}, TickCase{"0", 1}));

TEST_F(ChangeTimerTest, ChangeResetsCountdownAndTheNextChangeTakesAFullInterval) {
    m_timer->load("On", "0.5");
    EXPECT_EQ(ticksUntilChange(100), 5);
    EXPECT_FLOAT_EQ(m_timer->countdown(), 0.5f);
    EXPECT_EQ(ticksUntilChange(100), 5);
}

TEST_F(ChangeTimerTest, ShortIntervalFallsBackToItselfWhileScreenBusy) {
    m_timer->load("On", "1.0");
    m_window.busy = true;
    for (int t = 0; t < 30; ++t) {
        m_timer->tick();
        ASSERT_EQ(m_timer->countdown(), 1.0f) << "tick " << t;
    }
    EXPECT_EQ(m_window.changes, 0);
    // Held ticks do not touch the label.
    EXPECT_TRUE(m_window.shown.isEmpty());
    m_window.busy = false;
    EXPECT_EQ(ticksUntilChange(100), 10);
}

TEST_F(ChangeTimerTest, LongIntervalIsHeldOnlyBelowTwoMinutes) {
    m_timer->load("On", "30");
    m_window.busy = true;
    // Nothing is held while the countdown is above two minutes.
    for (int t = 1; t <= 279; ++t) {
        m_timer->tick();
        ASSERT_NEAR(m_timer->countdown(), 30.0 - 0.1 * t, 0.01) << "tick " << t;
    }
    // From the tick that goes below 2.0 on, every tick sets it back to exactly 2.0.
    m_timer->tick();
    m_timer->tick();
    EXPECT_EQ(m_timer->countdown(), 2.0f);
    for (int t = 0; t < 50; ++t) {
        m_timer->tick();
        ASSERT_EQ(m_timer->countdown(), 2.0f);
    }
    EXPECT_EQ(m_window.changes, 0);
    m_window.busy = false;
    EXPECT_EQ(ticksUntilChange(100), 20);
}

TEST_F(ChangeTimerTest, SwitchingOffAndOnResumesTheCountdown) {
    m_timer->load("On", "20");
    for (int t = 0; t < 37; ++t)
        m_timer->tick();
    const float before = m_timer->countdown();
    EXPECT_EQ(m_timer->label(), "16.3");

    m_timer->toggle();
    EXPECT_FALSE(m_timer->isOn());
    EXPECT_FALSE(m_window.timerEnabled);
    EXPECT_EQ(m_window.shown.last(), "Off");
    EXPECT_EQ(m_timer->label(), "Off");
    EXPECT_EQ(m_window.settings.value("EnterTimer"), "Off");
    // Five minutes of ticks while off change nothing.
    for (int t = 0; t < 50; ++t)
        m_timer->tick();
    EXPECT_EQ(m_timer->countdown(), before);

    m_timer->toggle();
    EXPECT_TRUE(m_timer->isOn());
    EXPECT_TRUE(m_window.timerEnabled);
    EXPECT_EQ(m_timer->countdown(), before);
    EXPECT_EQ(m_window.shown.last(), "16.3");
    EXPECT_EQ(m_window.settings.value("EnterTimer"), "On");
    EXPECT_EQ(m_window.modes, (QList<bool>{false, true}));
}

TEST_F(ChangeTimerTest, LoadedOffShowsLowerCaseOff) {
    m_timer->load("off", "20");
    EXPECT_FALSE(m_timer->isOn());
    EXPECT_EQ(m_timer->label(), "off");
    m_timer->toggle();
    m_timer->toggle();
    EXPECT_EQ(m_timer->label(), "Off");
}

TEST_F(ChangeTimerTest, MinimisedWindowLabelIsNotUpdatedUntilTheNextNormalTick) {
    m_timer->load("On", "20");
    m_window.normal = false;
    for (int t = 0; t < 10; ++t)
        m_timer->tick();
    EXPECT_TRUE(m_window.shown.isEmpty());
    m_window.normal = true;
    m_timer->tick();
    EXPECT_EQ(m_window.shown, QStringList{"18.9"});
}

TEST_F(ChangeTimerTest, NotReadyQueueKeepsTheCountdownStill) {
    m_timer->load("On", "0.1");
    m_window.ready = false; // empty queue, busy queue file or updating
    for (int t = 0; t < 10; ++t)
        m_timer->tick();
    EXPECT_EQ(m_timer->countdown(), 0.1f);
    EXPECT_EQ(m_window.changes, 0);
    EXPECT_TRUE(m_window.shown.isEmpty());
}

TEST_F(ChangeTimerTest, CountdownKeepsFallingWhileARunningChangeHasNotReset) {
    m_timer->load("On", "0.2");
    m_window.resetOnChange = false;
    m_timer->tick();
    m_timer->tick();
    m_timer->tick();
    EXPECT_LT(m_timer->countdown(), 0.0f);
    EXPECT_EQ(m_window.changes, 2);
    m_timer->resetCountdown();
    EXPECT_EQ(m_timer->countdown(), 0.2f);
}

struct IntervalCase {
    const char* text;
    float interval;
    const char* stored;
};

class IntervalEditTest : public ChangeTimerTest, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(IntervalEditTest, ClampsStoresAndRestarts) {
    const IntervalCase c = GetParam();
    m_timer->load("On", "20");
    m_timer->tick();
    m_timer->intervalEdited(c.text);
    EXPECT_EQ(m_timer->interval(), c.interval);
    EXPECT_EQ(m_timer->countdown(), c.interval);
    EXPECT_EQ(m_window.settings.value("TimerTime"), c.stored);
    ASSERT_FALSE(m_window.shown.isEmpty());
    EXPECT_EQ(m_window.shown.last(), QLocale::c().toString(static_cast<double>(c.interval), 'f', 1));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntervalEditTest,
    ::testing::Values(IntervalCase{"0", 0.1f, "0.100000001490116"}, IntervalCase{"1000", 999.9f, "999.900024414063"},
                      IntervalCase{"abc", 20.0f, "20"}, IntervalCase{"", 20.0f, "20"}, IntervalCase{".", 20.0f, "20"},
                      IntervalCase{"-5", 0.1f, "0.100000001490116"}, IntervalCase{"2.5", 2.5f, "2.5"}));

TEST_F(ChangeTimerTest, IntervalZeroChangesOnTheNextTick) {
    m_timer->load("On", "20");
    m_timer->intervalEdited("0");
    EXPECT_EQ(ticksUntilChange(5), 1);
}

TEST_F(ChangeTimerTest, IntervalEditWhileOffStoresButShowsNothing) {
    m_timer->load("Off", "20");
    m_timer->intervalEdited("5");
    EXPECT_EQ(m_window.settings.value("TimerTime"), "5");
    EXPECT_TRUE(m_window.shown.isEmpty());
    EXPECT_EQ(m_timer->label(), "off");
}

} // namespace
