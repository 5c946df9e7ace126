// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/DesktopBackend.h"

// The wallpaper as a pixmap on the X root window, published the way root-pixmap setters
// share it (_XROOTPMAP_ID and ESETROOT_PMAP_ID), so transparent terminals and compositors
// follow, and the previous setter's pixmap is freed rather than leaked in the server.
class X11RootBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("x11"); }
    bool setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) override;
    bool clearWallpaper(std::uint32_t background, QString* error) override;
    // Our bitmap path while the root still shows the pixmap we made from it; empty otherwise.
    QString currentWallpaper() override;
    bool acceptsPicture(int width, int height) const override;
};
