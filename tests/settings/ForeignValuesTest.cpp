// SPDX-License-Identifier: MIT
#include "settings/ForeignValues.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

const QString kUser = QStringLiteral("HKEY_CURRENT_USER");

TEST(ForeignValues, UnknownValuesGiveTheDefaultAndIgnoreWrites) {
    ForeignValues values;
    EXPECT_EQ(values.read(kUser, "Control Panel\\Mouse", "DoubleClickSpeed", "500"), u"500");
    values.write(kUser, "Control Panel\\Desktop", "tilewallpaper", "1"); // nothing registered: no effect, no crash
    EXPECT_EQ(values.read(kUser, "Control Panel\\Desktop", "tilewallpaper", "0"), u"0");
}

TEST(ForeignValues, ProvidersMatchWithoutCase) {
    ForeignValues values;
    QString tile = "0";
    values.registerValue(
        ForeignValues::desktopKey(), "TileWallpaper", [&tile] { return std::optional<QString>(tile); },
        [&tile](const QString& text) { tile = text; });
    values.write(kUser, "control panel\\DESKTOP", "tilewallpaper", "1");
    EXPECT_EQ(tile, u"1");
    EXPECT_EQ(values.read(kUser, "Control Panel\\Desktop\\", "TILEWALLPAPER", "x"), u"1");
    // A different key with the same value name is a different value.
    EXPECT_EQ(values.read(kUser, ForeignValues::mouseKey(), "tilewallpaper", "x"), u"x");
}

TEST(ForeignValues, ProviderWithoutValueGivesDefault) {
    ForeignValues values;
    values.registerValue(ForeignValues::desktopKey(), "Wallpaper", [] { return std::optional<QString>(); });
    EXPECT_EQ(values.read(kUser, ForeignValues::desktopKey(), "Wallpaper", QString()), QString());
    values.registerValue(ForeignValues::desktopKey(), "wallpaper", [] { return std::optional<QString>("/w.bmp"); });
    EXPECT_EQ(values.read(kUser, ForeignValues::desktopKey(), "Wallpaper", QString()), u"/w.bmp");
}

TEST(ForeignValues, SystemInformationProgramFoundOnSearchPath) {
    const QString empty = mtest::freshDir("nosysinfo");
    EXPECT_EQ(ForeignValues::findSystemInformationProgram({empty}), QString());

    const QString bin = mtest::freshDir("sysinfo");
    const QString inxi = bin + "/inxi";
    const QString lshw = bin + "/lshw";
    const QString notExecutable = bin + "/hardinfo";
    for (const QString& path : {inxi, lshw, notExecutable})
        ASSERT_TRUE(mtest::writeFile(path, "#!/bin/sh\n"));
    ASSERT_TRUE(QFile::setPermissions(inxi, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(lshw, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // inxi is preferred to lshw; a file that cannot be run does not count.
    EXPECT_EQ(ForeignValues::findSystemInformationProgram({bin}), inxi);

    ForeignValues values;
    values.registerSystemInformation({bin});
    EXPECT_EQ(values.read("HKEY_LOCAL_MACHINE", ForeignValues::systemInformationKey(), "Path", QString()), inxi);
    ForeignValues none;
    none.registerSystemInformation({empty});
    EXPECT_EQ(none.read("HKEY_LOCAL_MACHINE", ForeignValues::systemInformationKey(), "Path", QString()), QString());
}

} // namespace
