// SPDX-License-Identifier: MIT
#pragma once

#include "schedule/ScreenState.h"
#include "wallpaper/DesktopBackend.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform {

// Reads one environment variable; empty when it is not set. Tests pass their own.
using EnvReader = std::function<QString(const char* name)>;
QString processEnv(const char* name);

// The backend names the setting accepts.
QStringList desktopBackendNames();

// The backend for this session: overrideName when given (any letter case), else the first
// desktop of XDG_CURRENT_DESKTOP we know, else "x11" when DISPLAY is set. Empty with
// *error set when none fits.
QString chooseDesktopBackendName(const QString& overrideName, QString* error, const EnvReader& env = processEnv);

// The chosen backend, ready to use; nullptr with *error set when none fits or the chosen
// desktop's settings are missing. Without an override, a GNOME-family desktop whose
// settings schema is missing falls back to the X11 root window when there is a display.
std::unique_ptr<DesktopBackend> makeDesktopBackend(const QString& overrideName, QString* error,
                                                   const EnvReader& env = processEnv);

// Screen-saver and foreground state for the same session: GNOME's own idle setting where
// GNOME runs, the X server's elsewhere, settable answers for "fake".
std::unique_ptr<ScreenState> makeScreenState(const QString& overrideName, QString* error,
                                             const EnvReader& env = processEnv);

} // namespace platform
