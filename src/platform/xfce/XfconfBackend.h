// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/DesktopBackend.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The XFCE desktop's wallpaper, set through xfconf-query on the xfce4-desktop channel.
// XFCE keeps one backdrop per monitor and workspace; every one of them is set.
class XfconfBackend : public DesktopBackend {
public:
    explicit XfconfBackend(QString program = QStringLiteral("xfconf-query"));

    QString name() const override { return QStringLiteral("xfce"); }
    bool setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) override;
    bool clearWallpaper(std::uint32_t background, QString* error) override;
    QString currentWallpaper() override;
    // xfdesktop reloads a backdrop only when its path changes.
    bool needsFreshPath() const override { return true; }

    // Values of a backdrop's image-style property, as xfdesktop reads them.
    enum class ImageStyle { None = 0, Centred = 1, Tiled = 2 };

private:
    bool run(const QStringList& arguments, QString* output, QString* error) const;
    // The property paths up to ".../", one per backdrop that has a last-image.
    bool backdrops(QStringList* prefixes, QString* error) const;
    bool setStyle(const QString& prefix, ImageStyle style, QString* error) const;

    QString m_program;
};
