// SPDX-License-Identifier: MIT
#include "XvfbSession.h"

#include <QElapsedTimer>

#include <csignal>
#include <sys/prctl.h>

namespace {

constexpr int kStartTimeoutMs = 20000;

} // namespace

XvfbSession::XvfbSession() : XvfbSession(Options{}) {}

XvfbSession::XvfbSession(const Options& options) {
    for (QProcess* process : {&m_server, &m_windowManager}) {
        // A crashed test must not leave servers behind.
        process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        // The server reports every display number it finds taken.
        process->setStandardErrorFile(QProcess::nullDevice());
    }
    if (!startServer(options)) return;
    m_hadDisplay = qEnvironmentVariableIsSet("DISPLAY");
    m_savedDisplay = qgetenv("DISPLAY");
    qputenv("DISPLAY", m_display.toLocal8Bit());
    if (options.windowManager) startWindowManager();
}

XvfbSession::~XvfbSession() {
    // SIGTERM, so that the server removes its lock file and socket.
    for (QProcess* process : {&m_windowManager, &m_server}) {
        process->terminate();
        process->waitForFinished(5000);
    }
    if (!m_display.isEmpty()) {
        if (m_hadDisplay)
            qputenv("DISPLAY", m_savedDisplay);
        else
            qunsetenv("DISPLAY");
    }
}

bool XvfbSession::startServer(const Options& options) {
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
    if (!ok) {
        m_error = QStringLiteral("Xvfb did not start: %1").arg(m_server.errorString());
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    return true;
}

bool XvfbSession::startWindowManager() {
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.start("openbox", {"--sm-disable"});
    if (!m_windowManager.waitForStarted()) {
        m_error = QStringLiteral("cannot start openbox: %1").arg(m_windowManager.errorString());
        return false;
    }
    // A window manager that follows EWMH announces itself on the root window when ready.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartTimeoutMs) {
        QProcess xprop;
        xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
        xprop.waitForFinished();
        if (xprop.readAllStandardOutput().contains("window id")) return true;
        if (m_windowManager.waitForFinished(100)) {
            m_error = QStringLiteral("openbox exited");
            return false;
        }
    }
    m_error = QStringLiteral("openbox did not come up");
    return false;
}
