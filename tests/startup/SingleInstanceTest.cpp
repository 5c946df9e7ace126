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

QJsonObject cmd(const QString& name) {
    return QJsonObject{{"cmd", name}};
}

void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: the servers of every test run on its event loop.
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

// Runs work on another thread while this one serves the event loop: a blocking client and the
// server it talks to cannot share a thread.
template <typename Work> auto whileServing(Work work) {
    ensureApplication();
    auto future = std::async(std::launch::async, work);
    while (future.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return future.get();
}

// The answer, or an empty object when none came.
QJsonObject request(const QJsonObject& message, const QString& name) {
    return whileServing([&] { return sendInstanceRequest(message, 5000, name).value_or(QJsonObject{}); });
}

// Writes bytes as they are and waits for one answer line; nullopt when the server hangs up instead.
std::optional<QByteArray> sendRaw(const QString& name, const QByteArray& bytes) {
    return whileServing([&]() -> std::optional<QByteArray> {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(name);
        if (!socket.waitForConnected(5000)) return QByteArray("not connected");
        socket.write(bytes);
        QDeadlineTimer deadline(10000);
        while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
            socket.waitForBytesWritten(100);
            socket.waitForReadyRead(100);
        }
        if (!socket.canReadLine() && socket.state() != QLocalSocket::ConnectedState) return std::nullopt;
        return socket.readLine();
    });
}

TEST(InstanceServer, OneListenerAnswersLineByLineAndSurvivesBadInput) {
    ensureApplication();
    const QString name = uniqueName("serve");
    InstanceServer server;
    InstanceServer second;
    ASSERT_EQ(server.listen(name), InstanceServer::ListenResult::Listening);
    EXPECT_EQ(second.listen(name), InstanceServer::ListenResult::AlreadyRunning);

    // Before a handler is set, requests get an error answer rather than silence.
    const QJsonObject early = request(cmd("activate"), name);
    EXPECT_FALSE(early.value("ok").toBool());
    EXPECT_FALSE(early.value("error").toString().isEmpty());

    std::vector<QJsonObject> seen;
    server.setHandler([&seen](const QJsonObject& request) {
        seen.push_back(request);
        return QJsonObject{{"ok", true}, {"echo", request.value("cmd")}};
    });
    const QJsonObject answer = request(QJsonObject{{"cmd", "load"}, {"file", "/a b.qu3"}}, name);
    EXPECT_TRUE(answer.value("ok").toBool());
    EXPECT_EQ(answer.value("echo").toString(), u"load");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.front().value("file").toString(), u"/a b.qu3");

    EXPECT_TRUE(sendRaw(name, "[1,2,3]\n").value_or("").contains("\"ok\":false"));
    EXPECT_EQ(sendRaw(name, QByteArray(256 * 1024, 'x')), std::nullopt) << "an endless line must be cut off";
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(request(cmd("ping"), name).value("ok").toBool());
}

// Real muralo32 processes: the hand-over is between processes, and a crash must leave nothing behind.
class Muralo32Processes : public testing::Test {
protected:
    QProcess& start(const QStringList& arguments = {}) {
        auto& process = *m_processes.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("MURALO_INSTANCE_NAME", m_name);
        env.insert("MURALO_CONFIG_DIR", m_config);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(mtest::builtProgram("muralo32"), arguments);
        EXPECT_TRUE(process.waitForStarted(10000));
        return process;
    }

    QJsonObject send(const QString& command) const {
        return sendInstanceRequest(cmd(command), 5000, m_name).value_or(QJsonObject{});
    }

    // The pid of the instance that answers, once one does (start-up under the sanitizers is slow).
    std::optional<qint64> servingPid() const {
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            const QJsonObject answer = send("ping");
            if (answer.value("ok").toBool()) return answer.value("pid").toInteger();
            QThread::msleep(50);
        }
        return std::nullopt;
    }

    // True when the process ended by itself with exit code 0.
    static bool endsCleanly(QProcess& process) {
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QByteArray settings() const { return mtest::readFile(m_config + "/Muralo32.ini"); }

    const QString m_name = uniqueName("proc");
    const QString m_config = mtest::freshDir("proc-config");
    // Destroying a QProcess kills the program if it still runs.
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// A second start hands over and writes nothing; a killed instance does not block the next start;
// a termination signal (log-out) closes in order and writes the settings of a close; of starts at
// the same moment exactly one stays.
TEST_F(Muralo32Processes, OnlyOneInstanceServesAtATime) {
    QProcess& first = start();
    ASSERT_EQ(servingPid(), first.processId());
    const QByteArray before = settings();
    EXPECT_TRUE(before.contains("MuraloPath=") && before.contains("QueueName=")) << before.constData();

    const QString queue = mtest::freshDir("proc-queue") + "/other.qu3";
    ASSERT_TRUE(mtest::writeFile(queue, "x"));
    EXPECT_TRUE(endsCleanly(start({queue})));
    EXPECT_EQ(settings(), before);
    const QJsonObject answer = send("ping");
    EXPECT_EQ(answer.value("pid").toInteger(), first.processId());
    EXPECT_EQ(answer.value("activations").toInt(), 1);
    const QJsonObject unknown = send("no-such-command");
    EXPECT_FALSE(unknown.value("ok").toBool());
    EXPECT_FALSE(unknown.value("error").toString().isEmpty());

    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(sendInstanceRequest(cmd("ping"), 2000, m_name), std::nullopt);
    QProcess& next = start();
    ASSERT_EQ(servingPid(), next.processId());
    EXPECT_FALSE(settings().contains("MuraloLeft="));
    ::kill(static_cast<pid_t>(next.processId()), SIGTERM);
    EXPECT_TRUE(endsCleanly(next));
    const QByteArray after = settings();
    EXPECT_TRUE(after.contains("MuraloLeft=") && after.contains("SCPropertyPage=")) << after.constData();

    constexpr int kRacers = 3;
    std::vector<QProcess*> racers;
    for (int i = 0; i < kRacers; ++i)
        racers.push_back(&start());
    const auto winner = servingPid();
    ASSERT_TRUE(winner.has_value());
    for (QProcess* racer : racers) {
        if (racer->processId() == *winner)
            EXPECT_EQ(racer->state(), QProcess::Running);
        else
            EXPECT_TRUE(endsCleanly(*racer)) << "a second instance kept running or failed";
    }
    EXPECT_EQ(send("ping").value("activations").toInt(), kRacers - 1);
}

} // namespace
