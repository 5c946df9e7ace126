// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/DesktopBackend.h"

#include <QString>

#include <cstdint>

// KDE Plasma's wallpaper, set by a desktop script that plasmashell runs for us over D-Bus.
class PlasmaBackend : public DesktopBackend {
public:
    QString name() const override { return QStringLiteral("kde"); }
    bool setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) override;
    bool clearWallpaper(std::uint32_t background, QString* error) override;
    // Read from Plasma's own configuration file, since the script interface returns nothing.
    QString currentWallpaper() override;
    // Plasma keeps the picture it loaded while the path stays the same.
    bool needsFreshPath() const override { return true; }

    // FillMode values of Plasma's image wallpaper.
    enum class FillMode { Tiled = 3, Centred = 6 };

    // The desktop scripts, exposed so that their quoting can be checked.
    // The colour behind a centred picture, and of a cleared desktop, is the user's own: the
    // scripts never write one.
    static QString setScript(const QString& bitmapPath, bool tiled);
    static QString clearScript();
    // Sends a script to plasmashell on the session bus.
    static bool evaluateScript(const QString& script, QString* error);
};
