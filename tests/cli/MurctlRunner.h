// SPDX-License-Identifier: MIT
#pragma once

#include "TestSupport.h"

#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

// Runs the built murctl and collects what it printed.
struct MurctlRun {
    int status = -1;
    QString out;
    QString err;
    QJsonDocument json() const { return QJsonDocument::fromJson(out.toUtf8()); }
};

inline MurctlRun murctl(const QStringList& args,
                        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                        int timeoutMs = 60000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(mtest::builtProgram("murctl"), args);
    MurctlRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
