// SPDX-License-Identifier: MIT
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <cstdlib>

namespace mtest {

QString home() {
    const char* h = std::getenv("MURALO_TEST_HOME");
    return h ? QString::fromLocal8Bit(h) : QDir::tempPath();
}

QString freshDir(const QString& tag) {
    const QString path = home() + "/" + tag + "-" + QUuid::createUuid().toString(QUuid::Id128).left(12);
    QDir().mkpath(path);
    return path;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

QString builtProgram(const QString& name) {
#ifdef MURALO_BIN_DIR
    return QStringLiteral(MURALO_BIN_DIR) + "/" + name;
#else
    return name;
#endif
}

} // namespace mtest
