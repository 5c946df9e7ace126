// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// One desktop environment's way of showing a wallpaper. Colours are 0xRRGGBB.
class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;

    // Short name for messages and the backend setting ("x11", "gnome", "xfce", "kde", "fake").
    virtual QString name() const = 0;

    // Shows the bitmap file as the wallpaper: tiled from the top-left corner, or once,
    // centred on the background colour. False with *error set when the desktop refused.
    virtual bool setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) = 0;

    // As setWallpaper, for a caller that holds the bitmap file's bytes, just written: a desktop
    // that draws the pixels itself takes them from memory instead of reading the file back.
    virtual bool setWallpaperBitmap(const QString& bitmapPath, const QByteArray& bitmapBytes, bool tiled,
                                    std::uint32_t background, QString* error) {
        (void)bitmapBytes;
        return setWallpaper(bitmapPath, tiled, background, error);
    }

    // Removes the wallpaper; the desktop shows the background colour alone.
    virtual bool clearWallpaper(std::uint32_t background, QString* error) = 0;

    // The image file the desktop shows now, as the desktop reports it; empty when none.
    virtual QString currentWallpaper() = 0;

    // True when the desktop reloads a wallpaper only when its path changes, so the
    // bitmap must alternate between two file names.
    virtual bool needsFreshPath() const { return false; }

    // Whether the desktop can show a wallpaper picture this big; asked before an image is
    // decoded, so a picture it would refuse costs no work.
    virtual bool acceptsPicture(int width, int height) const { return width > 0 && height > 0; }
};
