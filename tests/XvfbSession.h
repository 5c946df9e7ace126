// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <csignal>
#include <optional>
#include <sys/prctl.h>

// A private X server (Xvfb) for one test binary, optionally with a window manager (openbox).
// The server takes a free display number itself; DISPLAY of this process names it while the
// session lives. Root properties and retained pixmaps survive the last client disconnecting
// (-noreset).
class XvfbSession {
public:
    struct Options {
        QSize size{1024, 768};
        int depth = 24;
        // Starts openbox and waits until it manages the screen.
        bool windowManager = false;
        // More Xvfb arguments (for example "-s", "0" for a zero screen saver default).
        QStringList serverArguments;
    };

    explicit XvfbSession(const Options& options) {
        for (QProcess* process : {&m_server, &m_windowManager}) {
            // A crashed test must not leave servers behind.
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
            // The server reports every display number it finds taken.
            process->setStandardErrorFile(QProcess::nullDevice());
        }
        m_error = startServer(options);
        if (m_display.isEmpty()) return;
        if (qEnvironmentVariableIsSet("DISPLAY")) m_savedDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", m_display.toLocal8Bit());
        if (options.windowManager) m_error = startWindowManager();
    }
    ~XvfbSession() {
        // SIGTERM, so that the server removes its lock file and socket.
        for (QProcess* process : {&m_windowManager, &m_server}) {
            process->terminate();
            process->waitForFinished(5000);
        }
        if (!m_display.isEmpty()) m_savedDisplay ? qputenv("DISPLAY", *m_savedDisplay) : qunsetenv("DISPLAY");
    }
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // True when the server (and the window manager, when asked for) came up.
    bool isRunning() const { return !m_display.isEmpty() && m_error.isEmpty(); }
    // What went wrong when isRunning() is false.
    QString errorString() const { return m_error; }
    // ":N", for DISPLAY or a child process's environment.
    QString displayName() const { return m_display; }

private:
    static constexpr int kStartTimeoutMs = 20000;

    // An empty text once the server runs, else what went wrong.
    QString startServer(const Options& options) {
        const QString screen =
            QStringLiteral("%1x%2x%3").arg(options.size.width()).arg(options.size.height()).arg(options.depth);
        // Without a display number and with -displayfd, the server takes the first free number and
        // writes it to our pipe once it accepts connections: no race with other servers starting.
        m_server.start("Xvfb", QStringList{"-displayfd", "1", "-screen", "0", screen, "-noreset", "-nolisten", "tcp"} +
                                   options.serverArguments);
        while (!m_server.canReadLine() && m_server.waitForReadyRead(kStartTimeoutMs)) {
        }
        bool ok = false;
        const int number = m_server.readLine().trimmed().toInt(&ok);
        if (!ok) return QStringLiteral("Xvfb did not start: %1").arg(m_server.errorString());
        m_display = QStringLiteral(":%1").arg(number);
        return {};
    }

    // An empty text once openbox manages the screen, else what went wrong.
    QString startWindowManager() {
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.start("openbox", {"--sm-disable"});
        if (!m_windowManager.waitForStarted())
            return QStringLiteral("cannot start openbox: %1").arg(m_windowManager.errorString());
        // A window manager that follows EWMH announces itself on the root window when ready.
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kStartTimeoutMs) {
            QProcess xprop;
            xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
            xprop.waitForFinished();
            if (xprop.readAllStandardOutput().contains("window id")) return {};
            if (m_windowManager.waitForFinished(100)) return QStringLiteral("openbox exited");
        }
        return QStringLiteral("openbox did not come up");
    }

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_error;
    std::optional<QByteArray> m_savedDisplay;
};
