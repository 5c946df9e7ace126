// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The queue list's state pictures and the tray pictures, drawn rather than shipped
// so they stay sharp at any size.
class ImageList {
public:
    enum Index {
        Folder = 0,
        TiledNotResized = 1,
        SingleResized = 2,
        SingleNotResized = 3,
        Unknown = 4,
        TiledResized = 5,
        ScreenSaverOn = 7,
        ScreenSaverOff = 8,
        TimerOn = 9,
        TimerOff = 10,
        ChangeWallpaper = 11,
        ClearScreen = 12,
    };
    static constexpr int kCount = 13;

    // A transparent square of the given side with picture index drawn into it; index 6 and
    // anything out of range give an empty picture.
    static QPixmap picture(int index, int size = 16);
    static QIcon icon(int index);
    // The six list state icons, index = display state.
    static QList<QIcon> stateIcons();
};
