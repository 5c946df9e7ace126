// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char** argv) {
    // Settings, Qt's own config and temporary files all go to a folder of this run.
    QTemporaryDir home(QDir::tempPath() + "/muralo-test-XXXXXX");
    if (!home.isValid()) return 2;
    const QByteArray root = home.path().toLocal8Bit();
    QDir(home.path()).mkpath("config");
    QDir(home.path()).mkpath("runtime");
    QDir(home.path()).mkpath("tmp");
    QFile::setPermissions(home.path() + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    setenv("TMPDIR", (root + "/tmp").constData(), 1);
    setenv("MURALO_TEST_HOME", root.constData(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
