// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/DesktopBackend.h"

#include <QString>

#include <cstdint>

typedef struct _GSettings GSettings;

namespace platform {

// In a namespace because GIO itself declares a global type of this name.
// The GNOME family's wallpaper, kept in GSettings: GNOME and Budgie, Cinnamon, MATE.
class GSettingsBackend : public DesktopBackend {
public:
    enum class Flavour { Gnome, Cinnamon, Mate };

    explicit GSettingsBackend(Flavour flavour);
    ~GSettingsBackend() override;
    GSettingsBackend(const GSettingsBackend&) = delete;
    GSettingsBackend& operator=(const GSettingsBackend&) = delete;

    // False with *error set when the desktop's settings schema is not installed; every
    // other call then fails with the same message.
    bool isAvailable(QString* error = nullptr) const;

    QString name() const override;
    bool setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) override;
    bool clearWallpaper(std::uint32_t background, QString* error) override;
    QString currentWallpaper() override;
    // dconf announces no change when the same path is set again, so the desktop would
    // keep showing the old picture.
    bool needsFreshPath() const override { return true; }

    static const char* schemaId(Flavour flavour);

private:
    bool hasKey(const char* key) const;
    bool setString(const char* key, const QString& value);
    bool fail(QString* error) const;

    Flavour m_flavour;
    GSettings* m_settings = nullptr;
    QString m_error;
};

} // namespace platform
