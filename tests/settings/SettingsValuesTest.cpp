// SPDX-License-Identifier: MIT
#include "settings/SettingsValues.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QString>

#include <optional>
#include <ostream>

namespace sv = settingsvalues;

namespace {

struct TextCase {
    const char* text;
    bool expected;
};
std::ostream& operator<<(std::ostream& os, const TextCase& c) {
    return os << '"' << c.text << '"';
}

class GeneralBool : public testing::TestWithParam<TextCase> {};
TEST_P(GeneralBool, ReadsAsTable) {
    EXPECT_EQ(sv::toBool(QString::fromUtf8(GetParam().text)), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, GeneralBool,
                         testing::Values(TextCase{"True", true}, TextCase{"TRUE", true}, TextCase{"true", true},
                                         TextCase{"yes", true}, TextCase{"Yes", true}, TextCase{"YES", true},
                                         TextCase{"1", true}, TextCase{"-1", true}, TextCase{"False", false},
                                         TextCase{"y", false}, TextCase{"on", false}, TextCase{"0", false},
                                         TextCase{"2", false}, TextCase{" 1", false}, TextCase{"", false},
                                         TextCase{"True ", false}));

class ClearAtExitRule : public testing::TestWithParam<TextCase> {};
TEST_P(ClearAtExitRule, OnlyFalseOrNoIsFalse) {
    EXPECT_EQ(sv::clearAtExit(QString::fromUtf8(GetParam().text)), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, ClearAtExitRule,
                         testing::Values(TextCase{"FALSE", false}, TextCase{"false", false}, TextCase{"no", false},
                                         TextCase{"No", false}, TextCase{"0", true}, TextCase{"", true},
                                         TextCase{"True", true}, TextCase{"off", true}));

class EnterTimerRule : public testing::TestWithParam<TextCase> {};
TEST_P(EnterTimerRule, OnlyOffTurnsItOff) {
    EXPECT_EQ(sv::enterTimer(QString::fromUtf8(GetParam().text)), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, EnterTimerRule,
                         testing::Values(TextCase{"On", true}, TextCase{"off", false}, TextCase{"OFF", false},
                                         TextCase{"Off", false}, TextCase{"0", true}, TextCase{"False", true},
                                         TextCase{"", true}));

TEST(SettingsValueTexts, WrittenForms) {
    EXPECT_EQ(sv::fromBool(true), u"True");
    EXPECT_EQ(sv::fromBool(false), u"False");
    EXPECT_EQ(sv::fromEnterTimer(true), u"On");
    EXPECT_EQ(sv::fromEnterTimer(false), u"Off");
    // What the program writes must read back as what it meant.
    EXPECT_TRUE(sv::toBool(sv::fromBool(true)));
    EXPECT_FALSE(sv::toBool(sv::fromBool(false)));
    EXPECT_FALSE(sv::clearAtExit(sv::fromBool(false)));
    EXPECT_FALSE(sv::enterTimer(sv::fromEnterTimer(false)));
}

struct FloatCase {
    const char* text;
    float expected;
};
std::ostream& operator<<(std::ostream& os, const FloatCase& c) {
    return os << '"' << c.text << '"';
}

class TimerTimeRule : public testing::TestWithParam<FloatCase> {};
TEST_P(TimerTimeRule, FallbackAndClamp) {
    EXPECT_FLOAT_EQ(sv::timerTime(QString::fromUtf8(GetParam().text), QLocale::c()), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, TimerTimeRule,
                         testing::Values(FloatCase{"20", 20.0f}, FloatCase{"1000", 999.9f}, FloatCase{"0", 0.1f},
                                         FloatCase{"-5", 0.1f}, FloatCase{"abc", 20.0f}, FloatCase{"", 20.0f},
                                         FloatCase{"nan", 20.0f}, FloatCase{"1e40", 999.9f},
                                         FloatCase{"0.100000001490116", 0.1f}, FloatCase{"999.9", 999.9f},
                                         FloatCase{"2.5", 2.5f}));

class GammaRule : public testing::TestWithParam<FloatCase> {};
TEST_P(GammaRule, OutOfRangeIsOne) {
    EXPECT_FLOAT_EQ(sv::gammaCorrection(QString::fromUtf8(GetParam().text), QLocale::c()), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, GammaRule,
                         testing::Values(FloatCase{"1", 1.0f}, FloatCase{"0.5", 0.5f}, FloatCase{"2", 2.0f},
                                         FloatCase{"2.01", 1.0f}, FloatCase{"0.009", 1.0f}, FloatCase{"0", 1.0f},
                                         FloatCase{"-1", 1.0f}, FloatCase{"x", 1.0f},
                                         // 0.01f as the program writes it must stay 0.01, not fall to 1.
                                         FloatCase{"0.00999999977648258", 0.01f}, FloatCase{"0.01", 0.01f}));

struct IntCase {
    const char* text;
    int expected;
};
std::ostream& operator<<(std::ostream& os, const IntCase& c) {
    return os << '"' << c.text << '"';
}

class PropertyPageRule : public testing::TestWithParam<IntCase> {};
TEST_P(PropertyPageRule, InvalidIsOptionsPage) {
    EXPECT_EQ(sv::scPropertyPage(QString::fromUtf8(GetParam().text)), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, PropertyPageRule,
                         testing::Values(IntCase{"0", 0}, IntCase{"1", 1}, IntCase{"3", 3}, IntCase{"4", 1},
                                         IntCase{"-1", 1}, IntCase{"abc", 1}, IntCase{"", 1}, IntCase{"1.5", 1}));

class DialogStyleRule : public testing::TestWithParam<IntCase> {};
TEST_P(DialogStyleRule, NotANumberIsZero) {
    EXPECT_EQ(sv::dialogStyle(QString::fromUtf8(GetParam().text)), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, DialogStyleRule,
                         testing::Values(IntCase{"0", 0}, IntCase{"5", 5}, IntCase{"127", 127}, IntCase{"128", 0},
                                         IntCase{"129", 1}, IntCase{"xyz", 0}, IntCase{"", 0}));

TEST(SettingsValueTexts, DialogStyleWrittenMasked) {
    EXPECT_EQ(sv::fromDialogStyle(200), u"72");
    EXPECT_EQ(sv::fromDialogStyle(7), u"7");
}

class IntWithFallback : public testing::TestWithParam<IntCase> {};
TEST_P(IntWithFallback, DecimalOrFallback) {
    EXPECT_EQ(sv::toInt(QString::fromUtf8(GetParam().text), -999), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Texts, IntWithFallback,
                         testing::Values(IntCase{"218", 218}, IntCase{"-50", -50}, IntCase{" 131 ", 131},
                                         IntCase{"0x10", -999}, IntCase{"12abc", -999}, IntCase{"", -999},
                                         IntCase{"99999999999", -999}, IntCase{"400", 400}));

TEST(SettingsValueTexts, BackgroundIsCaseSensitive) {
    EXPECT_TRUE(sv::backgroundIsDesktop(QStringLiteral("Desktop")));
    EXPECT_FALSE(sv::backgroundIsDesktop(QStringLiteral("desktop")));
    EXPECT_FALSE(sv::backgroundIsDesktop(QStringLiteral("DESKTOP")));
    EXPECT_FALSE(sv::backgroundIsDesktop(QStringLiteral("Black")));
    EXPECT_FALSE(sv::backgroundIsDesktop(QString()));
}

struct LocaleFloatCase {
    QLocale::Language language;
    QLocale::Territory territory;
    float value;
    const char* written;
};
std::ostream& operator<<(std::ostream& os, const LocaleFloatCase& c) {
    return os << c.written;
}

class FloatTexts : public testing::TestWithParam<LocaleFloatCase> {};
TEST_P(FloatTexts, WrittenInTheLocaleAndReadBack) {
    const QLocale locale(GetParam().language, GetParam().territory);
    const QString text = sv::fromFloat(GetParam().value, locale);
    EXPECT_EQ(text, QString::fromUtf8(GetParam().written));
    const std::optional<float> back = sv::toFloat(text, locale);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, GetParam().value); // exact: 15 digits carry every single-precision value
}
INSTANTIATE_TEST_SUITE_P(Values, FloatTexts,
                         testing::Values(LocaleFloatCase{QLocale::C, QLocale::AnyTerritory, 0.1f, "0.100000001490116"},
                                         LocaleFloatCase{QLocale::C, QLocale::AnyTerritory, 20.0f, "20"},
                                         LocaleFloatCase{QLocale::C, QLocale::AnyTerritory, 1.0f, "1"},
                                         LocaleFloatCase{QLocale::C, QLocale::AnyTerritory, 2500.0f, "2500"},
                                         LocaleFloatCase{QLocale::German, QLocale::Germany, 0.1f, "0,100000001490116"},
                                         LocaleFloatCase{QLocale::German, QLocale::Germany, 1.5f, "1,5"},
                                         LocaleFloatCase{QLocale::German, QLocale::Germany, 2500.0f, "2500"},
                                         LocaleFloatCase{QLocale::English, QLocale::UnitedStates, 1234.5f, "1234.5"}));

TEST(SettingsValueTexts, FloatReadsDotInAnyLocale) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(sv::toFloat(QStringLiteral("1.5"), german), std::optional<float>(1.5f));
    EXPECT_EQ(sv::toFloat(QStringLiteral("1,5"), german), std::optional<float>(1.5f));
    // A file written under a '.' locale must not turn 1.500 into fifteen hundred.
    EXPECT_EQ(sv::toFloat(QStringLiteral("1.500"), german), std::optional<float>(1.5f));
    EXPECT_EQ(sv::toFloat(QStringLiteral("abc"), german), std::nullopt);
    EXPECT_EQ(sv::toFloat(QStringLiteral("1e39"), QLocale::c()), std::nullopt);
    EXPECT_EQ(sv::toFloat(QStringLiteral("inf"), QLocale::c()), std::nullopt);
    EXPECT_EQ(sv::toFloat(QString(), QLocale::c()), std::nullopt);
}

TEST(SettingsValueTexts, MinutesShowOneDecimal) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(sv::formatMinutes(20.0f, QLocale::c()), u"20.0");
    EXPECT_EQ(sv::formatMinutes(0.1f, QLocale::c()), u"0.1");
    EXPECT_EQ(sv::formatMinutes(999.9f, QLocale::c()), u"999.9");
    EXPECT_EQ(sv::formatMinutes(12.34f, german), u"12,3");
    EXPECT_EQ(sv::formatMinutes(1234.5f, german), u"1234,5");
}

} // namespace
