// SPDX-License-Identifier: MIT
#include "platform/DesktopBackends.h"

#include "platform/fake/FakeDesktopBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "platform/gnome/GSettingsBackend.h"
#include "platform/gnome/GnomeScreenState.h"
#include "platform/kde/PlasmaBackend.h"
#include "platform/x11/X11RootBackend.h"
#include "platform/x11/X11ScreenState.h"
#include "platform/xfce/XfconfBackend.h"

#include <QByteArray>

namespace platform {

namespace {

const QString kNoDisplay = QStringLiteral("No desktop found to show the wallpaper on (DISPLAY is not set).");

// One entry of XDG_CURRENT_DESKTOP, lower-cased, to our backend name.
QString backendForDesktop(const QString& desktop) {
    if (desktop == QLatin1String("gnome") || desktop == QLatin1String("budgie") || desktop == QLatin1String("unity") ||
        desktop == QLatin1String("gnome-classic") || desktop == QLatin1String("gnome-flashback"))
        return QStringLiteral("gnome");
    if (desktop == QLatin1String("x-cinnamon") || desktop == QLatin1String("cinnamon"))
        return QStringLiteral("cinnamon");
    if (desktop == QLatin1String("mate")) return QStringLiteral("mate");
    if (desktop == QLatin1String("xfce")) return QStringLiteral("xfce");
    if (desktop == QLatin1String("kde")) return QStringLiteral("kde");
    return {};
}

bool hasDisplay(const EnvReader& env) {
    return !env("DISPLAY").isEmpty();
}

} // namespace

QString processEnv(const char* name) {
    return qEnvironmentVariable(name);
}

QStringList desktopBackendNames() {
    return {QStringLiteral("x11"),  QStringLiteral("gnome"), QStringLiteral("cinnamon"), QStringLiteral("mate"),
            QStringLiteral("xfce"), QStringLiteral("kde"),   QStringLiteral("fake")};
}

QString chooseDesktopBackendName(const QString& overrideName, QString* error, const EnvReader& env) {
    const QString wanted = overrideName.trimmed().toLower();
    if (!wanted.isEmpty()) {
        if (desktopBackendNames().contains(wanted)) return wanted;
        if (error)
            *error = QStringLiteral("Unknown desktop backend \"%1\" (known: %2).")
                         .arg(overrideName, desktopBackendNames().join(QStringLiteral(", ")));
        return {};
    }
    const QStringList desktops = env("XDG_CURRENT_DESKTOP").toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& desktop : desktops) {
        const QString name = backendForDesktop(desktop.trimmed());
        if (!name.isEmpty()) return name;
    }
    if (hasDisplay(env)) return QStringLiteral("x11");
    if (error) *error = kNoDisplay;
    return {};
}

std::unique_ptr<DesktopBackend> makeDesktopBackend(const QString& overrideName, QString* error, const EnvReader& env) {
    const QString name = chooseDesktopBackendName(overrideName, error, env);
    if (name.isEmpty()) return nullptr;
    if (name == QLatin1String("fake")) return std::make_unique<FakeDesktopBackend>();
    if (name == QLatin1String("x11")) return std::make_unique<X11RootBackend>();
    if (name == QLatin1String("xfce")) return std::make_unique<XfconfBackend>();
    if (name == QLatin1String("kde")) return std::make_unique<PlasmaBackend>();

    const auto flavour = name == QLatin1String("cinnamon") ? GSettingsBackend::Flavour::Cinnamon
                         : name == QLatin1String("mate")   ? GSettingsBackend::Flavour::Mate
                                                           : GSettingsBackend::Flavour::Gnome;
    auto backend = std::make_unique<GSettingsBackend>(flavour);
    QString why;
    if (backend->isAvailable(&why)) return backend;
    if (overrideName.trimmed().isEmpty() && hasDisplay(env)) return std::make_unique<X11RootBackend>();
    if (error) *error = why;
    return nullptr;
}

std::unique_ptr<ScreenState> makeScreenState(const QString& overrideName, QString* error, const EnvReader& env) {
    const QString name = chooseDesktopBackendName(overrideName, error, env);
    if (name.isEmpty()) return nullptr;
    if (name == QLatin1String("fake")) return std::make_unique<FakeScreenState>();
    std::unique_ptr<ScreenState> x11 = hasDisplay(env) ? std::make_unique<X11ScreenState>() : nullptr;
    if (name == QLatin1String("gnome") && GnomeScreenState::available())
        return std::make_unique<GnomeScreenState>(std::move(x11));
    if (x11) return x11;
    if (error) *error = QStringLiteral("No screen to watch for a screen saver (DISPLAY is not set).");
    return nullptr;
}

} // namespace platform
