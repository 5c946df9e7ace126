// SPDX-License-Identifier: MIT
#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// One instance per user: the running muralo32 listens on a per-user local socket, and a second
// start (or murctl) talks to it with one JSON object per line each way:
//   request  {"cmd":"activate"}            (or any other cmd with its fields)
//   answer   {"ok":true,...} or {"ok":false,"error":"..."}
// The socket lives in a folder only this user can enter ($XDG_RUNTIME_DIR, or a private folder
// of ours in the temporary folder), so no other user can take the name first; a socket left by a
// crash is found dead and replaced. Only processes of the same user are served or believed.

// "muralo32", or MURALO_INSTANCE_NAME when set (tests run side by side). A name that is not an
// absolute path is placed in instanceFolder().
QString instanceName();
// The private folder the socket lives in; empty when none can be had (the program then runs
// without the channel).
QString instanceFolder();
// The socket a name stands for; empty when there is no private folder for it.
QString instanceSocketPath(const QString& name = instanceName());

class InstanceServer : public QObject {
    Q_OBJECT
public:
    // Sends the answer to a request. Call it once, now or later (a command may wait its turn
    // behind other work); a request left unanswered when the last copy goes is answered with
    // an error, so the asking process never waits for nothing.
    using Reply = std::function<void(const QJsonObject& answer)>;
    using Handler = std::function<void(const QJsonObject& request, const Reply& reply)>;
    enum class ListenResult { Listening, AlreadyRunning, Failed };

    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    ListenResult listen(const QString& name = instanceName());
    // Answers requests from the event loop, one at a time per connection; without a handler
    // every request gets an error answer.
    void setHandler(Handler h);

private:
    void acceptConnections();
    void serve(QLocalSocket* socket);
    void answer(QLocalSocket* socket, const QJsonObject& answer);
    Reply pendingReply(QLocalSocket* socket);

    QLocalServer* m_server;
    Handler m_handler;
};

enum class InstanceExchange {
    Answered,   // the answer is there
    NotRunning, // no instance listens
    NoAnswer,   // an instance listens but did not answer in time
    Foreign     // the socket is not one of ours
};

// Sends one request to the running instance and waits for its answer. Needs no event loop.
InstanceExchange exchangeWithInstance(const QJsonObject& request, int timeoutMs, QJsonObject& answer,
                                      const QString& name = instanceName());
// The same, nullopt when none runs or it does not answer in time.
std::optional<QJsonObject> sendInstanceRequest(const QJsonObject& request, int timeoutMs = 5000,
                                               const QString& name = instanceName());

enum class InstanceClaim {
    First,      // this process listens now: it is the instance
    HandedOver, // another instance runs and was sent the request: this process should end
    Unavailable // the name cannot be had (not ours, or the system refuses): run without the channel
};

// Listens, or sends request to the instance that already listens. When that instance goes away
// between the two (two starts at the same moment, or one closing), tries again, so that of
// processes starting together exactly one ends up First.
InstanceClaim claimInstance(InstanceServer& server, const QJsonObject& request, int timeoutMs = 5000,
                            const QString& name = instanceName());
