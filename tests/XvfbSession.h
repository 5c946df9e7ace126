// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// A private X server (Xvfb) for one test binary, optionally with a window manager (openbox).
// It picks a free display number, waits until the server accepts connections and stops
// everything it started when destroyed. Root properties and retained pixmaps survive the
// last client disconnecting (-noreset).
class XvfbSession {
public:
    struct Options {
        QSize size{1024, 768};
        int depth = 24;
        // Starts openbox and waits until it manages the screen.
        bool windowManager = false;
        // Points DISPLAY of this process at the server while the session lives.
        bool exportDisplay = true;
        // More Xvfb arguments (for example "-s", "0" for a zero screen saver default).
        QStringList serverArguments;
    };

    XvfbSession();
    explicit XvfbSession(const Options& options);
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // True when the server (and the window manager, when asked for) came up.
    bool isRunning() const { return m_serverPid > 0 && m_error.isEmpty(); }
    // What went wrong when isRunning() is false.
    QString errorString() const { return m_error; }
    // ":N", for DISPLAY or a child process's environment.
    QString displayName() const { return m_display; }

    // Sets DISPLAY of this process to the session (restored by restoreDisplay or the destructor).
    void exportDisplay();
    void restoreDisplay();

    // Starts openbox on the session when it was not asked for at construction.
    bool startWindowManager();

private:
    bool startServer(const Options& options);
    void stopProcess(pid_t& pid);

    QString m_display;
    QString m_error;
    QString m_logPath;
    pid_t m_serverPid = -1;
    pid_t m_wmPid = -1;
    bool m_displayExported = false;
    bool m_hadDisplay = false;
    QByteArray m_savedDisplay;
};
