// SPDX-License-Identifier: MIT
// murctl change, current, clear and render end to end, on a real X server.
// Qt and gtest headers come before Xlib's, whose macros clash with them.
#include "MurctlRunner.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QThread>
#include <QUuid>

#include "startup/SingleInstance.h"

#include <Magick++.h>
#include <gtest/gtest.h>

#include "../platform/x11/X11TestSupport.h"

#include <memory>

namespace {

// The desktop colour the program shows around a centred picture and after a clear.
constexpr std::uint32_t kDesktopColour = 0x3A6EA5;

// On a bare 1024 x 768 server.
class MurctlChange : public x11test::ServerTest<false> {
protected:
    static void SetUpTestSuite() {
        Magick::InitializeMagick(nullptr);
        ServerTest::SetUpTestSuite();
    }
    void SetUp() override {
        ServerTest::SetUp();
        dir = mtest::freshDir("change");
        queue = dir + "/q.qu3";
        env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", s_session->displayName());
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
    // A red 64 x 48 and a blue 100 x 80 picture in the queue.
    QStringList makeQueue() {
        const QStringList images{image("red.png", 64, 48, "#ff0000"), image("blue.png", 100, 80, "#0000ff")};
        EXPECT_EQ(run(QStringList{"queue", "add", queue} + images).status, 0);
        return images;
    }
    void setRecordByte(int record, int offset, char value) {
        QFile f(queue);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(25600 + record * 5120 + offset);
        f.write(QByteArray(1, value));
    }
    MurctlRun run(const QStringList& args) { return murctl(QStringList{"--config", dir} + args, env); }
    std::uint32_t rootPixel(int x, int y) {
        return x11test::pixelAt(m_x.display, x11test::rootPixmap(m_x.display), x, y).value_or(0xDEADBEEF);
    }

    QString dir;
    QString queue;
    QProcessEnvironment env;
};

TEST_F(MurctlChange, ChangesCurrentAndClearsOnTheRootWindow) {
    const QStringList images = makeQueue();
    // Both keep their size (resize mode 2); red is tiled, blue shown once.
    for (const int record : {1, 2}) {
        setRecordByte(record, 269, 2);
        setRecordByte(record, 260, record == 1 ? 1 : 0);
    }
    MurctlRun r = run({"change", "--queue", queue});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), images[0]);
    EXPECT_EQ(rootPixel(0, 0), 0xFF0000u);
    EXPECT_EQ(rootPixel(64 * 3 + 5, 48 * 4 + 5), 0xFF0000u); // a later tile
    EXPECT_EQ(run({"current"}).out.trimmed(), images[0]);

    r = run({"change", "--queue", queue});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), images[1]);
    EXPECT_EQ(rootPixel(512, 384), 0x0000FFu); // centred
    EXPECT_EQ(rootPixel(5, 5), kDesktopColour);
    EXPECT_EQ(run({"current", "--json"}).json().object()["current"].toString(), images[1]);
    EXPECT_EQ(mtest::readFile(queue)[4], 2); // the position is saved

    r = run({"clear"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rootPixel(512, 384), kDesktopColour);
    EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
}

// With the program running, murctl hands the commands over and the program does them.
TEST_F(MurctlChange, RunningProgramTakesChangeCurrentAndClear) {
    const QStringList images = makeQueue();
    setRecordByte(1, 269, 2); // entry 1 keeps its size
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
    EXPECT_EQ(r.out.trimmed(), images[0]);
    EXPECT_EQ(rootPixel(512, 384), 0xFF0000u);
    EXPECT_EQ(mtest::readFile(queue)[4], 1); // the running program saved its position
    EXPECT_EQ(run({"current"}).out.trimmed(), images[0]);
    r = run({"clear"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rootPixel(512, 384), kDesktopColour);
    EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
    // Another queue is not changed behind the running program's back.
    r = run({"change", "--queue", dir + "/other.qu3"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("running with the queue")) << r.err.toStdString();

    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
}

TEST_F(MurctlChange, EmptyQueueAndNoDisplayAreClearFailures) {
    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    MurctlRun r = run({"change", "--queue", queue});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("nothing to show")) << r.err.toStdString();

    makeQueue();
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
