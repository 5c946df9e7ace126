// SPDX-License-Identifier: MIT
#include "settings/SettingsValues.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>
#include <tuple>
#include <vector>

namespace sv = settingsvalues;

namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// Each rule reads the settings' texts its own way; flags as 0 and 1.
TEST(SettingsValues, EachRuleReadsTheTextsItsOwnWay) {
    using T = std::pair<const char*, float>;
    using Texts = std::vector<T>;
    using Rule = std::tuple<const char*, std::function<float(const QString&)>, Texts>;
    for (const auto& [rule, read, texts] :
         {Rule{"toBool", sv::toBool,
               Texts{T{"True", 1}, T{"TRUE", 1}, T{"true", 1}, T{"yes", 1}, T{"Yes", 1}, T{"YES", 1}, T{"1", 1},
                     T{"-1", 1}, T{"False", 0}, T{"y", 0}, T{"on", 0}, T{"0", 0}, T{"2", 0}, T{" 1", 1}, T{"", 0},
                     T{" True ", 1}}},
          // Only "False" or "No" (any case, blanks aside) is false.
          Rule{"clearAtExit", sv::clearAtExit,
               Texts{T{"FALSE", 0}, T{"false", 0}, T{"no", 0}, T{" No", 0}, T{"0", 1}, T{"", 1}, T{"True", 1},
                     T{"off", 1}}},
          // Only "Off" (any case, blanks aside) turns it off.
          Rule{"enterTimer", sv::enterTimer,
               Texts{T{"On", 1}, T{"off", 0}, T{"OFF", 0}, T{"Off ", 0}, T{"0", 1}, T{"False", 1}, T{"", 1}}},
          // "Desktop", blanks aside: case counts.
          Rule{"backgroundIsDesktop", sv::backgroundIsDesktop,
               Texts{T{"Desktop", 1}, T{" Desktop ", 1}, T{"desktop", 0}, T{"DESKTOP", 0}, T{"Black", 0}, T{"", 0}}},
          // An invalid page is the Options page.
          Rule{"scPropertyPage", sv::scPropertyPage,
               Texts{T{"0", 0}, T{"1", 1}, T{"3", 3}, T{"4", 1}, T{"-1", 1}, T{"abc", 1}, T{"", 1}, T{"1.5", 1}}},
          // Not a number is 0; the style is kept to seven bits.
          Rule{"dialogStyle", sv::dialogStyle,
               Texts{T{"0", 0}, T{"5", 5}, T{"127", 127}, T{"128", 0}, T{"129", 1}, T{"xyz", 0}, T{"", 0}}},
          // Decimal, or the fallback.
          Rule{"toInt", [](const QString& t) { return sv::toInt(t, -999); },
               Texts{T{"218", 218}, T{"-50", -50}, T{" 131 ", 131}, T{"0x10", -999}, T{"12abc", -999}, T{"", -999},
                     T{"99999999999", -999}, T{"400", 400}}},
          // Not a number is 20, then clamped to 0.1 .. 999.9.
          Rule{"timerTime", [](const QString& t) { return sv::timerTime(t, kC); },
               Texts{T{"20", 20.0f}, T{"1000", 999.9f}, T{"0", 0.1f}, T{"-5", 0.1f}, T{"abc", 20.0f}, T{"", 20.0f},
                     T{".", 20.0f}, T{"nan", 20.0f}, T{"1e40", 999.9f}, T{"0.100000001490116", 0.1f},
                     T{"999.9", 999.9f}, T{"2.5", 2.5f}}},
          // Out of range or not a number is 1; 0.01f as the program writes it must stay 0.01, not fall to 1.
          Rule{"gammaCorrection", [](const QString& t) { return sv::gammaCorrection(t, kC); },
               Texts{T{"1", 1.0f}, T{"0.5", 0.5f}, T{"2", 2.0f}, T{"2.01", 1.0f}, T{"0.009", 1.0f}, T{"0", 1.0f},
                     T{"-1", 1.0f}, T{"x", 1.0f}, T{"0.00999999977648258", 0.01f}, T{"0.01", 0.01f}}},
          // A file written under a '.' locale must not turn 1.500 into fifteen hundred; what is no finite
          // float is refused (read here as -1).
          Rule{"toFloat de", [](const QString& t) { return sv::toFloat(t, kGerman).value_or(-1); },
               Texts{T{"1.5", 1.5f}, T{"1,5", 1.5f}, T{"1.500", 1.5f}, T{"abc", -1}}},
          Rule{"toFloat C", [](const QString& t) { return sv::toFloat(t, kC).value_or(-1); },
               Texts{T{"1e39", -1}, T{"inf", -1}, T{"", -1}}}})
        for (const auto& [text, expected] : texts)
            EXPECT_FLOAT_EQ(read(QString::fromUtf8(text)), expected) << rule << "(\"" << text << "\")";
}

// Written in the locale and read back exactly: 15 digits carry every single-precision value. The
// countdown shows minutes with one decimal.
TEST(SettingsValues, FloatTextsInTheLocale) {
    using F = std::tuple<QLocale, float, const char*, const char*>;
    for (const auto& [locale, value, written, minutes] :
         {F{kC, 0.1f, "0.100000001490116", "0.1"}, F{kC, 20.0f, "20", "20.0"}, F{kC, 1.0f, "1", "1.0"},
          F{kC, 2500.0f, "2500", "2500.0"}, F{kC, 999.9f, "999.900024414063", "999.9"},
          F{kGerman, 0.1f, "0,100000001490116", "0,1"}, F{kGerman, 1.5f, "1,5", "1,5"},
          F{kGerman, 2500.0f, "2500", "2500,0"}, F{kGerman, 12.34f, "12,3400001525879", "12,3"},
          F{kGerman, 1234.5f, "1234,5", "1234,5"}, F{kUs, 1234.5f, "1234.5", "1234.5"}}) {
        SCOPED_TRACE(locale.name().toStdString() + " " + written);
        const QString text = sv::fromFloat(value, locale);
        EXPECT_EQ(text, QString::fromUtf8(written));
        EXPECT_EQ(sv::toFloat(text, locale), std::optional<float>(value));
        EXPECT_EQ(sv::formatMinutes(value, locale), QString::fromUtf8(minutes));
    }
}

// "On" and "Off" are written by the change timer and checked in its tests.
TEST(SettingsValueTexts, WrittenTexts) {
    EXPECT_EQ(sv::fromDialogStyle(200), u"72"); // masked to seven bits
    EXPECT_EQ(sv::fromDialogStyle(7), u"7");
    EXPECT_EQ(sv::fromBool(true) + sv::fromBool(false), u"TrueFalse");
}

} // namespace
