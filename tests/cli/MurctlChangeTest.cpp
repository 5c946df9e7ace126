// SPDX-License-Identifier: MIT
// murctl change, current, clear and render end to end, on a real X server.
// Qt and gtest headers come before Xlib's, whose macros clash with them.
#include "MurctlRunner.h"
#include "XvfbSession.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QThread>
#include <QUuid>

#include "startup/SingleInstance.h"

#include <Magick++.h>
#include <gtest/gtest.h>

#include "../platform/x11/X11TestSupport.h"

#include <X11/Xatom.h>

namespace {

class MurctlChange : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Magick::InitializeMagick(nullptr); }

    void SetUp() override {
        XvfbSession::Options o;
        o.size = QSize(640, 480);
        xvfb = std::make_unique<XvfbSession>(o);
        ASSERT_TRUE(xvfb->isRunning()) << xvfb->errorString().toStdString();
        dir = mtest::freshDir("change");
        queue = dir + "/q.qu3";
        env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", xvfb->displayName());
        env.remove("XDG_CURRENT_DESKTOP");
        env.insert("MURALO_INSTANCE_NAME", "murctl-test-" + QUuid::createUuid().toString(QUuid::Id128));
        env.insert("SDL_AUDIODRIVER", "dummy");
    }

    QString image(const QString& name, int w, int h, const char* colour) {
        const QString path = dir + "/" + name;
        Magick::Image img{Magick::Geometry(unsigned(w), unsigned(h)), Magick::Color(colour)};
        img.write("PNG24:" + QFile::encodeName(path).toStdString());
        return path;
    }
    MurctlRun run(const QStringList& args) { return murctl(QStringList{"--config", dir} + args, env); }
    std::uint32_t rootPixel(int x, int y) {
        x11test::Connection c;
        const Pixmap pm = x11test::rootLong(c.display, "_XROOTPMAP_ID", XA_PIXMAP);
        return x11test::pixelAt(c.display, pm, x, y).value_or(0xDEADBEEF) & 0xFFFFFF;
    }

    std::unique_ptr<XvfbSession> xvfb;
    QString dir, queue;
    QProcessEnvironment env;
};

TEST_F(MurctlChange, ChangesCurrentAndClearsOnTheRootWindow) {
    const QString red = image("red.png", 64, 48, "#ff0000");
    const QString blue = image("blue.png", 100, 80, "#0000ff");
    ASSERT_EQ(run({"--screen", "640x480", "queue", "add", queue, red, blue}).status, 0);
    // Both keep their size; red is tiled, blue shown once.
    {
        QFile f(queue);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        for (int record = 1; record <= 2; ++record) {
            f.seek(25600 + record * 5120 + 269);
            f.write(QByteArray(1, 2)); // resize mode: none
            f.seek(25600 + record * 5120 + 260);
            f.write(QByteArray(1, record == 1 ? 1 : 0)); // tiled flag
        }
    }

    MurctlRun r = run({"change", "--queue", queue});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), red);
    EXPECT_EQ(rootPixel(0, 0), 0xFF0000u);
    EXPECT_EQ(rootPixel(64 * 3 + 5, 48 * 4 + 5), 0xFF0000u); // a later tile
    EXPECT_EQ(run({"current"}).out.trimmed(), red);

    r = run({"change", "--queue", queue});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), blue);
    EXPECT_EQ(rootPixel(320, 240), 0x0000FFu); // centred
    EXPECT_EQ(rootPixel(5, 5), 0x3A6EA5u);     // the desktop colour around it
    EXPECT_EQ(run({"current", "--json"}).json().object()["current"].toString(), blue);
    EXPECT_EQ(mtest::readFile(queue)[4], 2); // the position is saved

    r = run({"clear"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rootPixel(320, 240), 0x3A6EA5u);
    EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
}

// With the program running, murctl hands the commands over and the program does them.
TEST_F(MurctlChange, RunningProgramTakesChangeCurrentAndClear) {
    const QString red = image("red.png", 64, 48, "#ff0000");
    const QString blue = image("blue.png", 100, 80, "#0000ff");
    ASSERT_EQ(run({"--screen", "640x480", "queue", "add", queue, red, blue}).status, 0);
    {
        QFile f(queue);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(25600 + 5120 + 269);
        f.write(QByteArray(1, 2)); // entry 1 keeps its size
    }
    QProcess program;
    QProcessEnvironment programEnv = env;
    programEnv.insert("MURALO_CONFIG_DIR", dir);
    programEnv.insert("QT_QPA_PLATFORM", "xcb");
    program.setProcessEnvironment(programEnv);
    program.start(mtest::builtProgram("muralo32"), {queue});
    ASSERT_TRUE(program.waitForStarted());
    const QString name = env.value("MURALO_INSTANCE_NAME");
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
        up = sendInstanceRequest(QJsonObject{{"cmd", "ping"}}, 1000, name).has_value();
        if (!up) QThread::msleep(100);
    }
    ASSERT_TRUE(up) << program.readAllStandardError().toStdString();

    MurctlRun r = run({"change"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), red);
    EXPECT_EQ(rootPixel(320, 240), 0xFF0000u);
    EXPECT_EQ(mtest::readFile(queue)[4], 1); // the running program saved its position
    EXPECT_EQ(run({"current"}).out.trimmed(), red);
    r = run({"clear"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rootPixel(320, 240), 0x3A6EA5u);
    EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
    // Another queue is not changed behind the running program's back.
    r = run({"change", "--queue", dir + "/other.qu3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("running with the queue")) << r.err.toStdString();

    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
}

TEST_F(MurctlChange, EmptyQueueIsAClearFailure) {
    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    const MurctlRun r = run({"change", "--queue", queue});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("nothing to show")) << r.err.toStdString();
}

TEST_F(MurctlChange, NoDisplayIsAClearFailure) {
    const QString red = image("red.png", 10, 10, "#ff0000");
    ASSERT_EQ(run({"--screen", "640x480", "queue", "add", queue, red}).status, 0);
    env.remove("DISPLAY");
    const MurctlRun r = run({"change", "--queue", queue});
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("DISPLAY")) << r.err.toStdString();
}

TEST_F(MurctlChange, RenderWritesTheBitmapAndLeavesTheDesktopAlone) {
    const QString img = image("wide.png", 800, 600, "#00ff00");
    ASSERT_EQ(run({"--screen", "1024x768", "queue", "add", queue, img}).status, 0);
    const QByteArray queueBefore = mtest::readFile(queue);
    const QString out = dir + "/out.bmp";
    const MurctlRun r = run(
        {"render", "--queue", queue, "--entry", "1", "--out", out, "--screen", "1024x768", "--depth", "8", "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = r.json().object();
    EXPECT_EQ(o["width"].toInt(), 1024);
    EXPECT_EQ(o["height"].toInt(), 768);
    EXPECT_EQ(o["bits_per_pixel"].toInt(), 8);
    const QByteArray bmp = mtest::readFile(out);
    ASSERT_GT(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(mtest::readFile(queue), queueBefore);
    EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
}

} // namespace
