// SPDX-License-Identifier: MIT
#pragma once

#include "wallpaper/DesktopBackend.h"

#include <QString>

#include <cstdint>
#include <vector>

// A desktop that only remembers what it was asked to do, for tests of the wallpaper engine.
class FakeDesktopBackend : public DesktopBackend {
public:
    struct Call {
        enum class Kind { Set, Clear };
        Kind kind = Kind::Set;
        QString path; // empty for a clear
        bool tiled = false;
        std::uint32_t background = 0;
        bool succeeded = true;
    };

    QString name() const override { return QStringLiteral("fake"); }
    bool setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t background, QString* error) override;
    bool clearWallpaper(std::uint32_t background, QString* error) override;
    QString currentWallpaper() override { return m_current; }
    bool needsFreshPath() const override { return m_needsFreshPath; }
    bool acceptsPicture(int width, int height) const override {
        return width > 0 && height > 0 && (m_maxPixels == 0 || qint64(width) * height <= m_maxPixels);
    }

    // Makes only the next set or clear fail with this message; the desktop then stays as it was.
    void failNextCall(const QString& message) { m_failMessage = message; }
    // What currentWallpaper() answers, as if someone else had changed the wallpaper.
    void setCurrentWallpaper(const QString& path) { m_current = path; }
    void setNeedsFreshPath(bool needs) { m_needsFreshPath = needs; }
    // The largest picture it takes, in pixels; 0 for any size.
    void setMaxPixels(qint64 pixels) { m_maxPixels = pixels; }

    int clearCount() const;

    std::vector<Call> calls;

private:
    bool takeFailure(QString* error);

    QString m_current;
    QString m_failMessage;
    bool m_needsFreshPath = false;
    qint64 m_maxPixels = 0;
};
