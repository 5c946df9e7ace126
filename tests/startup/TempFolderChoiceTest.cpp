// SPDX-License-Identifier: MIT
#include "startup/StartUp.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void setMode(const QString& path, mode_t mode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

} // namespace

// A folder of one's own is taken as it is; one that others can write to gets a private folder
// inside; a folder that is missing or cannot be written to is refused with the reason.
TEST(TempFolderChoice, OwnFoldersAsTheyAreSharedOnesWithAPrivateFolderInside) {
    const QString own = mtest::freshDir("tempchoice-own");
    setMode(own, 0755);
    EXPECT_EQ(checkTempFolder(own).folder, QDir::toNativeSeparators(own + "/"));
    EXPECT_EQ(checkTempFolder(own + "/").folder, QDir::toNativeSeparators(own + "/"));

    const QString shared = mtest::freshDir("tempchoice-shared");
    setMode(shared, 01777);
    const QString inside = shared + "/muralo32-" + QString::number(::getuid());
    EXPECT_EQ(checkTempFolder(shared).folder, QDir::toNativeSeparators(inside + "/"));
    // A link planted in its place is not followed.
    const QString trap = mtest::freshDir("tempchoice-trap");
    setMode(trap, 0777);
    ASSERT_TRUE(
        QFile::link(mtest::freshDir("tempchoice-elsewhere"), trap + "/muralo32-" + QString::number(::getuid())));
    EXPECT_TRUE(checkTempFolder(trap).folder.isEmpty());
    EXPECT_TRUE(checkTempFolder(trap).problem.startsWith("No private folder can be made in "));

    const TempFolderChoice missing = checkTempFolder(own + "/gone");
    EXPECT_TRUE(missing.folder.isEmpty());
    EXPECT_EQ(missing.problem, "The folder " + QDir::toNativeSeparators(own + "/gone") + " does not exist.");
    EXPECT_TRUE(checkTempFolder(QString()).folder.isEmpty());
    if (::geteuid() != 0) { // the superuser writes anywhere
        const QString locked = mtest::freshDir("tempchoice-locked");
        setMode(locked, 0555);
        EXPECT_EQ(checkTempFolder(locked).problem,
                  "You cannot write to the folder " + QDir::toNativeSeparators(locked) + ".");
        setMode(locked, 0755);
    }
}
