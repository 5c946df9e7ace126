// SPDX-License-Identifier: MIT
// murctl and the window agree on a queue: a sorted queue is walked in the listed order, a
// folder queue takes no entries, and a command that adds nothing writes nothing.
#include "MurctlRunner.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <gtest/gtest.h>

#include <Magick++.h>

namespace {

class MurctlQueueSafety : public ::testing::Test {
protected:
    void SetUp() override {
        Magick::InitializeMagick(nullptr);
        dir = mtest::freshDir("murctl-safety");
        queue = dir + "/q.qu3";
        env.insert("MURALO_INSTANCE_NAME", "murctl-safety-" + QUuid::createUuid().toString(QUuid::Id128));
        // A desktop that only remembers what it was given: no display is needed.
        ASSERT_TRUE(mtest::writeFile(dir + "/Muralo32.ini", "[Muralo32]\nDesktopBackend=fake\n"));
    }
    QString image(const QString& name) {
        const QString path = dir + "/" + name;
        Magick::Image img{Magick::Geometry(8, 6), Magick::Color("#336699")};
        img.write("PNG24:" + QFile::encodeName(path).toStdString());
        return path;
    }
    MurctlRun run(const QStringList& args) { return murctl(QStringList{"--config", dir} + args, env); }
    // Sets one byte of the queue header as the window's menus would store it.
    void setHeaderByte(int offset, char value) {
        QByteArray bytes = mtest::readFile(queue);
        bytes[offset] = value;
        ASSERT_TRUE(mtest::writeFile(queue, bytes));
    }

    QString dir, queue;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

TEST_F(MurctlQueueSafety, ChangeWalksASortedQueueInTheListedOrder) {
    ASSERT_EQ(run({"queue", "add", queue, image("c.png"), image("a.png"), image("b.png")}).status, 0);
    setHeaderByte(266, 1); // sorted by name
    QStringList shown;
    for (int i = 0; i < 4; ++i) {
        const MurctlRun r = run({"change", "--queue", queue});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        shown << QFileInfo(r.out.trimmed()).fileName();
    }
    EXPECT_EQ(shown, QStringList({"a.png", "b.png", "c.png", "a.png"}));
}

TEST_F(MurctlQueueSafety, AddRefusesAFolderQueueAndWritesNothingWhenNothingIsAdded) {
    const QString img = image("a.png");
    EXPECT_NE(run({"queue", "add", queue, dir + "/missing.png"}).status, 0);
    EXPECT_FALSE(QFileInfo::exists(queue)) << "no image, no queue file";

    ASSERT_EQ(run({"queue", "new", queue}).status, 0);
    setHeaderByte(292, 1); // a folder queue
    const QByteArray before = mtest::readFile(queue);
    const MurctlRun r = run({"queue", "add", queue, img});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("folder queue")) << r.err.toStdString();
    EXPECT_EQ(mtest::readFile(queue), before);
}

} // namespace
