// SPDX-License-Identifier: MIT
// The real muralo32 driven as a user drives it, with keys and typing only (xdotool), on a private
// X server with a window manager: an image added through the Add Image(s) dialog is in the queue
// file, and Change Wallpaper Now puts it on the root window.
// Qt and gtest headers come before Xlib's, whose macros clash with them.
#include "../cli/MurctlRunner.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include "../platform/x11/X11TestSupport.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
// Slow steps (the program's start, the dialog's first directory read, a change) stay well within this.
constexpr int kTimeoutMs = 10000;

// What xdotool printed, and whether it ran and succeeded.
struct XdotoolRun {
    bool ok = false;
    QString out;
};

XdotoolRun xdotool(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    const bool ended = p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit;
    return {ended && p.exitCode() == 0, QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
}

// The ids of the visible top-level windows whose title matches the pattern (a regular expression).
QString visibleWindows(const QString& titlePattern) {
    const XdotoolRun found = xdotool({"search", "--onlyvisible", "--name", titlePattern});
    return found.ok ? found.out : QString();
}

// The first such window, once it is there; empty when none came before the deadline.
QString waitForWindow(const QString& titlePattern) {
    QString window;
    mtest::waitUntil([&] { return !(window = visibleWindows(titlePattern).section('\n', 0, 0)).isEmpty(); }, kTimeoutMs,
                     50);
    return window;
}

bool waitForWindowGone(const QString& titlePattern) {
    return mtest::waitUntil([&] { return visibleWindows(titlePattern).isEmpty(); }, kTimeoutMs, 50);
}

// On the server of the suite, with openbox managing the windows.
class WindowKeys : public x11test::ServerTest<true> {
protected:
    void SetUp() override {
        if (!s_session->isRunning()) GTEST_SKIP() << s_session->errorString().toStdString();
        if (!xdotool({"version"}).ok) GTEST_SKIP() << "xdotool cannot run";
        ServerTest::SetUp();
        // Everything the program and murctl write goes below the test's folder; the runtime folder
        // (the single-instance socket) is the test run's own already, and the test pings through it.
        for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "TMPDIR"}) {
            const QString folder = dir + "/" + QString::fromLatin1(variable).toLower();
            QDir().mkpath(folder);
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            env.insert(variable, folder);
        }
        env.remove("XDG_CURRENT_DESKTOP");
        env.insert("MURALO_INSTANCE_NAME", "e2e-test-" + QUuid::createUuid().toString(QUuid::Id128));
        env.insert("SDL_AUDIODRIVER", "dummy");
        // The root window is what the test reads back, whatever desktop the environment names.
        SettingsStore(dir + "/Muralo32.ini").write("DesktopBackend", "x11");
    }
    void TearDown() override {
        for (QProcess* process : {&program, &tray}) {
            if (process->state() == QProcess::NotRunning) continue;
            process->terminate();
            if (!process->waitForFinished(10000)) process->kill();
        }
    }
    // A queue of one green picture, and the program started on it (minimised, as a queue with
    // images starts) with only the change icon of the tray boxes checked.
    void startOnGreenQueue() {
        SettingsStore settings(dir + "/Muralo32.ini");
        for (const char* name : {"WPTimerIcon", "CLSIcon", "SCTrayIcon", "ChangeAtStartup"})
            settings.write(name, "False");
        settings.write("NewPaperIcon", "True");
        ASSERT_EQ(murctl({"queue", "add", queue, writeBmp(dir + "/green.bmp", 64, 64, kGreen)}, env).status, 0);
        ASSERT_TRUE(startMuralo32(program, env, dir, queue, "xcb")) << program.readAllStandardError().toStdString();
    }
    // The WM_STATE of the program's window as xprop says it ("Normal", "Iconic", "Withdrawn") and
    // the window's id; "none" when no window of ours has one (tray icon windows never have one).
    std::pair<QString, QString> windowState() {
        const XdotoolRun found = xdotool({"search", "--name", "^Muralo32 Wallpaper Manager$"});
        for (const QString& id : found.out.split('\n', Qt::SkipEmptyParts)) {
            QProcess xprop;
            xprop.start("xprop", {"-id", id, "WM_STATE"});
            xprop.waitForFinished(5000);
            const QString state = QString::fromUtf8(xprop.readAllStandardOutput());
            if (state.contains("window state:"))
                return {state.section("window state:", 1).section('\n', 0, 0).trimmed(), id};
        }
        return {QStringLiteral("none"), {}};
    }

    std::uint32_t centrePixel() {
        const auto one = x11test::colours(m_x.display, x11test::rootPixmap(m_x.display), 512, 384, 1, 1);
        return one.empty() ? 0xDEADBEEF : one.front();
    }
    // The centre of the screen turns to the colour within the time a change takes.
    void expectCentreTurns(std::uint32_t colour) {
        mtest::waitUntil([&] { return centrePixel() == colour; }, kTimeoutMs, 50);
        EXPECT_EQ(centrePixel(), colour);
    }
    // The program's window active, so that keys go to it: asked of the window manager the way a
    // task bar asks, then waited for.
    void activate(const QString& window) {
        ASSERT_TRUE(xdotool({"windowactivate", "--sync", window}).ok);
        ASSERT_TRUE(mtest::waitUntil([&] { return xdotool({"getactivewindow"}).out == window; }, kTimeoutMs, 50))
            << "the window never became active";
    }
    std::string run(const QStringList& murctlArgs) {
        const MurctlRun r = murctl(murctlArgs, env);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        return r.out.toStdString();
    }

    QString dir = mtest::freshDir("window-keys");
    QString queue = dir + "/q.qu3";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess program;
    QProcess tray;
};

