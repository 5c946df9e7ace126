// SPDX-License-Identifier: MIT
#include "platform/DesktopBackends.h"
#include "platform/fake/FakeScreenState.h"
#include "platform/gnome/GSettingsBackend.h"
#include "platform/gnome/GnomeScreenState.h"
#include "platform/x11/X11ScreenState.h"

#include <gtest/gtest.h>

#include <gio/gio.h>

#include <string>
#include <tuple>

// On GSettings' in-memory backend (GSETTINGS_BACKEND=memory), with the GNOME schemas
// installed and the Cinnamon and MATE ones not.

namespace {

using platform::GSettingsBackend;

// XDG_CURRENT_DESKTOP and DISPLAY as given; nothing else is set.
platform::EnvReader envOf(const char* desktop, const char* display) {
    return [=](const char* name) {
        if (qstrcmp(name, "XDG_CURRENT_DESKTOP") == 0) return QString::fromUtf8(desktop);
        return QString::fromUtf8(qstrcmp(name, "DISPLAY") == 0 ? display : "");
    };
}

// Without an override, a GNOME-family desktop whose schema is missing falls back to the root window.
TEST(BackendChoice, PicksByOverrideThenDesktopThenDisplay) {
    // Override, XDG_CURRENT_DESKTOP, DISPLAY, the name chosen (empty: none, with a message), the backend
    // made (differs where the desktop's settings schema is missing) and a part of the message.
    using C = std::tuple<const char*, const char*, const char*, const char*, const char*, const char*>;
    for (const auto& [overrideText, desktop, display, chosen, made, errorPart] :
         {// By the desktop, then by DISPLAY.
          C{"", "GNOME", ":0", "gnome", "gnome", ""}, C{"", "ubuntu:GNOME", ":0", "gnome", "gnome", ""},
          C{"", "Budgie:GNOME", "", "gnome", "gnome", ""}, C{"", "Unity", ":1", "gnome", "gnome", ""},
          C{"", "gnome", "", "gnome", "gnome", ""}, C{"", "X-Cinnamon", ":0", "cinnamon", "x11", ""},
          C{"", "MATE", ":0", "mate", "x11", ""}, C{"", "MATE", "", "mate", "", "org.mate.background"},
          C{"", "XFCE", ":0", "xfce", "xfce", ""}, C{"", "KDE", ":0", "kde", "kde", ""},
          // Other desktops are the root window's, which needs a display.
          C{"", "LXQt", ":0", "x11", "x11", ""}, C{"", "", ":0", "x11", "x11", ""}, C{"", "Openbox", "", "", "", ""},
          C{"", "", "", "", "", "DISPLAY is not set"}, C{"", "::", "", "", "", ""},
          // An override wins, whatever the desktop.
          C{"x11", "GNOME", "", "x11", "x11", ""}, C{"KDE", "GNOME", ":0", "kde", "kde", ""},
          C{" fake ", "", "", "fake", "fake", ""}, C{"xfce", "", "", "xfce", "xfce", ""},
          C{"mate", "", "", "mate", "", "org.mate.background"},
          C{"cinnamon", "", ":0", "cinnamon", "", "org.cinnamon.desktop.background"},
          C{"windows", "GNOME", ":0", "", "", "windows"}}) {
        SCOPED_TRACE(std::string("\"") + overrideText + "\" on \"" + desktop + "\" with DISPLAY \"" + display + '"');
        QString chooseError;
        const QString name = platform::chooseDesktopBackendName(overrideText, &chooseError, envOf(desktop, display));
        EXPECT_EQ(name, QString::fromUtf8(chosen));
        EXPECT_EQ(chooseError.isEmpty(), !name.isEmpty()) << chooseError.toStdString();
        QString makeError;
        const auto backend = platform::makeDesktopBackend(overrideText, &makeError, envOf(desktop, display));
        EXPECT_EQ(backend ? backend->name() : QString(), QString::fromUtf8(made));
        EXPECT_EQ(makeError.isEmpty(), backend != nullptr) << makeError.toStdString();
        EXPECT_TRUE(makeError.contains(QString::fromUtf8(errorPart))) << makeError.toStdString();
    }
}

TEST(ScreenStateChoice, FollowsTheDesktop) {
    QString error;
    EXPECT_TRUE(dynamic_cast<FakeScreenState*>(platform::makeScreenState("fake", &error, envOf("", "")).get()));
    EXPECT_TRUE(
        dynamic_cast<GnomeScreenState*>(platform::makeScreenState("", &error, envOf("ubuntu:GNOME", "")).get()));
    EXPECT_TRUE(dynamic_cast<X11ScreenState*>(platform::makeScreenState("", &error, envOf("XFCE", ":0")).get()));
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    for (const char* desktop : {"XFCE", ""}) {
        EXPECT_EQ(platform::makeScreenState(QString(), &error, envOf(desktop, "")), nullptr);
        EXPECT_TRUE(error.contains(QLatin1String("DISPLAY is not set"))) << error.toStdString();
        error.clear();
    }
}

// dconf announces no change when the same path is set again, so the engine alternates paths.
// The desktop's colour settings are the user's: neither a change nor a clear touches them.
TEST(GnomeBackend, SetsPictureAndStyleAndClearLeavesTheUsersColour) {
    GSettingsBackend backend(GSettingsBackend::Flavour::Gnome);
    ASSERT_TRUE(backend.isAvailable());
    EXPECT_TRUE(backend.needsFreshPath());
    g_autoptr(GSettings) settings = g_settings_new("org.gnome.desktop.background");
    ASSERT_TRUE(g_settings_set_string(settings, "primary-color", "#123456"));
    ASSERT_TRUE(g_settings_set_string(settings, "color-shading-type", "vertical"));
    // An empty path and uri stand for a clear.
    for (const auto& [path, uri, options] :
         {std::tuple{"/tmp/wall paper/muralo32.bmp", "file:///tmp/wall%20paper/muralo32.bmp", "wallpaper"},
          std::tuple{"/tmp/ü #1/x.bmp", "file:///tmp/%C3%BC%20%231/x.bmp", "centered"}, std::tuple{"", "", "none"}}) {
        QString error;
        ASSERT_TRUE(*path ? backend.setWallpaper(path, qstrcmp(options, "wallpaper") == 0, 0x1A2B3C, &error)
                          : backend.clearWallpaper(0xFF8000, &error))
            << error.toStdString();
        QStringList keys;
        for (const char* key :
             {"picture-options", "picture-uri", "picture-uri-dark", "primary-color", "color-shading-type"}) {
            g_autofree gchar* value = g_settings_get_string(settings, key);
            keys << QString::fromUtf8(value);
        }
        EXPECT_EQ(keys, QStringList({options, uri, uri, "#123456", "vertical"}));
        EXPECT_EQ(backend.currentWallpaper(), path);
        // A second backend (another process, in real use) reads the same value.
        EXPECT_EQ(GSettingsBackend(GSettingsBackend::Flavour::Gnome).currentWallpaper(), path);
    }
}

// g_settings_new() would abort the process on a schema that is not installed.
TEST(MissingSchema, IsAnErrorNotACrash) {
    for (const auto flavour : {GSettingsBackend::Flavour::Cinnamon, GSettingsBackend::Flavour::Mate}) {
        GSettingsBackend backend(flavour);
        QString why;
        ASSERT_FALSE(backend.isAvailable(&why));
        EXPECT_TRUE(why.contains(QLatin1String(GSettingsBackend::schemaId(flavour)))) << why.toStdString();
        QString setError, clearError;
        EXPECT_FALSE(backend.setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, &setError));
        EXPECT_FALSE(backend.clearWallpaper(0, &clearError));
        EXPECT_EQ(QStringList({setError, clearError, backend.currentWallpaper()}), QStringList({why, why, QString()}));
    }
}

