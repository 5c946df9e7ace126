// SPDX-License-Identifier: MIT
#include "platform/gnome/GSettingsBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "platform/gnome/GnomeScreenState.h"

#include <gtest/gtest.h>

#include <gio/gio.h>

#include <QString>
#include <QStringList>

// These tests run on GSettings' in-memory backend (GSETTINGS_BACKEND=memory), with the
// GNOME schemas installed and the Cinnamon and MATE ones not.

namespace {

using platform::GSettingsBackend;

QString readKey(const char* schema, const char* key) {
    GSettings* s = g_settings_new(schema);
    gchar* v = g_settings_get_string(s, key);
    const QString result = QString::fromUtf8(v);
    g_free(v);
    g_object_unref(s);
    return result;
}

bool readBool(const char* schema, const char* key) {
    GSettings* s = g_settings_new(schema);
    const bool v = g_settings_get_boolean(s, key);
    g_object_unref(s);
    return v;
}

constexpr const char* kBg = "org.gnome.desktop.background";

class GnomeBackendTest : public ::testing::TestWithParam<bool> {};

TEST_P(GnomeBackendTest, SetsPictureStyleAndColour) {
    const bool tiled = GetParam();
    GSettingsBackend backend(GSettingsBackend::Flavour::Gnome);
    ASSERT_TRUE(backend.isAvailable());
    QString error;
    ASSERT_TRUE(backend.setWallpaper(QStringLiteral("/tmp/wall paper/muralo32.bmp"), tiled, 0x1A2B3C, &error))
        << error.toStdString();
    EXPECT_EQ(readKey(kBg, "picture-options"), tiled ? QStringLiteral("wallpaper") : QStringLiteral("centered"));
    EXPECT_EQ(readKey(kBg, "picture-uri"), QStringLiteral("file:///tmp/wall%20paper/muralo32.bmp"));
    EXPECT_EQ(readKey(kBg, "picture-uri-dark"), QStringLiteral("file:///tmp/wall%20paper/muralo32.bmp"));
    EXPECT_EQ(readKey(kBg, "primary-color").toLower(), QStringLiteral("#1a2b3c"));
    EXPECT_EQ(readKey(kBg, "color-shading-type"), QStringLiteral("solid"));
    EXPECT_EQ(backend.currentWallpaper(), QStringLiteral("/tmp/wall paper/muralo32.bmp"));
}

INSTANTIATE_TEST_SUITE_P(TiledOrCentred, GnomeBackendTest, ::testing::Bool());

TEST(GSettingsBackend, AlternatingPathsAreEachStored) {
    GSettingsBackend backend(GSettingsBackend::Flavour::Gnome);
    EXPECT_TRUE(backend.needsFreshPath());
    const QStringList paths{QStringLiteral("/tmp/m/muralo32.bmp"), QStringLiteral("/tmp/m/muralo32-b.bmp"),
                            QStringLiteral("/tmp/m/muralo32.bmp"), QStringLiteral("/tmp/ü #1/x.bmp")};
    for (const QString& path : paths) {
        QString error;
        ASSERT_TRUE(backend.setWallpaper(path, false, 0, &error)) << error.toStdString();
        EXPECT_EQ(backend.currentWallpaper(), path);
    }
    // A second backend (another process, in real use) reads the same value.
    GSettingsBackend other(GSettingsBackend::Flavour::Gnome);
    EXPECT_EQ(other.currentWallpaper(), paths.last());
}

TEST(GSettingsBackend, ClearLeavesOnlyTheColour) {
    GSettingsBackend backend(GSettingsBackend::Flavour::Gnome);
    ASSERT_TRUE(backend.setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, nullptr));
    QString error;
    ASSERT_TRUE(backend.clearWallpaper(0xFF8000, &error)) << error.toStdString();
    EXPECT_EQ(readKey(kBg, "picture-uri"), QString());
    EXPECT_EQ(readKey(kBg, "picture-uri-dark"), QString());
    EXPECT_EQ(readKey(kBg, "picture-options"), QStringLiteral("none"));
    EXPECT_EQ(readKey(kBg, "primary-color").toLower(), QStringLiteral("#ff8000"));
    EXPECT_EQ(backend.currentWallpaper(), QString());
}

class MissingSchemaTest : public ::testing::TestWithParam<GSettingsBackend::Flavour> {};

TEST_P(MissingSchemaTest, IsAnErrorNotACrash) {
    GSettingsBackend backend(GetParam());
    QString why;
    ASSERT_FALSE(backend.isAvailable(&why));
    EXPECT_TRUE(why.contains(QLatin1String(GSettingsBackend::schemaId(GetParam())))) << why.toStdString();
    QString error;
    EXPECT_FALSE(backend.setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, &error));
    EXPECT_EQ(error, why);
    error.clear();
    EXPECT_FALSE(backend.clearWallpaper(0, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(backend.currentWallpaper(), QString());
}

INSTANTIATE_TEST_SUITE_P(NotInstalledHere, MissingSchemaTest,
                         ::testing::Values(GSettingsBackend::Flavour::Cinnamon, GSettingsBackend::Flavour::Mate));

TEST(GnomeScreenState, IdleActivationIsTheActiveSetting) {
    ASSERT_TRUE(GnomeScreenState::available());
    auto inner = std::make_unique<FakeScreenState>();
    FakeScreenState* fake = inner.get();
    fake->active = true;
    GnomeScreenState state(std::move(inner));
    for (const bool active : {false, true, false}) {
        ASSERT_TRUE(state.setScreenSaverActive(active));
        EXPECT_EQ(readBool("org.gnome.desktop.screensaver", "idle-activation-enabled"), active);
        EXPECT_EQ(state.screenSaverActive(), active);
    }
    // GNOME's setting, not the X server's, is the one switched.
    EXPECT_EQ(fake->setCalls, 0);
    fake->running = true;
    fake->fullScreen = true;
    EXPECT_TRUE(state.screenSaverRunning());
    EXPECT_TRUE(state.fullScreenForeground(800, 600));
    EXPECT_EQ(fake->lastWidth, 800);
}

TEST(GnomeScreenState, WithoutInnerStateNothingIsBusy) {
    GnomeScreenState state;
    EXPECT_FALSE(state.screenSaverRunning());
    EXPECT_FALSE(state.fullScreenForeground(800, 600));
}

} // namespace
