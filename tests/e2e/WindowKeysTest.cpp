// SPDX-License-Identifier: MIT
// The real muralo32 driven as a user drives it, with keys and typing only (xdotool), on a private
// X server with a window manager: an image added through the Add Image(s) dialog is in the queue
// file, and Change Wallpaper Now puts it on the root window.
// Qt and gtest headers come before Xlib's, whose macros clash with them.
#include "../cli/MurctlRunner.h"
#include "settings/SettingsStore.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include "../platform/x11/X11TestSupport.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
// Slow steps (the program's start, the dialog's first directory read) stay well within these.
constexpr int kWindowTimeoutMs = 10000;
constexpr int kScreenTimeoutMs = 10000;

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

// The first visible top-level window whose title matches the pattern (a regular expression), once
// it is there; empty when none came before the deadline.
QString waitForWindow(const QString& titlePattern, int timeoutMs = kWindowTimeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    do {
        const XdotoolRun found = xdotool({"search", "--onlyvisible", "--name", titlePattern});
        if (found.ok && !found.out.isEmpty()) return found.out.section('\n', 0, 0);
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return {};
}

bool waitForWindowGone(const QString& titlePattern) {
    QDeadlineTimer deadline(kWindowTimeoutMs);
    while (!xdotool({"search", "--onlyvisible", "--name", titlePattern}).out.isEmpty()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    return true;
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
        if (program.state() == QProcess::NotRunning) return;
        program.terminate();
        if (!program.waitForFinished(10000)) program.kill();
    }

    std::uint32_t centrePixel() {
        const auto one = x11test::colours(m_x.display, x11test::rootPixmap(m_x.display), 512, 384, 1, 1);
        return one.empty() ? 0xDEADBEEF : one.front();
    }
    // The program's window active, so that keys go to it: asked of the window manager the way a
    // task bar asks, then waited for.
    void activate(const QString& window) {
        ASSERT_TRUE(xdotool({"windowactivate", "--sync", window}).ok);
        QDeadlineTimer deadline(kWindowTimeoutMs);
        while (xdotool({"getactivewindow"}).out != window) {
            ASSERT_FALSE(deadline.hasExpired()) << "the window never became active";
            QThread::msleep(50);
        }
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
    QDeadlineTimer deadline(kScreenTimeoutMs);
    while (centrePixel() != kRed && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(centrePixel(), kRed);
    EXPECT_EQ(run({"--config", dir, "current"}), (image + "\n").toStdString());
    // The one entry, in the queue's file.
    EXPECT_EQ(run({"queue", "list", queue}), ("1\t1\t" + image + "\n").toStdString());
}

} // namespace
