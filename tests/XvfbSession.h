// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

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

    XvfbSession();
    explicit XvfbSession(const Options& options);
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // True when the server (and the window manager, when asked for) came up.
    bool isRunning() const { return !m_display.isEmpty() && m_error.isEmpty(); }
    // What went wrong when isRunning() is false.
    QString errorString() const { return m_error; }
    // ":N", for DISPLAY or a child process's environment.
    QString displayName() const { return m_display; }

private:
    bool startServer(const Options& options);
    bool startWindowManager();

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_error;
    bool m_hadDisplay = false;
    QByteArray m_savedDisplay;
};
