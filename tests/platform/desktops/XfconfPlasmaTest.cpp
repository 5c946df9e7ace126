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

#include <memory>

namespace {

// A session bus of this test run's own, so that xfconfd (started on demand) keeps its
// settings in the test's config folder and nothing reaches a real desktop.
class PrivateBus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_daemon = std::make_unique<QProcess>();
        s_daemon->start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (s_daemon->waitForReadyRead(10000)) s_address = s_daemon->readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", s_address);
    }
    static void TearDownTestSuite() {
        s_daemon.reset(); // QProcess kills and waits for its program
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    void SetUp() override {
        if (s_address.isEmpty()) GTEST_SKIP() << "no dbus-daemon";
    }

    static inline std::unique_ptr<QProcess> s_daemon;
    static inline QByteArray s_address;
};

QString xfconfQuery(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xfconf-query"), QStringList{"-c", "xfce4-desktop"} + args);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Without a backdrop (xfdesktop not running) there is nothing to set; with them, every one
// of them is set.
TEST_F(PrivateBus, XfconfSetsEveryBackdropAndClears) {
    if (QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty()) GTEST_SKIP() << "no xfconf-query";
    xfconfQuery({"-r", "-R", "-p", "/backdrop"});
    XfconfBackend backend;
    QString error;
    EXPECT_FALSE(backend.setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(backend.currentWallpaper(), QString());

    // The backdrops xfdesktop would have made for two monitors.
    const QStringList monitors{"/backdrop/screen0/monitorVGA-1/workspace0/",
                               "/backdrop/screen0/monitorHDMI-1/workspace0/"};
    // ... and the user's own colour, which is never ours to change.
    for (const QString& prefix : monitors) {
        xfconfQuery({"-n", "-t", "string", "-p", prefix + "last-image", "-s", "/usr/share/old.png"});
        xfconfQuery({"-n", "-t", "int", "-p", prefix + "color-style", "-s", "1"});
    }
    for (const bool tiled : {true, false}) {
        // A leading dash must not be taken for an option of xfconf-query.
        const QString path = QStringLiteral("/tmp/wall paper/-muralo32 %1.bmp").arg(tiled);
        ASSERT_TRUE(backend.setWallpaper(path, tiled, 0xFF0000, &error)) << error.toStdString();
        for (const QString& prefix : monitors) {
            EXPECT_EQ(xfconfQuery({"-p", prefix + "last-image"}), path);
            EXPECT_EQ(xfconfQuery({"-p", prefix + "image-style"}), tiled ? "2" : "1");
        }
        EXPECT_EQ(backend.currentWallpaper(), path);
    }
    ASSERT_TRUE(backend.clearWallpaper(0x000080, &error)) << error.toStdString();
    for (const QString& prefix : monitors) {
        EXPECT_EQ(xfconfQuery({"-p", prefix + "image-style"}), "0");
        EXPECT_EQ(xfconfQuery({"-p", prefix + "color-style"}), "1");
        EXPECT_EQ(xfconfQuery({"-p", prefix + "rgba1"}), QString()) << "no colour of ours was written";
    }
    EXPECT_EQ(backend.currentWallpaper(), QString());
}

// Without xfconf-query or a Plasma shell on the bus, setting and clearing fail with a reason.
TEST_F(PrivateBus, MissingXfconfOrPlasmaShellIsAnError) {
    const QString program = QStringLiteral("no-such-xfconf-query-program");
    XfconfBackend xfconf(program);
    PlasmaBackend plasma;
    for (const auto& [backend, named] : {std::pair<DesktopBackend*, QString>{&xfconf, program}, {&plasma, ""}}) {
        QString setError, clearError;
        EXPECT_FALSE(backend->setWallpaper(QStringLiteral("/tmp/a.bmp"), true, 0, &setError));
        EXPECT_FALSE(backend->clearWallpaper(0, &clearError));
        EXPECT_FALSE(setError.isEmpty() || clearError.isEmpty());
        EXPECT_TRUE(setError.contains(named)) << setError.toStdString();
    }
}

// A file name can hold quotes and backslashes; they must stay inside the script's string.
TEST(PlasmaScript, PathAndModeSurviveQuoting) {
    const QString path = QStringLiteral("/tmp/a\"b\\c'd\n/muralo32.bmp");
    const QRegularExpression image(QStringLiteral(R"(writeConfig\("Image", ("(?:[^"\\]|\\.)*")\);)"));
    for (const bool tiled : {true, false}) {
        const QString script = PlasmaBackend::setScript(path, tiled);
        EXPECT_FALSE(script.contains("Color")) << "the colour is the user's";
        const auto match = image.match(script);
        ASSERT_TRUE(match.hasMatch()) << script.toStdString();
        const QJsonArray parsed = QJsonDocument::fromJson(("[" + match.captured(1) + "]").toUtf8()).array();
        ASSERT_EQ(parsed.size(), 1);
        EXPECT_EQ(QUrl(parsed.first().toString()).toLocalFile(), path);
        EXPECT_TRUE(script.contains(QStringLiteral("writeConfig(\"FillMode\", %1)").arg(tiled ? 3 : 6)));
    }
}

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
