// SPDX-License-Identifier: MIT
#include "MurctlRunner.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QString execLine(const QString& entry) {
    for (const QString& line : QString::fromUtf8(mtest::readFile(entry)).split(u'\n'))
        if (line.startsWith("Exec=")) return line.mid(5);
    return {};
}

} // namespace

// On writes the entry that starts the program at log-in, off removes it, status tells which;
// nothing else is written.
TEST(MurctlAutostart, OnOffAndStatus) {
    const QString config = mtest::freshDir("autostart");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    const QString entry = config + "/autostart/muralo32.desktop";
    EXPECT_EQ(murctl({"autostart", "status"}, env).out, "off\n");
    EXPECT_FALSE(QFileInfo::exists(config + "/autostart")) << "status wrote something";

    const MurctlRun on = murctl({"autostart", "on"}, env);
    EXPECT_EQ(std::tuple(on.status, on.out), std::tuple(0, QString("on\n")));
    const QString text = QString::fromUtf8(mtest::readFile(entry));
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\nType=Application\n")) << text.toStdString();
    EXPECT_EQ(execLine(entry), mtest::builtProgram("muralo32")) << "with no queue, the program opens the last one";
    EXPECT_EQ(murctl({"--json", "autostart", "status"}, env).json()["autostart"].toBool(), true);

    for (int round = 0; round < 2; ++round) {
        const MurctlRun off = murctl({"autostart", "off"}, env);
        EXPECT_EQ(std::tuple(off.status, off.out), std::tuple(0, QString("off\n"))) << "round " << round;
    }
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_EQ(murctl({"autostart", "sometimes"}, env).status, 2);
    EXPECT_TRUE(QRegularExpression("^murctl \\d+\\.\\d+\\.\\d+\\n$").match(murctl({"--version"}).out).hasMatch());
}

// A program in a folder whose name needs quoting is quoted as desktop entries want it.
TEST(MurctlAutostart, QuotesAProgramPathThatNeedsIt) {
    const QString folder = mtest::freshDir("autostart-quoting") + "/my $tools";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(mtest::builtProgram("murctl"), folder + "/murctl"));
    ASSERT_TRUE(mtest::writeFile(folder + "/muralo32", "#!/bin/sh\n"));
    QFile::setPermissions(folder + "/muralo32", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", folder + "/config");
    const MurctlRun on = murctl({"autostart", "on"}, env, folder + "/murctl");
    EXPECT_EQ(on.status, 0) << on.err.toStdString();
    EXPECT_EQ(execLine(folder + "/config/autostart/muralo32.desktop"),
              "\"" + QString(folder).replace("$", "\\\\$") + "/muralo32\"");
}
