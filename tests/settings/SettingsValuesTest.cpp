// SPDX-License-Identifier: MIT
#include "settings/SettingsValues.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>
#include <ostream>

namespace sv = settingsvalues;

namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// Each rule reads the settings' texts its own way; one table for all of them, flags as 0 and 1.
struct TextCase {
    const char* rule;
    std::function<float(const QString&)> read;
    const char* text;
    float expected;
};
std::ostream& operator<<(std::ostream& os, const TextCase& c) {
    return os << c.rule << "(\"" << c.text << "\")";
}
struct Rule {
    const char* name;
    std::function<float(const QString&)> read;
    TextCase operator()(const char* text, float expected) const { return {name, read, text, expected}; }
};

class RuleTexts : public testing::TestWithParam<TextCase> {};
TEST_P(RuleTexts, ReadAsTheRuleSays) {
    EXPECT_FLOAT_EQ(GetParam().read(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

const Rule general{"toBool", sv::toBool};
// Only "False" or "No" (any case, blanks aside) is false.
const Rule clearAtExit{"clearAtExit", sv::clearAtExit};
// Only "Off" (any case, blanks aside) turns it off.
const Rule enterTimer{"enterTimer", sv::enterTimer};
// "Desktop", blanks aside: case counts.
const Rule background{"backgroundIsDesktop", sv::backgroundIsDesktop};
// An invalid page is the Options page.
const Rule page{"scPropertyPage", sv::scPropertyPage};
// Not a number is 0; the style is kept to seven bits.
const Rule style{"dialogStyle", sv::dialogStyle};
// Decimal, or the fallback.
const Rule integer{"toInt", [](const QString& t) { return sv::toInt(t, -999); }};
// Not a number is 20, then clamped to 0.1 .. 999.9.
const Rule timer{"timerTime", [](const QString& t) { return sv::timerTime(t, QLocale::c()); }};
// Out of range or not a number is 1; 0.01f as the program writes it must stay 0.01, not fall to 1.
const Rule gammaRule{"gammaCorrection", [](const QString& t) { return sv::gammaCorrection(t, QLocale::c()); }};
// A file written under a '.' locale must not turn 1.500 into fifteen hundred; what is no finite
// float is refused (read here as -1).
const Rule germanFloat{"toFloat de", [](const QString& t) { return sv::toFloat(t, kGerman).value_or(-1); }};
const Rule cFloat{"toFloat C", [](const QString& t) { return sv::toFloat(t, kC).value_or(-1); }};

INSTANTIATE_TEST_SUITE_P(
    Texts, RuleTexts,
    testing::Values(
        general("True", true), general("TRUE", true), general("true", true), general("yes", true), general("Yes", true),
        general("YES", true), general("1", true), general("-1", true), general("False", false), general("y", false),
        general("on", false), general("0", false), general("2", false), general(" 1", true), general("", false),
        general(" True ", true), clearAtExit("FALSE", false), clearAtExit("false", false), clearAtExit("no", false),
        clearAtExit(" No", false), clearAtExit("0", true), clearAtExit("", true), clearAtExit("True", true),
        clearAtExit("off", true), enterTimer("On", true), enterTimer("off", false), enterTimer("OFF", false),
        enterTimer("Off ", false), enterTimer("0", true), enterTimer("False", true), enterTimer("", true),
        background("Desktop", true), background(" Desktop ", true), background("desktop", false),
        background("DESKTOP", false), background("Black", false), background("", false), page("0", 0), page("1", 1),
        page("3", 3), page("4", 1), page("-1", 1), page("abc", 1), page("", 1), page("1.5", 1), style("0", 0),
        style("5", 5), style("127", 127), style("128", 0), style("129", 1), style("xyz", 0), style("", 0),
        integer("218", 218), integer("-50", -50), integer(" 131 ", 131), integer("0x10", -999), integer("12abc", -999),
        integer("", -999), integer("99999999999", -999), integer("400", 400), timer("20", 20.0f), timer("1000", 999.9f),
        timer("0", 0.1f), timer("-5", 0.1f), timer("abc", 20.0f), timer("", 20.0f), timer(".", 20.0f),
        timer("nan", 20.0f), timer("1e40", 999.9f), timer("0.100000001490116", 0.1f), timer("999.9", 999.9f),
        timer("2.5", 2.5f), gammaRule("1", 1.0f), gammaRule("0.5", 0.5f), gammaRule("2", 2.0f), gammaRule("2.01", 1.0f),
        gammaRule("0.009", 1.0f), gammaRule("0", 1.0f), gammaRule("-1", 1.0f), gammaRule("x", 1.0f),
        gammaRule("0.00999999977648258", 0.01f), gammaRule("0.01", 0.01f), germanFloat("1.5", 1.5f),
        germanFloat("1,5", 1.5f), germanFloat("1.500", 1.5f), germanFloat("abc", -1), cFloat("1e39", -1),
        cFloat("inf", -1), cFloat("", -1)));

struct LocaleFloatCase {
    QLocale locale;
    float value;
    const char* written;
    const char* minutes; // as the countdown shows it: one decimal
};
std::ostream& operator<<(std::ostream& os, const LocaleFloatCase& c) {
    return os << c.locale.name().toStdString() << ' ' << c.written;
}

class FloatTexts : public testing::TestWithParam<LocaleFloatCase> {};
TEST_P(FloatTexts, WrittenInTheLocaleAndReadBack) {
    const QString text = sv::fromFloat(GetParam().value, GetParam().locale);
    EXPECT_EQ(text, QString::fromUtf8(GetParam().written));
    // Exact: 15 digits carry every single-precision value.
    EXPECT_EQ(sv::toFloat(text, GetParam().locale), std::optional<float>(GetParam().value));
    EXPECT_EQ(sv::formatMinutes(GetParam().value, GetParam().locale), QString::fromUtf8(GetParam().minutes));
}
const LocaleFloatCase kFloatTexts[] = {{kC, 0.1f, "0.100000001490116", "0.1"},
                                       {kC, 20.0f, "20", "20.0"},
                                       {kC, 1.0f, "1", "1.0"},
                                       {kC, 2500.0f, "2500", "2500.0"},
                                       {kC, 999.9f, "999.900024414063", "999.9"},
                                       {kGerman, 0.1f, "0,100000001490116", "0,1"},
                                       {kGerman, 1.5f, "1,5", "1,5"},
                                       {kGerman, 2500.0f, "2500", "2500,0"},
                                       {kGerman, 12.34f, "12,3400001525879", "12,3"},
                                       {kGerman, 1234.5f, "1234,5", "1234,5"},
                                       {kUs, 1234.5f, "1234.5", "1234.5"}};
INSTANTIATE_TEST_SUITE_P(Values, FloatTexts, testing::ValuesIn(kFloatTexts));

// "On" and "Off" are written by the change timer and checked in its tests.
TEST(SettingsValueTexts, WrittenTexts) {
    EXPECT_EQ(sv::fromDialogStyle(200), u"72"); // masked to seven bits
    EXPECT_EQ(sv::fromDialogStyle(7), u"7");
    EXPECT_EQ(sv::fromBool(true) + sv::fromBool(false), u"TrueFalse");
}

} // namespace
