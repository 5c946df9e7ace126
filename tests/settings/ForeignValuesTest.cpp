// SPDX-License-Identifier: MIT
#include "settings/ForeignValues.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

const QString kUser = QStringLiteral("HKEY_CURRENT_USER");

TEST(ForeignValues, ProvidersMatchWithoutCaseAndUnknownValuesGiveTheDefault) {
    ForeignValues values;
    values.write(kUser, "Control Panel\\Desktop", "tilewallpaper", "1"); // nothing registered: dropped
    EXPECT_EQ(values.read(kUser, "Control Panel\\Desktop", "tilewallpaper", "0"), u"0");

    QString tile = "0";
    values.registerValue(
        ForeignValues::desktopKey(), "TileWallpaper", [&tile] { return std::optional<QString>(tile); },
        [&tile](const QString& text) { tile = text; });
    values.write(kUser, "control panel\\DESKTOP", "tilewallpaper", "1");
    EXPECT_EQ(tile, u"1");
    EXPECT_EQ(values.read(kUser, "Control Panel\\Desktop\\", "TILEWALLPAPER", "x"), u"1");
    // A different key with the same value name is a different value.
    EXPECT_EQ(values.read(kUser, ForeignValues::mouseKey(), "tilewallpaper", "x"), u"x");

    // A provider without a value gives the default; registering again replaces it.
    values.registerValue(ForeignValues::desktopKey(), "Wallpaper", [] { return std::optional<QString>(); });
    EXPECT_EQ(values.read(kUser, ForeignValues::desktopKey(), "Wallpaper", "def"), u"def");
    values.registerValue(ForeignValues::desktopKey(), "wallpaper", [] { return std::optional<QString>("/w.bmp"); });
    EXPECT_EQ(values.read(kUser, ForeignValues::desktopKey(), "Wallpaper", "def"), u"/w.bmp");
}

TEST(ForeignValues, SystemInformationProgramIsLookedUpAtEachRead) {
    const QString bin = mtest::freshDir("sysinfo");
    ForeignValues values;
    values.registerSystemInformation({bin});
    const auto path = [&values] {
        return values.read("HKEY_LOCAL_MACHINE", ForeignValues::systemInformationKey(), "Path", "none");
    };
    EXPECT_EQ(path(), u"none");

    for (const QString name : {"inxi", "lshw", "hardinfo"})
        ASSERT_TRUE(mtest::writeFile(bin + "/" + name, "#!/bin/sh\n"));
    for (const QString name : {"inxi", "lshw"})
        ASSERT_TRUE(QFile::setPermissions(bin + "/" + name, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // inxi is preferred to lshw; a file that cannot be run does not count.
    EXPECT_EQ(path(), bin + "/inxi");
}

} // namespace
