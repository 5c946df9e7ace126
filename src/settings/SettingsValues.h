// SPDX-License-Identifier: MIT
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// How the stored texts of the settings turn into values and back. Every rule here is also how a
// hand-edited or damaged value is read, so each reader has a fallback rather than a failure.
namespace settingsvalues {

// True for "TRUE" or "YES" in any case, or exactly "1" or "-1"; anything else is false.
bool toBool(const QString& text);
// "True" / "False".
QString fromBool(bool value);

// ClearAtExit leans the other way: only "FALSE" or "NO" (any case) is false.
bool clearAtExit(const QString& text);

// EnterTimer: the timer is off only for "OFF" in any case.
bool enterTimer(const QString& text);
// "On" / "Off".
QString fromEnterTimer(bool on);

// TimerTime in minutes: not a number reads as 20, then clamped to 0.1 .. 999.9.
float timerTime(const QString& text, const QLocale& locale = QLocale::system());

// GammaCorrection: not a number, below 0.01 or above 2.0 reads as 1.0.
float gammaCorrection(const QString& text, const QLocale& locale = QLocale::system());

// SCPropertyPage: not an integer, below 0 or above 3 reads as 1.
int scPropertyPage(const QString& text);

// DialogStyle: not a number reads as 0; only the low seven bits are a style.
int dialogStyle(const QString& text);
QString fromDialogStyle(int style);

// A decimal integer (blanks around it allowed), or fallback when the text is not one.
int toInt(const QString& text, int fallback);

// Background: exactly "Desktop" (case counts) means the desktop colour; anything else black.
bool backgroundIsDesktop(const QString& text);

// A single-precision value in the general format with up to 15 significant digits and the
// locale's decimal separator: 0.1f is "0.100000001490116", 20.0f is "20".
QString fromFloat(float value, const QLocale& locale = QLocale::system());

// Reads the locale's format, and also '.' as the separator (files moved between locales).
// Not a finite single-precision number: nullopt.
std::optional<float> toFloat(const QString& text, const QLocale& locale = QLocale::system());

// Minutes as the user sees them: one decimal, locale separator ("20.0", "0.1").
QString formatMinutes(float minutes, const QLocale& locale = QLocale::system());

} // namespace settingsvalues
