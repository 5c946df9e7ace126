// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include "startup/StartUp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A request is a short JSON line; a peer that sends this much without a newline is not a client.
constexpr qint64 kMaxLineLength = 64 * 1024;
// How often claimInstance tries again when the instance it found has gone.
constexpr int kClaimAttempts = 8;

using Exchange = InstanceExchange;
// Set on a connection while its request waits for its answer; later lines wait behind it.
constexpr char kAnsweringProperty[] = "muraloAnswering";

// True when the process at the other end of the socket belongs to this user. The socket's
// private folder already keeps others out; this also holds where the folder could not be
// made private.
bool peerIsSameUser(qintptr descriptor) {
#if defined(Q_OS_LINUX)
    struct ucred cred {};
    socklen_t length = sizeof(cred);
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return false;
    return cred.uid == ::getuid();
#else
    Q_UNUSED(descriptor);
    return true; // the socket file's permissions keep other users out
#endif
}

#ifdef Q_OS_UNIX
// A folder only we can enter: a real folder (not a link), ours, with no access for others.
bool isPrivateFolder(const QByteArray& native) {
    struct stat st {};
    return ::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

// Held while a listen is tried, so two starts never both take a dead socket's place: one of
// them could otherwise remove the socket the other has just made.
class ListenLock {
public:
    explicit ListenLock(const QString& socket) {
        m_fd = ::open(QFile::encodeName(socket + QStringLiteral(".lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
    }
    ~ListenLock() {
        if (m_fd >= 0) ::close(m_fd); // releases the lock
    }
    ListenLock(const ListenLock&) = delete;
    ListenLock& operator=(const ListenLock&) = delete;

private:
    int m_fd = -1;
};
#else
struct ListenLock {
    explicit ListenLock(const QString&) {}
};
#endif

QByteArray encode(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QJsonObject failure(const QString& error) {
    return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

Exchange exchange(const QJsonObject& request, int timeoutMs, const QString& name, QJsonObject& answer) {
    QDeadlineTimer deadline(timeoutMs);
    const QString path = instanceSocketPath(name);
    if (path.isEmpty()) return Exchange::NotRunning;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        const auto error = socket.error();
        if (error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError)
            return Exchange::NotRunning;
        return Exchange::NoAnswer;
    }
    if (!peerIsSameUser(socket.socketDescriptor())) return Exchange::Foreign;

    socket.write(encode(request));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return socket.state() == QLocalSocket::ConnectedState ? Exchange::NoAnswer : Exchange::NotRunning;
    }
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() > kMaxLineLength) return Exchange::NoAnswer;
        if (deadline.hasExpired()) return Exchange::NoAnswer;
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            // Closed without a word: the instance went away (or is going) before it could answer.
            if (socket.state() != QLocalSocket::ConnectedState && !socket.canReadLine()) return Exchange::NotRunning;
            if (deadline.hasExpired()) return Exchange::NoAnswer;
        }
    }
    const QByteArray line = socket.readLine(kMaxLineLength);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line.trimmed(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return Exchange::NoAnswer;
    answer = document.object();
    return Exchange::Answered;
}

} // namespace

QString instanceName() {
    const QString overridden = qEnvironmentVariable("MURALO_INSTANCE_NAME");
    return overridden.isEmpty() ? QStringLiteral("muralo32") : overridden;
}

QString instanceSocketPath(const QString& name) {
    if (QDir::isAbsolutePath(name)) return name;
    const QString folder = instanceFolder();
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

QString instanceFolder() {
#ifdef Q_OS_UNIX
    // The session's runtime folder is private by definition; believe it only when it is.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(QFile::encodeName(runtime)))
        return QDir::cleanPath(runtime);
    // Else the private folder the wallpaper bitmap goes to by default.
    return systemTempFolder();
#else
    // Named pipes on Windows are per session already.
    return QDir::tempPath();
#endif
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this)) {
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::acceptConnections);
}

InstanceServer::~InstanceServer() = default;

