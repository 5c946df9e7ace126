// SPDX-License-Identifier: MIT
#include "startup/SingleInstance.h"
#include "queue/Queue.h"
#include "startup/StartUp.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <Magick++.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <QUuid>

#include <csignal>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

QString uniqueName(const QString& tag) {
    return "muralo32-test-" + tag + "-" + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

// Writes bytes as they are to a server of this process and serves the event loop until an answer
// line comes; nullopt when the server hangs up instead.
std::optional<QByteArray> sendRaw(const QString& name, const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(instanceSocketPath(name));
    if (!socket.waitForConnected(5000)) return QByteArray("not connected");
    socket.write(bytes);
    QDeadlineTimer deadline(10000);
    while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (socket.canReadLine()) return socket.readLine();
    return socket.state() == QLocalSocket::ConnectedState ? std::optional<QByteArray>("no answer") : std::nullopt;
}

// The socket lies in the user's private runtime folder (else in our private temporary folder),
// where nobody else can take its name first; a socket a crash left there is replaced. One listener
// answers line by line, and bad input neither reaches the handler nor stops the server.
TEST(InstanceServer, OneListenerInAPrivateFolderAnswersAndSurvivesBadInput) {
    int argc = 1;
    char program[] = "test_startup";
    char* argv[] = {program, nullptr};
    QCoreApplication application(argc, argv); // the server runs on its event loop
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString name = uniqueName("serve");
    ASSERT_EQ(instanceSocketPath(name), runtime + "/" + name);
    // A dead socket: bound, never listened on, its file left behind.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(instanceSocketPath(name));
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    InstanceServer server;
    InstanceServer second;
    ASSERT_EQ(server.listen(name), InstanceServer::ListenResult::Listening);
    EXPECT_EQ(second.listen(name), InstanceServer::ListenResult::AlreadyRunning);
    // Before a handler is set, requests get an error answer rather than silence.
    EXPECT_EQ(sendRaw(name, "{\"cmd\":\"activate\"}\n"), "{\"error\":\"not ready\",\"ok\":false}\n");

    // An answer may come later, from the event loop; one that is never given is answered with an
    // error once the handler lets go of it, so the asker does not wait for nothing.
    std::vector<InstanceServer::Reply> later;
    server.setHandler([&later](const QJsonObject& request, const InstanceServer::Reply& reply) {
        if (request["drop"].toBool()) return;
        if (!request["later"].toBool()) {
            reply(QJsonObject{{"ok", true}, {"file", request["file"]}});
            return;
        }
        later.push_back(reply);
        QTimer::singleShot(20, [&later] {
            later.back()(QJsonObject{{"ok", true}});
            later.back()(QJsonObject{{"second", true}}); // a reply is sent once only
            later.clear();
        });
    });
    const QByteArray load = "{\"cmd\":\"load\",\"file\":\"/a b.qu3\"}\n";
    EXPECT_EQ(sendRaw(name, load), "{\"file\":\"/a b.qu3\",\"ok\":true}\n");
    EXPECT_EQ(sendRaw(name, "{\"later\":true}\n"), "{\"ok\":true}\n");
    EXPECT_EQ(sendRaw(name, "{\"drop\":true}\n"),
              "{\"error\":\"the request was dropped: the program is closing\",\"ok\":false}\n");
    EXPECT_EQ(sendRaw(name, "[1,2,3]\n"), "{\"error\":\"malformed request\",\"ok\":false}\n");
    EXPECT_EQ(sendRaw(name, QByteArray(256 * 1024, 'x')), std::nullopt) << "an endless line must be cut off";
    EXPECT_EQ(sendRaw(name, load), "{\"file\":\"/a b.qu3\",\"ok\":true}\n");

    // A runtime folder others can enter is not believed: the socket goes to our own private one.
    QFile::setPermissions(runtime, QFile::permissions(runtime) | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString fallback = instanceSocketPath(name);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(QFileInfo(fallback).absolutePath(), systemTempFolder());
}

// Real muralo32 processes: the hand-over is between processes, and a crash must leave nothing behind.
class Muralo32Processes : public testing::Test {
protected:
    // The programs inherit these; this test's requests find them by the same name.
    Muralo32Processes() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("MURALO_INSTANCE_NAME", uniqueName("proc").toLocal8Bit());
        qputenv("MURALO_CONFIG_DIR", m_config.toLocal8Bit());
    }

    QProcess& start(const QStringList& arguments = {}) {
        auto& process = *m_processes.emplace_back(std::make_unique<QProcess>());
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(mtest::builtProgram("muralo32"), arguments);
        EXPECT_TRUE(process.waitForStarted(10000));
        return process;
    }

    // The answer, or an empty object when none came.
    static QJsonObject send(const QString& command) {
        return sendInstanceRequest(QJsonObject{{"cmd", command}}).value_or(QJsonObject{});
    }

    // The pid of the instance that answers, once one does (start-up under the sanitizers is slow).
    std::optional<qint64> servingPid() const {
        QJsonObject answer;
        if (!mtest::waitUntil([&answer] { return (answer = send("ping")).value("ok").toBool(); }, 60000, 50)) return {};
        return answer.value("pid").toInteger();
    }

    // True when the process ended by itself with exit code 0.
    static bool endsCleanly(QProcess& process) {
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QByteArray settings() const { return mtest::readFile(m_config + "/Muralo32.ini"); }

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
    EXPECT_EQ(send("ping").value("activations").toInt(), 1); // asked by the second start

    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_TRUE(send("ping").isEmpty());
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
    for (QProcess* racer : racers)
        EXPECT_TRUE(racer->processId() == *winner || endsCleanly(*racer)) << "a second instance kept running";
    EXPECT_EQ(send("ping").value("activations").toInt(), kRacers - 1);
}

// A log-out while the start-up change decodes a large picture: the program ends at once, in
// order, and does not live on with its window shown.
TEST_F(Muralo32Processes, ATerminationSignalDuringTheStartUpChangeEndsTheProgram) {
    const QString folder = mtest::freshDir("proc-startup");
    const QString image = folder + "/large.png";
    Magick::InitializeMagick(nullptr);
    Magick::Image large(Magick::Geometry(7000, 5000), Magick::ColorRGB(0.2, 0.4, 0.6));
    large.write("PNG24:" + QFile::encodeName(image).toStdString());
    Queue queue(Queue::Environment{folder + "/", 1024, 768});
    ASSERT_TRUE(queue.load(folder + "/q.qu3").ok());
    ASSERT_EQ(queue.addOneFile(image), Queue::AddResult::Added);
    ASSERT_TRUE(mtest::writeFile(
        m_config + "/Muralo32.ini",
        "[Muralo32]\nDesktopBackend=fake\nChangeAtStartup=True\nTempDirectory=" + folder.toUtf8() + "\n"));

    QProcess& program = start({folder + "/q.qu3"});
    // The change lets requests in while it works: the first answer comes from inside it.
    QDeadlineTimer deadline(60000);
    QJsonObject answer;
    while (!deadline.hasExpired() && !answer.value("ok").toBool()) {
        answer = sendInstanceRequest(QJsonObject{{"cmd", "ping"}}, 10000).value_or(QJsonObject{});
        if (program.state() == QProcess::NotRunning) break;
    }
    ASSERT_TRUE(answer.value("starting").toBool()) << "the start-up change was over before it could be caught";
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    EXPECT_TRUE(endsCleanly(program));
    EXPECT_TRUE(settings().contains("MuraloLeft=")) << "the close did not run";
}

} // namespace
