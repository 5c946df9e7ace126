// SPDX-License-Identifier: MIT
#include "settings/SettingsValues.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QString>

#include <optional>
#include <ostream>

namespace sv = settingsvalues;

namespace {

// Each rule reads the settings' texts its own way; one table per rule.
struct TextCase {
    const char* rule;
    bool (*read)(const QString&);
    const char* text;
    bool expected;
};
std::ostream& operator<<(std::ostream& os, const TextCase& c) {
    return os << c.rule << "(\"" << c.text << "\")";
}

class BoolTexts : public testing::TestWithParam<TextCase> {};
TEST_P(BoolTexts, ReadAsTheRuleSays) {
    EXPECT_EQ(GetParam().read(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

TextCase general(const char* text, bool expected) {
    return {"toBool", sv::toBool, text, expected};
}
// Only "False" or "No" (any case) is false.
TextCase clearAtExit(const char* text, bool expected) {
    return {"clearAtExit", sv::clearAtExit, text, expected};
}
// Only "Off" (any case) turns it off.
TextCase enterTimer(const char* text, bool expected) {
    return {"enterTimer", sv::enterTimer, text, expected};
}

INSTANTIATE_TEST_SUITE_P(Texts, BoolTexts,
                         testing::Values(general("True", true), general("TRUE", true), general("true", true),
                                         general("yes", true), general("Yes", true), general("YES", true),
                                         general("1", true), general("-1", true), general("False", false),
                                         general("y", false), general("on", false), general("0", false),
                                         general("2", false), general(" 1", false), general("", false),
                                         general("True ", false), clearAtExit("FALSE", false),
                                         clearAtExit("false", false), clearAtExit("no", false),
                                         clearAtExit("No", false), clearAtExit("0", true), clearAtExit("", true),
                                         clearAtExit("True", true), clearAtExit("off", true), enterTimer("On", true),
                                         enterTimer("off", false), enterTimer("OFF", false), enterTimer("Off", false),
                                         enterTimer("0", true), enterTimer("False", true), enterTimer("", true)));

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
    const char* rule;
    int (*read)(const QString&);
    const char* text;
    int expected;
};
std::ostream& operator<<(std::ostream& os, const IntCase& c) {
    return os << c.rule << "(\"" << c.text << "\")";
}

class IntTexts : public testing::TestWithParam<IntCase> {};
TEST_P(IntTexts, ReadAsTheRuleSays) {
    EXPECT_EQ(GetParam().read(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

// An invalid page is the Options page.
IntCase page(const char* text, int expected) {
    return {"scPropertyPage", sv::scPropertyPage, text, expected};
}
// Not a number is 0; the style is kept to seven bits.
IntCase style(const char* text, int expected) {
    return {"dialogStyle", sv::dialogStyle, text, expected};
}
// Decimal, or the fallback.
IntCase integer(const char* text, int expected) {
    return {"toInt", [](const QString& t) { return sv::toInt(t, -999); }, text, expected};
}

INSTANTIATE_TEST_SUITE_P(Texts, IntTexts,
                         testing::Values(page("0", 0), page("1", 1), page("3", 3), page("4", 1), page("-1", 1),
                                         page("abc", 1), page("", 1), page("1.5", 1), style("0", 0), style("5", 5),
                                         style("127", 127), style("128", 0), style("129", 1), style("xyz", 0),
                                         style("", 0), integer("218", 218), integer("-50", -50), integer(" 131 ", 131),
                                         integer("0x10", -999), integer("12abc", -999), integer("", -999),
                                         integer("99999999999", -999), integer("400", 400)));

TEST(SettingsValueTexts, DialogStyleWrittenMasked) {
    EXPECT_EQ(sv::fromDialogStyle(200), u"72");
    EXPECT_EQ(sv::fromDialogStyle(7), u"7");
}

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
