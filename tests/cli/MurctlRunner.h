// SPDX-License-Identifier: MIT
#pragma once

#include "../imaging/FileBytes.h"
#include "TestSupport.h"
#include "startup/SingleInstance.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>

// What the built murctl printed, and its exit status (-1 when it crashed or hung).
struct MurctlRun {
    int status = -1;
    QString out;
    QString err;
    QJsonDocument json() const { return QJsonDocument::fromJson(out.toUtf8()); }
};

inline MurctlRun murctl(const QStringList& args,
                        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                        const QString& program = mtest::builtProgram("murctl")) {
    QProcess p; // kills a murctl that hangs
    p.setProcessEnvironment(env);
    p.start(program, args);
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    return {ended ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A failure: exit status 1 and one line on stderr that names every part given.
inline ::testing::AssertionResult failsNaming(const MurctlRun& r, const QStringList& parts) {
    const bool named = std::all_of(parts.begin(), parts.end(), [&r](const QString& p) { return r.err.contains(p); });
    if (r.status == 1 && r.err.count('\n') == 1 && named) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << r.status << ", stderr: " << r.err.toStdString();
}

// A 24-bit bitmap in one colour (0xRRGGBB); the program decodes it like any picture.
inline QString writeBmp(const QString& path, int width, int height, std::uint32_t colour) {
    using filebytes::littleEndian;
    QByteArray row = littleEndian(quint8(colour), quint8(colour >> 8), quint8(colour >> 16)).repeated(width);
    row.append((4 - row.size() % 4) % 4, '\0');
    EXPECT_TRUE(mtest::writeFile(path, filebytes::bmpFile(width, height, 24, 0, {}, row.repeated(height))));
    return path;
}

// Starts muralo32 on the queue, with its settings in configDir and murctl's instance name from
// env, and waits until it answers; false when it never did.
inline bool startMuralo32(QProcess& program, QProcessEnvironment env, const QString& configDir, const QString& queue,
                          const QString& platform) {
    env.insert("MURALO_CONFIG_DIR", configDir);
    env.insert("QT_QPA_PLATFORM", platform);
    program.setProcessEnvironment(env);
    program.start(mtest::builtProgram("muralo32"), {queue});
    const QString name = env.value("MURALO_INSTANCE_NAME");
    const auto ended = [&program] { return program.state() == QProcess::NotRunning; };
    const auto answers = [&name] { return sendInstanceRequest({{"cmd", "ping"}}, 1000, name).has_value(); };
    return mtest::waitUntil([&] { return ended() || answers(); }, 60000, 50) && !ended();
}
