// SPDX-License-Identifier: MIT
#include "wallpaper/ImageDescription.h"

#include "queue/QueueEntry.h"
#include "queue/QueueFormat.h"
#include "queue/QueueHeader.h"
#include "wallpaper/RenderMath.h"

#include <QFileInfo>

namespace imagedescription {

namespace {

QString existingName(const QString& path) {
    const QFileInfo info(path.trimmed());
    return !path.trimmed().isEmpty() && info.isFile() ? info.fileName() : QString();
}

QString rule(const char* prefix, int mode) {
    const QString start = QString::fromLatin1(prefix);
    if (mode == qu3::Proportional) return start + QStringLiteral("resize");
    if (mode == qu3::Stretch) return start + QStringLiteral("stretch");
    return start + QStringLiteral("no resize");
}

} // namespace

ResizeLines resizing(const QueueEntry& entry, const QueueHeader& header, int screenWidth, int screenHeight) {
    const int w = entry.width();
    const int h = entry.height();
    const auto decision = rendermath::resizeDecision(w, h, entry, header, screenWidth, screenHeight);
    const bool ownDefault = entry.resizeMode() == qu3::UseDefault;
    QString target;
    if (decision) {
        const rendermath::Size size = rendermath::resizedSize(w, h, *decision);
        target = QStringLiteral("Resizes to %1x%2").arg(size.width).arg(size.height);
    }
    switch (rendermath::displayState(entry, header, false)) {
    case 1:
    case 5:
        return decision ? ResizeLines{QStringLiteral("Tiled and Resized"), target}
                        : ResizeLines{QStringLiteral("Tiled, not resized"), {}};
    case 2:
        if (!decision) return {QStringLiteral("Not Resized"), {}};
        return {ownDefault ? QStringLiteral("Default (Will Resize)") : QStringLiteral("Resized"), target};
    case 3:
        return {ownDefault ? QStringLiteral("Default (Not Resized)") : QStringLiteral("Not resized"), {}};
    default:
        return {QStringLiteral("Could not be determined"), {}};
    }
}

ResizeLines defaultResizing(const QueueHeader& header) {
    return {rule("Small img: ", header.smallRule().mode), rule("Large img: ", header.largeRule().mode)};
}

QString defaultSound(const QString& path, bool defaultOff) {
    const QString name = defaultOff ? QString() : existingName(path);
    return name.isEmpty() ? QStringLiteral("(None)") : name;
}

QString sound(const QueueEntry& entry, const QString& defaultSoundPath, bool defaultOff, const QString& unchanged) {
    switch (entry.soundOption()) {
    case 0: {
        const QString name = defaultOff ? QString() : existingName(defaultSoundPath);
        return name.isEmpty() ? QStringLiteral("Default (None)") : QStringLiteral("Default ") + name;
    }
    case 1:
        return QStringLiteral("None");
    case 2: {
        const QString name = existingName(entry.soundPath());
        return name.isEmpty() ? QStringLiteral("(None)") : name;
    }
    default:
        return unchanged;
    }
}

QString facts(const QueueEntry& entry) {
    const int bits = entry.bitsPerPixel();
    const qulonglong colours = bits >= 0 && bits < 63 ? (qulonglong(1) << bits) : 0;
    return QStringLiteral("%1x%2x%3 Colors").arg(entry.width()).arg(entry.height()).arg(colours);
}

} // namespace imagedescription
