// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <cstdint>

// The process-wide values that start-up fixes and the rest of the program reads.
struct AppContext {
    static QString applicationTitle() { return QStringLiteral("Muralo32 Wallpaper Manager"); }

    QString title = applicationTitle();
    // Folder of the executable, ending in '/'.
    QString programFolder;
    // The first page of the HTML help.
    QString helpFile;
    // Where the wallpaper bitmap and other work files are written.
    QString tempFolder;
    // tempFolder + "/muralo32.bmp", formed once at start-up.
    QString wallpaperBitmap;
    // Full path of the queue file in use.
    QString queueFile;
    // Screen size when the settings were loaded; not refreshed later.
    std::int16_t screenWidth = 0;
    std::int16_t screenHeight = 0;
    // While set, control handlers that check it do nothing (programmatic control changes).
    bool updating = false;
    // Seeds the random order; fixed once at start-up.
    std::uint32_t randomSeed = 0;
#ifdef Q_OS_WIN
    int windowsPlatform = 0;
    // major * 100 + minor
    int windowsVersion = 0;
#endif
};
