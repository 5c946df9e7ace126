// SPDX-License-Identifier: MIT
// murctl and the window agree on a queue: a sorted queue is walked in the listed order, a
// folder queue takes no entries, a command that adds nothing writes nothing, and edits of the
// queue the program has open are made by the program.
#include "MurctlRunner.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QThread>
#include <QUuid>

#include "startup/SingleInstance.h"

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

// While muralo32 has the queue open, murctl's edits go to it: the program's next change (which
// writes its header) keeps them, and its next add does not reuse a record.
TEST_F(MurctlQueueSafety, EditsOfTheQueueTheProgramHasOpenAreMadeByTheProgram) {
    ASSERT_EQ(run({"queue", "add", queue, image("a.png")}).status, 0);
    QProcessEnvironment programEnv = env;
    programEnv.insert("MURALO_CONFIG_DIR", dir);
    programEnv.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess program;
    program.setProcessEnvironment(programEnv);
    program.start(mtest::builtProgram("muralo32"), {queue});
    const QString instance = env.value("MURALO_INSTANCE_NAME");
    QDeadlineTimer deadline(60000);
    while (!sendInstanceRequest(QJsonObject{{"cmd", "ping"}}, 1000, instance) && !deadline.hasExpired())
        QThread::msleep(50);
    ASSERT_FALSE(deadline.hasExpired()) << "muralo32 did not start";

    const MurctlRun added = run({"queue", "add", queue, image("b.png"), image("c.png")});
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_EQ(added.out.count("added "), 2);
    ASSERT_EQ(run({"change"}).status, 0);
    ASSERT_EQ(run({"queue", "delete", queue, "1"}).status, 0);
    ASSERT_EQ(run({"change"}).status, 0);
    const MurctlRun listed = run({"queue", "list", queue});
    const QStringList rows = listed.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 2) << listed.out.toStdString();
    EXPECT_TRUE(rows[0].startsWith("1\t2\t") && rows[0].endsWith("b.png")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith("2\t3\t") && rows[1].endsWith("c.png")) << rows[1].toStdString();
    const MurctlRun third = run({"queue", "add", queue, image("d.png")});
    EXPECT_TRUE(third.out.startsWith("added 3\t1\t")) << "record 1 is free again: " << third.out.toStdString();
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(30000));
}

} // namespace
