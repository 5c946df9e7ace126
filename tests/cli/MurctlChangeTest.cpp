// SPDX-License-Identifier: MIT
// murctl change, current, clear and render end to end on a real X server: that the commands
// reach the engine, the root window and the running program. Where a picture lands on the
// screen is the root backend's test, the order of a queue the engine's.
// Qt and gtest headers come before Xlib's, whose macros clash with them.
#include "MurctlRunner.h"

#include <QFile>
#include <QJsonObject>
#include <QThread>
#include <QUuid>

#include "startup/SingleInstance.h"

#include <Magick++.h>
#include <gtest/gtest.h>

#include "../platform/x11/X11TestSupport.h"

namespace {

// The desktop colour the program shows around a centred picture and after a clear.
constexpr std::uint32_t kDesktopColour = 0x3A6EA5;

// On a bare 1024 x 768 server, whose DISPLAY the environment already names.
class MurctlChange : public x11test::ServerTest<false> {
protected:
    static void SetUpTestSuite() {
        Magick::InitializeMagick(nullptr);
        ServerTest::SetUpTestSuite();
    }
    void SetUp() override {
        ServerTest::SetUp();
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
    // Small pictures, which the queue's rules fit to the screen: a red one that fills it
    // and a blue one of another shape, centred.
    QStringList makeQueue() {
        const QStringList images{image("red.png", 64, 48, "#ff0000"), image("blue.png", 100, 80, "#0000ff")};
        EXPECT_EQ(run(QStringList{"queue", "add", queue} + images).status, 0);
        return images;
    }
    MurctlRun run(const QStringList& args) { return murctl(QStringList{"--config", dir} + args, env); }
    std::uint32_t rootPixel(int x, int y) {
        return x11test::pixelAt(m_x.display, x11test::rootPixmap(m_x.display), x, y).value_or(0xDEADBEEF);
    }
    // A change prints the image it shows, which the screen and murctl current then show.
    void expectChange(const QStringList& args, const QString& image, std::uint32_t colour) {
        const MurctlRun r = run(args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed(), image);
        EXPECT_EQ(rootPixel(512, 384), colour);
        EXPECT_EQ(run({"current", "--json"}).json().object()["current"].toString(), image);
    }
    void expectClear() {
        const MurctlRun r = run({"clear"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(rootPixel(512, 384), kDesktopColour);
        EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
    }
    bool startProgram(QProcess& program) {
        QProcessEnvironment programEnv = env;
        programEnv.insert("MURALO_CONFIG_DIR", dir);
        programEnv.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(programEnv);
        program.start(mtest::builtProgram("muralo32"), {queue});
        for (int i = 0; i < 100 && program.waitForStarted(); ++i) {
            if (sendInstanceRequest(QJsonObject{{"cmd", "ping"}}, 1000, env.value("MURALO_INSTANCE_NAME"))) return true;
            QThread::msleep(100);
        }
        return false;
    }

    QString dir = mtest::freshDir("change");
    QString queue = dir + "/q.qu3";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

// With the program running, murctl hands the commands over and the program does them.
TEST_F(MurctlChange, ChangeCurrentAndClearAloneAndThroughTheRunningProgram) {
    const QStringList images = makeQueue();
    {
        SCOPED_TRACE("murctl alone");
        expectChange({"change", "--queue", queue}, images[0], 0xFF0000);
        expectChange({"change", "--queue", queue}, images[1], 0x0000FF);
        EXPECT_EQ(rootPixel(5, 5), kDesktopColour);
        expectClear();
    }
    QProcess program;
    ASSERT_TRUE(startProgram(program)) << program.readAllStandardError().toStdString();
    {
        SCOPED_TRACE("through the running program");
        expectChange({"change"}, images[0], 0xFF0000);
        expectClear();
        // Another queue is not changed behind the running program's back.
        const MurctlRun r = run({"change", "--queue", dir + "/other.qu3"});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.contains("running with the queue")) << r.err.toStdString();
    }
    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
}

TEST_F(MurctlChange, EmptyQueueAndNoDisplayAreOneLineFailures) {
    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    MurctlRun r = run({"change", "--queue", queue});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("nothing to show")) << r.err.toStdString();

    env.remove("DISPLAY");
    r = run({"change", "--queue", queue});
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("DISPLAY")) << r.err.toStdString();
}

TEST_F(MurctlChange, RenderWritesTheBitmapAndLeavesTheDesktopAlone) {
    const QString img = image("wide.png", 800, 600, "#00ff00");
    ASSERT_EQ(run({"--screen", "1024x768", "queue", "add", queue, img}).status, 0);
    const QByteArray queueBefore = mtest::readFile(queue);
    const QString currentBefore = run({"current"}).out;
    const std::uint32_t pixelBefore = rootPixel(512, 384);
    const QString out = dir + "/out.bmp";
    const MurctlRun r = run(
        {"render", "--queue", queue, "--entry", "1", "--out", out, "--screen", "1024x768", "--depth", "8", "--json"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = r.json().object();
    EXPECT_EQ(o["width"].toInt(), 1024);
    EXPECT_EQ(o["height"].toInt(), 768);
    EXPECT_EQ(o["bits_per_pixel"].toInt(), 8);
    EXPECT_EQ(mtest::readFile(out).left(2), "BM");
    EXPECT_EQ(mtest::readFile(queue), queueBefore);
    EXPECT_EQ(run({"current"}).out, currentBefore);
    EXPECT_EQ(rootPixel(512, 384), pixelBefore);
}

} // namespace
