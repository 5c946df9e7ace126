// SPDX-License-Identifier: MIT
#pragma once

#include "TestSupport.h"

#include <QJsonDocument>
#include <QProcess>

// What the built murctl printed, and its exit status (-1 when it crashed or hung).
struct MurctlRun {
    int status = -1;
    QString out;
    QString err;
    QJsonDocument json() const { return QJsonDocument::fromJson(out.toUtf8()); }
};

inline MurctlRun murctl(const QStringList& args,
                        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p; // kills a murctl that hangs
    p.setProcessEnvironment(env);
    p.start(mtest::builtProgram("murctl"), args);
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    return {ended ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
