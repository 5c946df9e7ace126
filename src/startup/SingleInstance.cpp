// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// A request is a short JSON line; a peer that sends this much without a newline is not a client.
constexpr qint64 kMaxLineLength = 64 * 1024;
// How often claimInstance tries again when the instance it found has gone.
constexpr int kClaimAttempts = 8;

enum class Exchange { Answered, NotRunning, NoAnswer, Foreign };

// True when the process at the other end of the socket belongs to this user. The abstract
// namespace has no file permissions, so this is the only thing keeping other users out.
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

void applyOptions(QLocalSocket& socket) {
#ifdef Q_OS_LINUX
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
#else
    Q_UNUSED(socket);
#endif
}

QByteArray encode(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QJsonObject failure(const QString& error) {
    return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

Exchange exchange(const QJsonObject& request, int timeoutMs, const QString& name, QJsonObject& answer) {
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    applyOptions(socket);
    socket.connectToServer(name);
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
    if (!overridden.isEmpty()) return overridden;
#ifdef Q_OS_UNIX
    return QStringLiteral("muralo32-") + QString::number(::getuid());
#else
    return QStringLiteral("muralo32-") + qEnvironmentVariable("USERNAME");
#endif
}

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this)) {
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::acceptConnections);
}

InstanceServer::~InstanceServer() = default;

InstanceServer::ListenResult InstanceServer::listen(const QString& name) {
    m_server->close();
#ifdef Q_OS_LINUX
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
#endif
    if (m_server->listen(name)) return ListenResult::Listening;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError) return ListenResult::Failed;
#ifndef Q_OS_LINUX
    // A socket file left by a crash: nobody accepts on it, so it can go.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (!probe.waitForConnected(1000) &&
        (probe.error() == QLocalSocket::ConnectionRefusedError || probe.error() == QLocalSocket::ServerNotFoundError)) {
        QLocalServer::removeServer(name);
        if (m_server->listen(name)) return ListenResult::Listening;
        return m_server->serverError() == QAbstractSocket::AddressInUseError ? ListenResult::AlreadyRunning
                                                                             : ListenResult::Failed;
    }
#endif
    return ListenResult::AlreadyRunning;
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
    while (socket->canReadLine()) {
        const QByteArray raw = socket->readLine(kMaxLineLength);
        if (!raw.endsWith('\n')) {
            socket->abort();
            return;
        }
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) continue;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        QJsonObject answer;
        if (error.error != QJsonParseError::NoError || !document.isObject())
            answer = failure(QStringLiteral("malformed request"));
        else if (!m_handler)
            answer = failure(QStringLiteral("not ready"));
        else
            answer = m_handler(document.object());
        socket->write(encode(answer));
        socket->flush();
    }
    if (socket->bytesAvailable() > kMaxLineLength) socket->abort();
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
