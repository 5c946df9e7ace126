// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUuid>

namespace mtest {

QString freshDir(const QString& tag) {
    const QString home = qEnvironmentVariable("MURALO_TEST_HOME", QDir::tempPath());
    const QString path = home + "/" + tag + "-" + QUuid::createUuid().toString(QUuid::Id128).left(12);
    QDir().mkpath(path);
    return path;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QString builtProgram(const QString& name) {
    return QStringLiteral(MURALO_BIN_DIR) + "/" + name;
}

bool waitUntil(const std::function<bool()>& done, int limitMs, int stepMs) {
    const QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(stepMs);
    }
    return true;
}

} // namespace mtest
