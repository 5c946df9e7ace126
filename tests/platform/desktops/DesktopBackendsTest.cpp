// SPDX-License-Identifier: MIT
#include "platform/DesktopBackends.h"
#include "platform/fake/FakeDesktopBackend.h"
#include "platform/fake/FakeScreenState.h"
#include "platform/gnome/GSettingsBackend.h"
#include "platform/gnome/GnomeScreenState.h"
#include "platform/x11/X11ScreenState.h"

#include <gtest/gtest.h>

#include <QHash>

namespace {

platform::EnvReader envOf(const QString& desktop, const QString& display) {
    return [desktop, display](const char* name) {
        if (qstrcmp(name, "XDG_CURRENT_DESKTOP") == 0) return desktop;
        if (qstrcmp(name, "DISPLAY") == 0) return display;
        return QString();
    };
}

struct ChoiceCase {
    const char* overrideName;
    const char* desktop;
    const char* display;
    const char* expected; // empty: no backend, with a message
};

class BackendChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(BackendChoiceTest, PicksByOverrideThenDesktopThenDisplay) {
    const ChoiceCase& c = GetParam();
    QString error;
    const QString name = platform::chooseDesktopBackendName(
        QString::fromUtf8(c.overrideName), &error, envOf(QString::fromUtf8(c.desktop), QString::fromUtf8(c.display)));
    EXPECT_EQ(name, QString::fromUtf8(c.expected));
    EXPECT_EQ(error.isEmpty(), !name.isEmpty()) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Environments, BackendChoiceTest,
    ::testing::Values(ChoiceCase{"", "GNOME", ":0", "gnome"}, ChoiceCase{"", "ubuntu:GNOME", ":0", "gnome"},
                      ChoiceCase{"", "Budgie:GNOME", "", "gnome"}, ChoiceCase{"", "Unity", ":1", "gnome"},
                      ChoiceCase{"", "gnome", "", "gnome"}, ChoiceCase{"", "X-Cinnamon", ":0", "cinnamon"},
                      ChoiceCase{"", "MATE", ":0", "mate"}, ChoiceCase{"", "XFCE", ":0", "xfce"},
                      ChoiceCase{"", "KDE", ":0", "kde"}, ChoiceCase{"", "LXQt", ":0", "x11"},
                      ChoiceCase{"", "", ":0", "x11"}, ChoiceCase{"", "Openbox", "", ""}, ChoiceCase{"", "", "", ""},
                      ChoiceCase{"", "::", "", ""}, ChoiceCase{"x11", "GNOME", "", "x11"},
                      ChoiceCase{"KDE", "GNOME", ":0", "kde"}, ChoiceCase{" fake ", "", "", "fake"},
                      ChoiceCase{"mate", "", "", "mate"}, ChoiceCase{"windows", "GNOME", ":0", ""}));

TEST(BackendChoice, NoDisplayMessageSaysWhy) {
    QString error;
    EXPECT_EQ(platform::makeDesktopBackend(QString(), &error, envOf(QString(), QString())), nullptr);
    EXPECT_TRUE(error.contains(QLatin1String("DISPLAY is not set"))) << error.toStdString();
}

TEST(BackendChoice, MakesTheNamedBackend) {
    QString error;
    const auto none = envOf(QString(), QString());
    for (const char* name : {"fake", "gnome", "xfce", "kde", "x11"}) {
        auto backend = platform::makeDesktopBackend(QLatin1String(name), &error, none);
        ASSERT_NE(backend, nullptr) << name << ": " << error.toStdString();
        EXPECT_EQ(backend->name(), QLatin1String(name));
    }
    EXPECT_NE(
        dynamic_cast<FakeDesktopBackend*>(platform::makeDesktopBackend(QStringLiteral("fake"), &error, none).get()),
        nullptr);
}

TEST(BackendChoice, MissingSchemaIsAnErrorWhenAskedForAndFallsBackOtherwise) {
    QString error;
    EXPECT_EQ(platform::makeDesktopBackend(QStringLiteral("cinnamon"), &error, envOf(QString(), QStringLiteral(":0"))),
              nullptr);
    EXPECT_TRUE(error.contains(QLatin1String("org.cinnamon.desktop.background"))) << error.toStdString();

    error.clear();
    auto automatic =
        platform::makeDesktopBackend(QString(), &error, envOf(QStringLiteral("X-Cinnamon"), QStringLiteral(":0")));
    ASSERT_NE(automatic, nullptr) << error.toStdString();
    EXPECT_EQ(automatic->name(), QStringLiteral("x11"));

    error.clear();
    EXPECT_EQ(platform::makeDesktopBackend(QString(), &error, envOf(QStringLiteral("MATE"), QString())), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

TEST(ScreenStateChoice, FollowsTheDesktop) {
    QString error;
    auto fake = platform::makeScreenState(QStringLiteral("fake"), &error, envOf(QString(), QString()));
    EXPECT_NE(dynamic_cast<FakeScreenState*>(fake.get()), nullptr);

    auto gnome = platform::makeScreenState(QString(), &error, envOf(QStringLiteral("ubuntu:GNOME"), QString()));
    EXPECT_NE(dynamic_cast<GnomeScreenState*>(gnome.get()), nullptr) << error.toStdString();

    auto x11 = platform::makeScreenState(QString(), &error, envOf(QStringLiteral("XFCE"), QStringLiteral(":0")));
    EXPECT_NE(dynamic_cast<X11ScreenState*>(x11.get()), nullptr) << error.toStdString();

    error.clear();
    EXPECT_EQ(platform::makeScreenState(QString(), &error, envOf(QStringLiteral("XFCE"), QString())), nullptr);
    EXPECT_FALSE(error.isEmpty());

    error.clear();
    EXPECT_EQ(platform::makeScreenState(QString(), &error, envOf(QString(), QString())), nullptr);
    EXPECT_TRUE(error.contains(QLatin1String("DISPLAY is not set"))) << error.toStdString();
}

TEST(FakeDesktopBackend, RecordsCallsAndFailsOnce) {
    FakeDesktopBackend fake;
    QString error;
    ASSERT_TRUE(fake.setWallpaper(QStringLiteral("/t/a.bmp"), true, 0x102030, &error));
    EXPECT_EQ(fake.currentWallpaper(), QStringLiteral("/t/a.bmp"));
    fake.failNextCall(QStringLiteral("widgets are locked"));
    EXPECT_FALSE(fake.setWallpaper(QStringLiteral("/t/b.bmp"), false, 0, &error));
    EXPECT_EQ(error, QStringLiteral("widgets are locked"));
    EXPECT_EQ(fake.currentWallpaper(), QStringLiteral("/t/a.bmp"));
    ASSERT_TRUE(fake.clearWallpaper(0x405060, &error));
    EXPECT_EQ(fake.currentWallpaper(), QString());
    ASSERT_EQ(fake.calls.size(), 3u);
    EXPECT_TRUE(fake.calls[0].tiled);
    EXPECT_EQ(fake.calls[0].background, 0x102030u);
    EXPECT_FALSE(fake.calls[1].succeeded);
    EXPECT_EQ(fake.calls[1].path, QStringLiteral("/t/b.bmp"));
    EXPECT_EQ(fake.calls[2].kind, FakeDesktopBackend::Call::Kind::Clear);
    EXPECT_EQ(fake.calls[2].background, 0x405060u);
    EXPECT_EQ(fake.clearCount(), 1);
}

} // namespace