TEST_F(WindowKeys, AddAnImageThroughTheFileDialogAndChangeToIt) {
    const QString image = writeBmp(dir + "/red.bmp", 64, 64, kRed);
    ASSERT_EQ(murctl({"queue", "new", queue}, env).status, 0);
    ASSERT_TRUE(startMuralo32(program, env, dir, queue, "xcb")) << program.readAllStandardError().toStdString();
    // An empty queue opens the window, not the tray or a minimised window.
    const QString window = waitForWindow("^Muralo32 Wallpaper Manager$");
    ASSERT_FALSE(window.isEmpty()) << "the main window never showed";
    ASSERT_NE(centrePixel(), kRed);

    ASSERT_NO_FATAL_FAILURE(activate(window));
    ASSERT_TRUE(xdotool({"key", "ctrl+a"}).ok);
    // The dialog opens with its file name box focused: the whole path names the file.
    ASSERT_FALSE(waitForWindow("^Add Image\\(s\\)$").isEmpty()) << "ctrl+a opened no Add Image(s) dialog";
    ASSERT_TRUE(xdotool({"type", "--delay", "10", image}).ok);
    ASSERT_TRUE(xdotool({"key", "Return"}).ok);
    ASSERT_TRUE(waitForWindowGone("^Add Image\\(s\\)$")) << "the dialog did not take the typed path";

    ASSERT_NO_FATAL_FAILURE(activate(window));
    ASSERT_TRUE(xdotool({"key", "ctrl+w"}).ok);
    // A square picture fitted to a 1024 x 768 screen covers its centre.
    expectCentreTurns(kRed);
    EXPECT_EQ(run({"--config", dir, "current"}), (image + "\n").toStdString());
    // The one entry, in the queue's file.
    EXPECT_EQ(run({"queue", "list", queue}), ("1\t1\t" + image + "\n").toStdString());
}

} // namespace

// With a notification area (trayer, an XEmbed tray): the icon sits in it, a click on it changes
// the wallpaper, and the program started with images lives in the tray with no window shown.
TEST_F(WindowKeys, TheChangeIconSitsInTheTrayAndChangesTheWallpaper) {
    tray.start("trayer", {"--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24"});
    if (!tray.waitForStarted(5000)) GTEST_SKIP() << "trayer cannot run";
    ASSERT_FALSE(waitForWindow("^panel$").isEmpty()) << "the tray never showed";
    ASSERT_NO_FATAL_FAILURE(startOnGreenQueue());
    // The icon: a window of ours inside the tray's panel.
    QString icon;
    const auto findIcon = [&icon] {
        QProcess tree;
        tree.start("xwininfo", {"-tree", "-id", waitForWindow("^panel$")});
        tree.waitForFinished(5000);
        for (const QString& line : QString::fromUtf8(tree.readAllStandardOutput()).split('\n'))
            if (line.contains("\"Muralo32 Wallpaper Manager\"")) icon = line.trimmed().section(' ', 0, 0);
        return !icon.isEmpty();
    };
    ASSERT_TRUE(mtest::waitUntil(findIcon, kTimeoutMs, 100)) << "no icon of ours in the tray";
    // A withdrawn window may keep its state as Withdrawn or lose it.
    const QString state = windowState().first;
    EXPECT_TRUE(state == "Withdrawn" || state == "none")
        << state.toStdString() << ": a window is shown although the program lives in the tray";
    ASSERT_NE(centrePixel(), kGreen);
    ASSERT_TRUE(xdotool({"mousemove", "--window", icon, "10", "10", "click", "1"}).ok);
    expectCentreTurns(kGreen);
}

// Without a notification area, a program started with images is minimised, never withdrawn, and so
// is a window the user minimises: the window manager still offers it.
TEST_F(WindowKeys, WithoutATrayTheWindowIsNeverWithdrawn) {
    ASSERT_NO_FATAL_FAILURE(startOnGreenQueue());
    const auto settlesAs = [this](const QString& wanted) {
        mtest::waitUntil([&] { return windowState().first == wanted; }, kTimeoutMs, 50);
        // Hiding would follow the minimise at once: give it the time to happen.
        QThread::msleep(300);
        return windowState().first;
    };
    EXPECT_EQ(settlesAs("Iconic"), "Iconic");
    const QString window = windowState().second;
    ASSERT_FALSE(window.isEmpty());
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", window}).ok);
    EXPECT_EQ(settlesAs("Normal"), "Normal");
    ASSERT_TRUE(xdotool({"windowminimize", "--sync", window}).ok);
    EXPECT_EQ(settlesAs("Iconic"), "Iconic");
}
