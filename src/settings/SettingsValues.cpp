// SPDX-License-Identifier: MIT
#include "SettingsValues.h"

#include <cfloat>
#include <cmath>

namespace settingsvalues {

namespace {

// Our texts never hold group separators; refusing them keeps "1.500" in a German locale from
// reading as fifteen hundred when it was written with a '.' decimal point.
QLocale strictLocale(QLocale locale) {
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

std::optional<double> toNumber(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    bool ok = false;
    double value = strictLocale(locale).toDouble(trimmed, &ok);
    if (!ok) value = strictLocale(QLocale::c()).toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

} // namespace

// Values are read without the blanks a hand edit may leave around them ("Name = True"); the
// store itself keeps every value as written, since a path may begin or end with a blank.
bool toBool(const QString& text) {
    const QString upper = text.trimmed().toUpper();
    return upper == u"TRUE" || upper == u"YES" || upper == u"1" || upper == u"-1";
}

QString fromBool(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool clearAtExit(const QString& text) {
    const QString upper = text.trimmed().toUpper();
    return !(upper == u"FALSE" || upper == u"NO");
}

bool enterTimer(const QString& text) {
    return text.trimmed().toUpper() != u"OFF";
}

QString fromEnterTimer(bool on) {
    return on ? QStringLiteral("On") : QStringLiteral("Off");
}

float timerTime(const QString& text, const QLocale& locale) {
    constexpr float kMin = 0.1f;
    constexpr float kMax = 999.9f;
    // Clamped as a double first: "1e40" is a (huge) number, so it becomes the maximum, not 20.
    const std::optional<double> value = toNumber(text, locale);
    if (!value) return 20.0f;
    if (*value < kMin) return kMin;
    if (*value > kMax) return kMax;
    return static_cast<float>(*value);
}

float gammaCorrection(const QString& text, const QLocale& locale) {
    const std::optional<float> value = toFloat(text, locale);
    // Compared in single precision: the dialog stores 0.01f, which as a double is just below 0.01.
    if (!value || *value < 0.01f || *value > 2.0f) return 1.0f;
    return *value;
}

int scPropertyPage(const QString& text) {
    const int page = toInt(text, 1);
    return (page < 0 || page > 3) ? 1 : page;
}

int dialogStyle(const QString& text) {
    return toInt(text, 0) & 127;
}

QString fromDialogStyle(int style) {
    return QString::number(style & 127);
}

int toInt(const QString& text, int fallback) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : fallback;
}

bool backgroundIsDesktop(const QString& text) {
    return text.trimmed() == u"Desktop";
}

QString fromFloat(float value, const QLocale& locale) {
    return strictLocale(locale).toString(static_cast<double>(value), 'g', 15);
}

std::optional<float> toFloat(const QString& text, const QLocale& locale) {
    const std::optional<double> value = toNumber(text, locale);
    if (!value || std::fabs(*value) > FLT_MAX) return std::nullopt;
    return static_cast<float>(*value);
}

QString formatMinutes(float minutes, const QLocale& locale) {
    return strictLocale(locale).toString(static_cast<double>(minutes), 'f', 1);
}

} // namespace settingsvalues
