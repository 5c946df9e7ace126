// SPDX-License-Identifier: MIT
#include "platform/kde/PlasmaBackend.h"
#include "platform/xfce/XfconfBackend.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <cstdlib>

namespace {

// A session bus of this test run's own, so that xfconfd (started on demand) keeps its
// settings in the test's config folder and nothing reaches a real desktop.
class PrivateBus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) return;
        s_daemon = new QProcess;
        s_daemon->start(daemon,
                        {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!s_daemon->waitForReadyRead(10000)) return;
        const QByteArray address = s_daemon->readLine().trimmed();
        if (address.isEmpty()) return;
        s_oldAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        setenv("DBUS_SESSION_BUS_ADDRESS", address.constData(), 1);
        s_ready = true;
    }
    static void TearDownTestSuite() {
        if (s_daemon) {
            s_daemon->terminate();
            if (!s_daemon->waitForFinished(5000)) s_daemon->kill();
            s_daemon->waitForFinished(5000);
            delete s_daemon;
            s_daemon = nullptr;
        }
        if (s_ready) {
            if (s_oldAddress.isEmpty())
                unsetenv("DBUS_SESSION_BUS_ADDRESS");
            else
                setenv("DBUS_SESSION_BUS_ADDRESS", s_oldAddress.constData(), 1);
        }
        s_ready = false;
    }

    static inline QProcess* s_daemon = nullptr;
    static inline QByteArray s_oldAddress;
    static inline bool s_ready = false;
};

class XfconfTest : public PrivateBus {
protected:
    void SetUp() override {
        if (!s_ready) GTEST_SKIP() << "no dbus-daemon";
        if (QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty()) GTEST_SKIP() << "no xfconf-query";
        query({QStringLiteral("-r"), QStringLiteral("-R"), QStringLiteral("-p"), QStringLiteral("/backdrop")});
    }

    static QString query(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral("xfconf-query"),
                QStringList{QStringLiteral("-c"), QStringLiteral("xfce4-desktop")} + args);
        p.waitForFinished(10000);
        QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        if (out.endsWith(QLatin1Char('\n'))) out.chop(1);
        return out;
    }

    // The backdrops xfdesktop would have made for two monitors.
    static const QStringList& monitors() {
        static const QStringList m{QStringLiteral("/backdrop/screen0/monitorVGA-1/workspace0/"),
                                   QStringLiteral("/backdrop/screen0/monitorHDMI-1/workspace0/")};
        return m;
    }
    static void makeBackdrops() {
        for (const QString& prefix : monitors())
            query({QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("string"), QStringLiteral("-p"),
                   prefix + QStringLiteral("last-image"), QStringLiteral("-s"), QStringLiteral("/usr/share/old.png")});
    }
};

TEST_F(XfconfTest, SetsEveryBackdropAndClears) {
    makeBackdrops();
    XfconfBackend backend;
    for (const bool tiled : {true, false}) {
        const QString path = QStringLiteral("/tmp/wall paper/-muralo32 %1.bmp").arg(tiled);
        QString error;
        ASSERT_TRUE(backend.setWallpaper(path, tiled, 0xFF0000, &error)) << error.toStdString();
        for (const QString& prefix : monitors()) {
            EXPECT_EQ(query({QStringLiteral("-p"), prefix + QStringLiteral("last-image")}), path);
            EXPECT_EQ(query({QStringLiteral("-p"), prefix + QStringLiteral("image-style")}),
                      tiled ? QStringLiteral("2") : QStringLiteral("1"));
        }
        EXPECT_EQ(backend.currentWallpaper(), path);
    }
    const QString rgba = query({QStringLiteral("-p"), monitors().first() + QStringLiteral("rgba1")});
    EXPECT_TRUE(rgba.contains(QLatin1String("1.0"))) << rgba.toStdString();

    QString error;
    ASSERT_TRUE(backend.clearWallpaper(0x000080, &error)) << error.toStdString();
    for (const QString& prefix : monitors())
        EXPECT_EQ(query({QStringLiteral("-p"), prefix + QStringLiteral("image-style")}), QStringLiteral("0"));
    EXPECT_EQ(backend.currentWallpaper(), QString());
}

TEST_F(XfconfTest, NoBackdropIsAnError) {
    XfconfBackend backend;
    QString error;
    EXPECT_FALSE(backend.setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(backend.currentWallpaper(), QString());
}

TEST(Xfconf, MissingProgramIsAnError) {
    XfconfBackend backend(QStringLiteral("no-such-xfconf-query-program"));
    QString error;
    EXPECT_FALSE(backend.setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, &error));
    EXPECT_TRUE(error.contains(QLatin1String("no-such-xfconf-query-program"))) << error.toStdString();
    EXPECT_FALSE(backend.clearWallpaper(0, &error));
}

using PlasmaTest = PrivateBus;

TEST_F(PlasmaTest, NoPlasmaShellIsAnError) {
    if (!s_ready) GTEST_SKIP() << "no dbus-daemon";
    PlasmaBackend backend;
    QString error;
    EXPECT_FALSE(backend.setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(backend.clearWallpaper(0, &error));
    EXPECT_FALSE(error.isEmpty());
}

class PlasmaScriptTest : public ::testing::TestWithParam<bool> {};

// A file name can hold quotes and backslashes; they must stay inside the script's string.
TEST_P(PlasmaScriptTest, PathAndModeSurviveQuoting) {
    const bool tiled = GetParam();
    const QString path = QStringLiteral("/tmp/a\"b\\c'd\n/muralo32.bmp");
    const QString script = PlasmaBackend::setScript(path, tiled, 0x00FF00);
    const QRegularExpression image(QStringLiteral(R"(writeConfig\("Image", ("(?:[^"\\]|\\.)*")\);)"));
    const auto match = image.match(script);
    ASSERT_TRUE(match.hasMatch()) << script.toStdString();
    const QJsonArray parsed = QJsonDocument::fromJson(("[" + match.captured(1) + "]").toUtf8()).array();
    ASSERT_EQ(parsed.size(), 1);
    EXPECT_EQ(QUrl(parsed.first().toString()).toLocalFile(), path);
    EXPECT_TRUE(script.contains(QStringLiteral("writeConfig(\"FillMode\", %1)").arg(tiled ? 3 : 6)));
}

INSTANTIATE_TEST_SUITE_P(TiledOrCentred, PlasmaScriptTest, ::testing::Bool());

TEST(PlasmaConfig, CurrentWallpaperFromPlasmaConfigFile) {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME") + "/plasma-org.kde.plasma.desktop-appletsrc";
    ASSERT_TRUE(mtest::writeFile(config, "[Containments][1]\nplugin=org.kde.panel\n\n"
                                         "[Containments][2][Wallpaper][org.kde.image][General]\n"
                                         "FillMode=3\nImage=file:///tmp/my%20wall.bmp\n"));
    EXPECT_EQ(PlasmaBackend().currentWallpaper(), QStringLiteral("/tmp/my wall.bmp"));
    QFile::remove(config);
    EXPECT_EQ(PlasmaBackend().currentWallpaper(), QString());
}

} // namespace
