// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/DesktopBackend.h"

#include <memory>

class X11Connection;

// The wallpaper as a pixmap on the X root window, published the way root-pixmap setters
// share it (_XROOTPMAP_ID and ESETROOT_PMAP_ID), so transparent terminals and compositors
// follow, and the previous setter's pixmap is freed rather than leaked in the server.
//
// One connection is kept for the backend's life; each change adds a short-lived one that
// carries the pixels and whose pixmap the server keeps after it closes.
class X11RootBackend : public DesktopBackend {
public:
    X11RootBackend();
    ~X11RootBackend() override;

    QString name() const override { return QStringLiteral("x11"); }
    bool setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) override;
    bool setWallpaperBitmap(const QString& bitmapPath, const QByteArray& bitmapBytes, bool tiled,
                            std::uint32_t background, QString* error) override;
    bool clearWallpaper(std::uint32_t background, QString* error) override;
    // Our bitmap path while the root still shows the pixmap we made from it; empty otherwise.
    QString currentWallpaper() override;
    bool acceptsPicture(int width, int height) const override;

private:
    // The long-lived connection, opened on first use and again after the display failed to open.
    X11Connection* connection();
    // Draws the bitmap (none: a clear) on a fresh pixmap and makes it the root's wallpaper.
    bool show(const QString& path, const QByteArray* bytes, bool tiled, std::uint32_t background, QString* error);

    std::unique_ptr<X11Connection> m_connection;
};
