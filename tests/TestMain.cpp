// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <utility>

int main(int argc, char** argv) {
    // Settings, Qt's own config and temporary files all go to a folder of this run.
    QTemporaryDir home(QDir::tempPath() + "/muralo-test-XXXXXX");
    if (!home.isValid()) return 2;
    qputenv("MURALO_TEST_HOME", home.path().toLocal8Bit());
    const std::pair<const char*, const char*> folders[] = {
        {"XDG_CONFIG_HOME", "config"}, {"XDG_RUNTIME_DIR", "runtime"}, {"TMPDIR", "tmp"}};
    for (const auto& [variable, name] : folders) {
        const QString path = home.path() + "/" + name;
        QDir().mkpath(path);
        // Private, as Qt requires of the runtime folder.
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(variable, path.toLocal8Bit());
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