// GNOME's own idle setting is switched, not the X server's; the other questions go to the inner state.
TEST(GnomeScreenState, IdleActivationIsTheActiveSetting) {
    ASSERT_TRUE(GnomeScreenState::available());
    auto inner = std::make_unique<FakeScreenState>();
    FakeScreenState* fake = inner.get();
    GnomeScreenState state(std::move(inner));
    g_autoptr(GSettings) saver = g_settings_new("org.gnome.desktop.screensaver");
    for (const bool active : {false, true, false}) {
        ASSERT_TRUE(state.setScreenSaverActive(active));
        EXPECT_EQ(g_settings_get_boolean(saver, "idle-activation-enabled"), active);
        EXPECT_EQ(state.screenSaverActive(), active);
    }
    EXPECT_EQ(fake->setCalls, 0);
    fake->running = true;
    fake->fullScreen = true;
    EXPECT_TRUE(state.screenSaverRunning());
    EXPECT_TRUE(state.fullScreenForeground(800, 600));
    EXPECT_EQ(fake->lastWidth, 800);
    // Without an inner state nothing is busy.
    EXPECT_FALSE(GnomeScreenState().screenSaverRunning());
    EXPECT_FALSE(GnomeScreenState().fullScreenForeground(800, 600));
}

} // namespace
