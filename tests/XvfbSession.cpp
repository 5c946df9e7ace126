// SPDX-License-Identifier: MIT
#include "XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// High numbers stay clear of a real desktop's :0 and of other test runs starting low.
constexpr int kFirstDisplay = 90;
constexpr int kLastDisplay = 600;
constexpr auto kServerTimeout = std::chrono::seconds(20);
constexpr auto kWindowManagerTimeout = std::chrono::seconds(20);

bool displayTaken(int n) {
    struct stat st {};
    const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(n);
    const QByteArray lock = "/tmp/.X" + QByteArray::number(n) + "-lock";
    return ::stat(socket.constData(), &st) == 0 || ::stat(lock.constData(), &st) == 0;
}

// The child's environment: ours, with DISPLAY replaced when given.
std::vector<QByteArray> childEnvironment(const QString& display) {
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        if (!display.isEmpty() && std::strncmp(*e, "DISPLAY=", 8) == 0) continue;
        env.emplace_back(*e);
    }
    if (!display.isEmpty()) env.push_back("DISPLAY=" + display.toLocal8Bit());
    return env;
}

// fork + exec with stdout to `stdoutFd` (or /dev/null) and stderr appended to `logPath`.
// `keepFd` stays open in the child. Everything the child needs is prepared before the fork.
pid_t spawn(const QStringList& argv, const QString& display, const QString& logPath, int stdoutFd = -1,
            int keepFd = -1) {
    std::vector<QByteArray> args;
    for (const QString& a : argv)
        args.push_back(a.toLocal8Bit());
    std::vector<char*> argp;
    for (QByteArray& a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    std::vector<QByteArray> env = childEnvironment(display);
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray log = logPath.toLocal8Bit();
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Child: only async-signal-safe calls from here on.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM); // a crashed test must not leave servers behind
    if (::getppid() != parent) ::_exit(127);
    ::setpgid(0, 0); // our signals (Ctrl+C in a terminal) are the parent's to pass on
    const int devNull = ::open("/dev/null", O_RDWR);
    const int err = ::open(log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ::dup2(devNull, 0);
    ::dup2(stdoutFd >= 0 ? stdoutFd : devNull, 1);
    ::dup2(err >= 0 ? err : devNull, 2);
    if (keepFd >= 0) {
        const int flags = ::fcntl(keepFd, F_GETFD);
        ::fcntl(keepFd, F_SETFD, flags & ~FD_CLOEXEC);
    }
    ::execvpe(argp[0], argp.data(), envp.data());
    ::_exit(127);
}

bool exited(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

bool canConnect(int n) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(n);
    std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    ::close(fd);
    return ok;
}

// Runs a program to completion and returns its stdout ("" on failure).
QByteArray capture(const QStringList& argv, const QString& display, const QString& logPath) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    const pid_t pid = spawn(argv, display, logPath, pipeFds[1]);
    ::close(pipeFds[1]);
    QByteArray out;
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(pipeFds[0]);
    if (pid > 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    return out;
}

QString logTail(const QString& path) {
    const QByteArray all = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    return QString::fromLocal8Bit(all.right(600)).trimmed();
}

} // namespace

XvfbSession::XvfbSession() : XvfbSession(Options{}) {}

XvfbSession::XvfbSession(const Options& options) {
    m_logPath = QDir::tempPath() + "/xvfb-session-" + QString::number(::getpid()) + "-" +
                QString::number(reinterpret_cast<quintptr>(this), 16) + ".log";
    if (!startServer(options)) return;
    if (options.exportDisplay) exportDisplay();
    if (options.windowManager) startWindowManager();
}

XvfbSession::~XvfbSession() {
    stopProcess(m_wmPid);
    stopProcess(m_serverPid);
    restoreDisplay();
    QFile::remove(m_logPath);
}

bool XvfbSession::startServer(const Options& options) {
    const QString screen =
        QStringLiteral("%1x%2x%3").arg(options.size.width()).arg(options.size.height()).arg(options.depth);
    for (int n = kFirstDisplay; n <= kLastDisplay; ++n) {
        if (displayTaken(n)) continue;
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            m_error = QStringLiteral("pipe failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        // -displayfd: the server writes the number once it accepts connections, so no polling race.
        const QStringList argv{
            "Xvfb",       QStringLiteral(":%1").arg(n), "-screen", "0", screen, "-noreset", "-nolisten", "tcp",
            "-displayfd", QString::number(pipeFds[1])};
        const pid_t pid = spawn(argv + options.serverArguments, QString(), m_logPath, -1, pipeFds[1]);
        ::close(pipeFds[1]);
        if (pid < 0) {
            ::close(pipeFds[0]);
            m_error = QStringLiteral("cannot start Xvfb");
            return false;
        }
        QByteArray answer;
        const auto deadline = Clock::now() + kServerTimeout;
        while (!answer.contains('\n') && Clock::now() < deadline) {
            pollfd p{pipeFds[0], POLLIN, 0};
            if (::poll(&p, 1, 200) > 0) {
                char buffer[32];
                const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
                if (got <= 0) break; // the server exited before it was ready
                answer.append(buffer, got);
            }
        }
        ::close(pipeFds[0]);
        bool ok = false;
        const int number = answer.trimmed().toInt(&ok);
        if (ok && canConnect(number)) {
            m_serverPid = pid;
            m_display = QStringLiteral(":%1").arg(number);
            return true;
        }
        pid_t failed = pid;
        stopProcess(failed);
        // Someone else took this number between the probe and the start: try the next one.
        if (!displayTaken(n)) {
            m_error = QStringLiteral("Xvfb did not start: %1").arg(logTail(m_logPath));
            return false;
        }
    }
    m_error = QStringLiteral("no free X display number");
    return false;
}

bool XvfbSession::startWindowManager() {
    if (m_serverPid <= 0) return false;
    if (m_wmPid > 0) return true;
    m_wmPid = spawn({"openbox", "--sm-disable"}, m_display, m_logPath);
    if (m_wmPid < 0) {
        m_error = QStringLiteral("cannot start openbox");
        return false;
    }
    // A window manager that follows EWMH announces itself on the root window when ready.
    const auto deadline = Clock::now() + kWindowManagerTimeout;
    while (Clock::now() < deadline) {
        if (exited(m_wmPid)) {
            m_wmPid = -1;
            m_error = QStringLiteral("openbox exited: %1").arg(logTail(m_logPath));
            return false;
        }
        const QByteArray out =
            capture({"xprop", "-root", "-display", m_display, "_NET_SUPPORTING_WM_CHECK"}, m_display, m_logPath);
        if (out.contains("window id")) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    m_error = QStringLiteral("openbox did not come up");
    return false;
}

void XvfbSession::stopProcess(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid = -1;
}

void XvfbSession::exportDisplay() {
    if (m_display.isEmpty()) return;
    if (!m_displayExported) {
        const char* old = std::getenv("DISPLAY");
        m_hadDisplay = old != nullptr;
        m_savedDisplay = old ? QByteArray(old) : QByteArray();
        m_displayExported = true;
    }
    ::setenv("DISPLAY", m_display.toLocal8Bit().constData(), 1);
}

void XvfbSession::restoreDisplay() {
    if (!m_displayExported) return;
    if (m_hadDisplay)
        ::setenv("DISPLAY", m_savedDisplay.constData(), 1);
    else
        ::unsetenv("DISPLAY");
    m_displayExported = false;
}
