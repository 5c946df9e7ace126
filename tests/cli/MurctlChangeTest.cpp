// SPDX-License-Identifier: MIT
// murctl change, current, clear and render end to end on a real X server: that the commands
// reach the engine, the root window and the running program. Where a picture lands on the
// screen is the root backend's test, the order of a queue the engine's.
// Qt and gtest headers come before Xlib's, whose macros clash with them.
#include "MurctlRunner.h"

#include <QUuid>

#include <gtest/gtest.h>

#include "../platform/x11/X11TestSupport.h"

namespace {

// The desktop colour the program shows around a centred picture and after a clear.
constexpr std::uint32_t kDesktopColour = 0x3A6EA5;

// On a bare 1024 x 768 server, whose DISPLAY the environment already names.
class MurctlChange : public x11test::ServerTest<false> {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        env.remove("XDG_CURRENT_DESKTOP");
        env.insert("MURALO_INSTANCE_NAME", "murctl-test-" + QUuid::createUuid().toString(QUuid::Id128));
        env.insert("SDL_AUDIODRIVER", "dummy");
    }

    MurctlRun run(const QStringList& args) { return murctl(QStringList{"--config", dir} + args, env); }
    std::uint32_t rootPixel(int x, int y) {
        const auto one = x11test::colours(m_x.display, x11test::rootPixmap(m_x.display), x, y, 1, 1);
        return one.empty() ? 0xDEADBEEF : one.front();
    }
    // A change prints the image it shows, which the screen and murctl current then show.
    void expectChange(const QStringList& args, const QString& image, std::uint32_t colour) {
        const MurctlRun r = run(args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(std::tuple(r.out.trimmed(), rootPixel(512, 384)), std::tuple(image, colour));
        EXPECT_EQ(run({"current", "--json"}).json().object()["current"].toString(), image);
    }
    void expectClear() {
        const MurctlRun r = run({"clear"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(rootPixel(512, 384), kDesktopColour);
        EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
    }

    QString dir = mtest::freshDir("change");
    QString queue = dir + "/q.qu3";
    QString emptyQueue = dir + "/empty.qu3";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

// Small pictures, which the queue's rules fit to the screen: a red one that fills it and a
// blue one of another shape, centred. With the program running, murctl hands the commands over.
TEST_F(MurctlChange, ChangeRenderAndClearAloneAndThroughTheRunningProgram) {
    const QStringList images{writeBmp(dir + "/red.bmp", 64, 48, 0xFF0000),
                             writeBmp(dir + "/blue.bmp", 100, 80, 0x0000FF)};
    ASSERT_EQ(run(QStringList{"queue", "add", queue} + images).status, 0);
    {
        SCOPED_TRACE("murctl alone");
        expectChange({"change", "--queue", queue}, images[0], 0xFF0000);
        expectChange({"change", "--queue", queue}, images[1], 0x0000FF);
        EXPECT_EQ(rootPixel(5, 5), kDesktopColour);
        expectClear();
    }
    {
        SCOPED_TRACE("render leaves the queue and the desktop alone");
        const QByteArray queueBefore = mtest::readFile(queue);
        const MurctlRun r = run({"render", "--queue", queue, "--entry", "1", "--out", dir + "/out.bmp", "--screen",
                                 "1024x768", "--depth", "8", "--json"});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QJsonObject o = r.json().object();
        EXPECT_EQ(std::vector({o["width"].toInt(), o["height"].toInt(), o["bits_per_pixel"].toInt()}),
                  std::vector({1024, 768, 8}));
        EXPECT_EQ(mtest::readFile(dir + "/out.bmp").left(2), "BM");
        EXPECT_EQ(mtest::readFile(queue), queueBefore);
        EXPECT_EQ(run({"current"}).out.trimmed(), "(None)");
        EXPECT_EQ(rootPixel(512, 384), kDesktopColour);
    }
    {
        SCOPED_TRACE("failures");
        ASSERT_EQ(run({"queue", "new", emptyQueue}).status, 0);
        EXPECT_TRUE(failsNaming(run({"change", "--queue", emptyQueue}), {"nothing to show"}));
        env.remove("DISPLAY");
        EXPECT_TRUE(failsNaming(run({"change", "--queue", queue}), {"DISPLAY"}));
        env.insert("DISPLAY", s_session->displayName());
    }
    QProcess program;
    ASSERT_TRUE(startMuralo32(program, env, dir, queue, "xcb")) << program.readAllStandardError().toStdString();
    SCOPED_TRACE("through the running program");
    expectChange({"change"}, images[0], 0xFF0000);
    expectClear();
    program.terminate();
    if (!program.waitForFinished(10000)) program.kill();
}

} // namespace
