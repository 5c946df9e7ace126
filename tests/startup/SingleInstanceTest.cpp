// SPDX-License-Identifier: MIT
#include "startup/SingleInstance.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>

#include <QThread>
#include <QUuid>
#include <csignal>

#include <future>
#include <memory>
#include <vector>

namespace {

QString uniqueName(const QString& tag) {
    return "muralo32-test-" + tag + "-" + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: the servers of every test run on its event loop.
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    return *QCoreApplication::instance();
}

// Runs work on another thread while this one serves the event loop: a blocking client and the
// server it talks to cannot share a thread.
template <typename Work> auto whileServing(Work work) {
    application();
    auto future = std::async(std::launch::async, work);
    while (future.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return future.get();
}

QJsonObject cmd(const QString& name) {
    return QJsonObject{{"cmd", name}};
}

TEST(InstanceServer, SecondListenOnTheSameNameFails) {
    application();
    const QString name = uniqueName("listen");
    InstanceServer first;
    InstanceServer second;
    EXPECT_EQ(first.listen(name), InstanceServer::ListenResult::Listening);
    EXPECT_EQ(second.listen(name), InstanceServer::ListenResult::AlreadyRunning);
}

TEST(InstanceServer, AnswersRequestsLineByLine) {
    application();
    const QString name = uniqueName("answer");
    InstanceServer server;
    ASSERT_EQ(server.listen(name), InstanceServer::ListenResult::Listening);

    // Before a handler is set, requests get an error answer rather than silence.
    const auto early = whileServing([&] { return sendInstanceRequest(cmd("activate"), 5000, name); });
    ASSERT_TRUE(early.has_value());
    EXPECT_FALSE(early->value("ok").toBool());
    EXPECT_FALSE(early->value("error").toString().isEmpty());

    std::vector<QJsonObject> seen;
    server.setHandler([&seen](const QJsonObject& request) {
        seen.push_back(request);
        return QJsonObject{{"ok", true}, {"echo", request.value("cmd")}};
    });
    const auto answer = whileServing([&] {
        return sendInstanceRequest(QJsonObject{{"cmd", "load"}, {"file", "/a b.qu3"}}, 5000, name);
    });
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->value("ok").toBool());
    EXPECT_EQ(answer->value("echo").toString(), u"load");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.front().value("file").toString(), u"/a b.qu3");
}

TEST(InstanceServer, MalformedAndOverlongInputDoesNotStopTheServer) {
    application();
    const QString name = uniqueName("malformed");
    InstanceServer server;
    ASSERT_EQ(server.listen(name), InstanceServer::ListenResult::Listening);
    server.setHandler([](const QJsonObject&) { return QJsonObject{{"ok", true}}; });

    const QByteArray malformedAnswer = whileServing([&] {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(name);
        if (!socket.waitForConnected(5000)) return QByteArray("no connection");
        socket.write("[1,2,3]\n");
        socket.waitForBytesWritten(5000);
        QDeadlineTimer deadline(5000);
        while (!socket.canReadLine() && !deadline.hasExpired())
            socket.waitForReadyRead(100);
        return socket.readLine();
    });
    EXPECT_TRUE(malformedAnswer.contains("\"ok\":false")) << malformedAnswer.constData();

    const bool droppedFlood = whileServing([&] {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(name);
        if (!socket.waitForConnected(5000)) return false;
        const QByteArray flood(256 * 1024, 'x');
        socket.write(flood);
        QDeadlineTimer deadline(10000);
        while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
            socket.waitForBytesWritten(100);
            socket.waitForReadyRead(100);
        }
        return socket.state() != QLocalSocket::ConnectedState;
    });
    EXPECT_TRUE(droppedFlood);

    const auto answer = whileServing([&] { return sendInstanceRequest(cmd("ping"), 5000, name); });
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->value("ok").toBool());
}

TEST(InstanceServer, NobodyListeningMeansNoAnswer) {
    EXPECT_EQ(sendInstanceRequest(cmd("ping"), 2000, uniqueName("nobody")), std::nullopt);
}

TEST(InstanceServer, ClaimHandsOverThenTakesTheFreedName) {
    application();
    const QString name = uniqueName("claim");
    auto first = std::make_unique<InstanceServer>();
    EXPECT_EQ(claimInstance(*first, cmd("activate"), 5000, name), InstanceClaim::First);
    int activations = 0;
    first->setHandler([&activations](const QJsonObject& request) {
        if (request.value("cmd").toString() == u"activate") ++activations;
        return QJsonObject{{"ok", true}};
    });
    InstanceServer second;
    EXPECT_EQ(whileServing([&] { return claimInstance(second, cmd("activate"), 5000, name); }),
              InstanceClaim::HandedOver);
    EXPECT_EQ(activations, 1);

    first.reset();
    EXPECT_EQ(claimInstance(second, cmd("activate"), 5000, name), InstanceClaim::First);
}