InstanceServer::ListenResult InstanceServer::listen(const QString& name) {
    m_server->close();
    const QString path = instanceSocketPath(name);
    if (path.isEmpty()) return ListenResult::Failed;
    // No access options: with them Qt binds elsewhere and renames over the name, which would
    // silently take a running instance's socket away.
    m_server->setSocketOptions(QLocalServer::NoOptions);
    const ListenLock lock(path);
    if (m_server->listen(path)) return ListenResult::Listening;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError) return ListenResult::Failed;
    // A socket left by a crash: nobody accepts on it, so it can go.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(1000)) return ListenResult::AlreadyRunning;
    if (probe.error() != QLocalSocket::ConnectionRefusedError && probe.error() != QLocalSocket::ServerNotFoundError)
        return ListenResult::AlreadyRunning;
    QLocalServer::removeServer(path);
    if (m_server->listen(path)) return ListenResult::Listening;
    return m_server->serverError() == QAbstractSocket::AddressInUseError ? ListenResult::AlreadyRunning
                                                                         : ListenResult::Failed;
}

void InstanceServer::setHandler(Handler h) {
    m_handler = std::move(h);
}

void InstanceServer::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        // Bytes may have arrived before the connection was picked up.
        if (socket->bytesAvailable() > 0) serve(socket);
    }
}

void InstanceServer::serve(QLocalSocket* socket) {
    while (!socket->property(kAnsweringProperty).toBool() && socket->canReadLine()) {
        const QByteArray raw = socket->readLine(kMaxLineLength);
        if (!raw.endsWith('\n')) {
            socket->abort();
            return;
        }
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) continue;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            answer(socket, failure(QStringLiteral("malformed request")));
        else if (!m_handler)
            answer(socket, failure(QStringLiteral("not ready")));
        else
            m_handler(document.object(), pendingReply(socket));
    }
    if (socket->bytesAvailable() > kMaxLineLength) socket->abort();
}

void InstanceServer::answer(QLocalSocket* socket, const QJsonObject& answer) {
    socket->write(encode(answer));
    socket->flush();
}

InstanceServer::Reply InstanceServer::pendingReply(QLocalSocket* socket) {
    // Answered once; the last copy of an unanswered reply answers with an error.
    struct Pending {
        QPointer<InstanceServer> server;
        QPointer<QLocalSocket> socket;
        bool sent = false;
        void send(const QJsonObject& reply) {
            if (sent) return;
            sent = true;
            if (!server || !socket) return;
            socket->setProperty(kAnsweringProperty, false);
            server->answer(socket, reply);
            // Lines that came while this one waited.
            QMetaObject::invokeMethod(
                server,
                [s = server, c = socket] {
                    if (s && c) s->serve(c);
                },
                Qt::QueuedConnection);
        }
        ~Pending() { send(failure(QStringLiteral("the request was dropped: the program is closing"))); }
    };
    socket->setProperty(kAnsweringProperty, true);
    auto pending = std::make_shared<Pending>();
    pending->server = this;
    pending->socket = socket;
    return [pending](const QJsonObject& reply) { pending->send(reply); };
}

InstanceExchange exchangeWithInstance(const QJsonObject& request, int timeoutMs, QJsonObject& answer,
                                      const QString& name) {
    return exchange(request, timeoutMs, name, answer);
}

std::optional<QJsonObject> sendInstanceRequest(const QJsonObject& request, int timeoutMs, const QString& name) {
    QJsonObject answer;
    if (exchange(request, timeoutMs, name, answer) != Exchange::Answered) return std::nullopt;
    return answer;
}

InstanceClaim claimInstance(InstanceServer& server, const QJsonObject& request, int timeoutMs, const QString& name) {
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        switch (server.listen(name)) {
        case InstanceServer::ListenResult::Listening:
            return InstanceClaim::First;
        case InstanceServer::ListenResult::Failed:
            return InstanceClaim::Unavailable;
        case InstanceServer::ListenResult::AlreadyRunning:
            break;
        }
        QJsonObject answer;
        switch (exchange(request, timeoutMs, name, answer)) {
        case Exchange::Answered:
        // Busy but there: like a window that is slow to come forward, it is still the instance.
        case Exchange::NoAnswer:
            return InstanceClaim::HandedOver;
        case Exchange::Foreign:
            return InstanceClaim::Unavailable;
        case Exchange::NotRunning:
            QThread::msleep(static_cast<unsigned long>(10 * (attempt + 1)));
            break;
        }
    }
    return InstanceClaim::Unavailable;
}