QString muralo32Program() {
    // mtest::builtProgram is compiled without MURALO_BIN_DIR (it lives in the shared test
    // library), so it finds the program only on PATH; this test target has the folder.
#ifdef MURALO_BIN_DIR
    return QStringLiteral(MURALO_BIN_DIR) + QStringLiteral("/muralo32");
#else
    return mtest::builtProgram("muralo32");
#endif
}

// Real muralo32 processes: the hand-over is between processes, and a crash must leave nothing behind.
class Muralo32Processes : public testing::Test {
protected:
    void SetUp() override {
        m_name = uniqueName("proc");
        m_config = mtest::freshDir("proc-config");
    }
    void TearDown() override {
        for (auto& process : m_processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(10000);
            }
        }
    }

    QProcess& start(const QStringList& arguments = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("MURALO_INSTANCE_NAME", m_name);
        env.insert("MURALO_CONFIG_DIR", m_config);
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->setProgram(muralo32Program());
        process->setArguments(arguments);
        process->start();
        EXPECT_TRUE(process->waitForStarted(10000));
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }

    // The pid of the instance that answers, once one does (start-up under the sanitizers is slow).
    std::optional<qint64> servingPid(int timeoutMs = 60000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            const auto answer = sendInstanceRequest(cmd("ping"), 2000, m_name);
            if (answer && answer->value("ok").toBool()) return answer->value("pid").toInteger();
            QThread::msleep(50);
        }
        return std::nullopt;
    }

    QString ini() const { return m_config + "/Muralo32.ini"; }

    QString m_name;
    QString m_config;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(Muralo32Processes, SecondStartActivatesTheFirstAndWritesNothing) {
    QProcess& first = start();
    const auto pid = servingPid();
    ASSERT_TRUE(pid.has_value());
    EXPECT_EQ(*pid, first.processId());
    const QByteArray before = mtest::readFile(ini());
    ASSERT_TRUE(before.contains("MuraloPath="));
    ASSERT_TRUE(before.contains("QueueName="));

    const QString queue = mtest::freshDir("proc-queue") + "/other.qu3";
    ASSERT_TRUE(mtest::writeFile(queue, "x"));
    QProcess& second = start({queue});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_EQ(mtest::readFile(ini()), before);
    const auto answer = sendInstanceRequest(cmd("ping"), 5000, m_name);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->value("pid").toInteger(), first.processId());
    EXPECT_EQ(answer->value("activations").toInt(), 1);
    EXPECT_EQ(first.state(), QProcess::Running);

    const auto unknown = sendInstanceRequest(cmd("no-such-command"), 5000, m_name);
    ASSERT_TRUE(unknown.has_value());
    EXPECT_FALSE(unknown->value("ok").toBool());
}

TEST_F(Muralo32Processes, KilledInstanceDoesNotBlockTheNextStart) {
    QProcess& first = start();
    ASSERT_TRUE(servingPid().has_value());
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(sendInstanceRequest(cmd("ping"), 2000, m_name), std::nullopt);

    QProcess& next = start();
    const auto pid = servingPid();
    ASSERT_TRUE(pid.has_value());
    EXPECT_EQ(*pid, next.processId());
    EXPECT_EQ(next.state(), QProcess::Running);
}

TEST_F(Muralo32Processes, StartsAtTheSameMomentLeaveExactlyOne) {
    constexpr int kProcesses = 3;
    std::vector<QProcess*> started;
    for (int i = 0; i < kProcesses; ++i)
        started.push_back(&start());
    const auto pid = servingPid();
    ASSERT_TRUE(pid.has_value());

    int running = 0;
    for (QProcess* process : started) {
        if (process->processId() == *pid) continue;
        ASSERT_TRUE(process->waitForFinished(60000)) << "a second instance kept running";
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0);
    }
    for (QProcess* process : started)
        running += process->state() == QProcess::Running ? 1 : 0;
    EXPECT_EQ(running, 1);
    const auto answer = sendInstanceRequest(cmd("ping"), 5000, m_name);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->value("pid").toInteger(), *pid);
    EXPECT_EQ(answer->value("activations").toInt(), kProcesses - 1);
}

} // namespace

namespace {

// Log-out sends SIGTERM: the window closes in order and the settings of a close are written.
TEST_F(Muralo32Processes, TerminationSignalClosesInOrder) {
    QProcess& first = start();
    ASSERT_TRUE(servingPid().has_value());
    EXPECT_FALSE(mtest::readFile(ini()).contains("MuraloLeft="));
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    const QByteArray after = mtest::readFile(ini());
    EXPECT_TRUE(after.contains("MuraloLeft=")) << after.toStdString();
    EXPECT_TRUE(after.contains("SCPropertyPage=")) << after.toStdString();
}

} // namespace
