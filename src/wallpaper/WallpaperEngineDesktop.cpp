// SPDX-License-Identifier: MIT
// WallpaperEngine: putting the rendered picture on the desktop, and clearing it.
#include "WallpaperEngine.h"

#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "wallpaper/DesktopBackend.h"
#include "wallpaper/ScopedFlag.h"
#include "wallpaper/SoundOutput.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kNone = QStringLiteral("(None)");

} // namespace

QString WallpaperEngine::alternateBitmapPath() const {
    const QFileInfo info(m_app.wallpaperBitmap);
    return info.path() + QStringLiteral("/") + info.completeBaseName() + QStringLiteral("-alt.bmp");
}

QString WallpaperEngine::bitmapPathForWrite() const {
    return m_useAlternate ? alternateBitmapPath() : m_app.wallpaperBitmap;
}

bool WallpaperEngine::isWallpaperBitmap(const QString& path) const {
    return path.compare(m_app.wallpaperBitmap, Qt::CaseInsensitive) == 0 ||
           path.compare(alternateBitmapPath(), Qt::CaseInsensitive) == 0;
}

void WallpaperEngine::applyWallpaper() {
    if (m_applyInProgress) return;
    ScopedFlag inProgress(m_applyInProgress);
    if (!m_loader.hasImage()) {
        m_app.updating = false;
        if (m_lastOutcome == Outcome::None) m_lastOutcome = Outcome::RenderFailed;
        return;
    }
    const QueueHeader& header = m_queue.header();
    m_tileChoice = header.folderQueue() != 0 ? header.tiled() : m_entry.tiled();
    m_writer.setAssignMode(Picbuf::AssignMode::Copy);
    m_writer.assignFrom(m_loader);
    // The writer shares the picture; holding it twice would keep it alive while the desktop works.
    m_loader.release();
    playChangeSound();
    pump();
    if (m_closing) return;
    writeWallpaperBitmap();
}

void WallpaperEngine::playChangeSound() {
    const QueueEntry& entry = m_entry;
    QString sound;
    if (m_queue.header().folderQueue() != 0 || entry.soundOption() == qu3::DefaultSound)
        sound = m_queue.workingDefaultSound;
    else if (entry.soundOption() == qu3::OwnSound)
        sound = entry.soundPath().trimmed();
    const qint64 size = sound.isEmpty() ? 0 : QFileInfo(sound).size();
    if (size > SoundOutput::kMaxFileBytes) {
        m_notice =
            QStringLiteral("The sound %1 was not played: at %2 MB it is larger than the %3 MB a change may play.")
                .arg(sound)
                .arg(size / (1024 * 1024))
                .arg(SoundOutput::kMaxFileBytes / (1024 * 1024));
        return;
    }
    if (!sound.isEmpty() && m_services.sound) m_services.sound->play(sound);
}

void WallpaperEngine::writeWallpaperBitmap() {
    if (!m_writer.hasImage()) return;
    const QString bitmap = bitmapPathForWrite();
    // The bytes written stay at hand for a desktop that draws the pixels itself.
    Magick::Blob written;
    {
        ScopedFlag busy(m_wallpaperBusy);
        m_writer.setFileName(nativePath(bitmap));
        m_writer.setImageFormat(Picbuf::Bmp);
        m_writer.setWriteCompression(0);
        try {
            m_writer.store(&written);
        } catch (...) {
            m_writer.release();
            throw;
        }
        m_writer.release();
    }
    if (!m_services.desktop) {
        reportFailure(QStringLiteral("No desktop to show the wallpaper on."));
        return;
    }
    QString error;
    const QByteArray bytes =
        QByteArray::fromRawData(static_cast<const char*>(written.data()), static_cast<qsizetype>(written.length()));
    if (!m_services.desktop->setWallpaperBitmap(bitmap, bytes, m_tileChoice != 0, m_services.background, &error)) {
        reportFailure(QStringLiteral("The desktop did not take the wallpaper: ") + error);
        return;
    }
    m_lastOutcome = Outcome::Applied;
    if (m_services.desktop->needsFreshPath()) m_useAlternate = !m_useAlternate;
}

void WallpaperEngine::clearScreen() {
    if (m_telling) return;
    m_lastOutcome = Outcome::None;
    m_lastError.clear();
    m_currentImageText = kNone;
    if (m_services.settings) m_services.settings->write(QStringLiteral("filealias"), kNone);
    QFile::remove(m_app.wallpaperBitmap);
    QFile::remove(alternateBitmapPath());
    QString error;
    if (m_services.desktop && !m_services.desktop->clearWallpaper(m_services.background, &error))
        reportFailure(QStringLiteral("The desktop did not clear the wallpaper: ") + error);
    else if (!m_services.desktop)
        reportFailure(QStringLiteral("No desktop to clear."));
    else
        m_lastOutcome = Outcome::Applied;
    // An empty name stops a sound still playing from the last change.
    if (m_services.sound) m_services.sound->play(QString());
    if (m_services.resetCountdown) m_services.resetCountdown();
    tellOutcome();
    resetSelectionIfShown();
}

QString WallpaperEngine::currentSourceImage() {
    QString wallpaper = m_services.desktop ? m_services.desktop->currentWallpaper() : QString();
    if (wallpaper.isEmpty() || !QFileInfo(wallpaper).isFile()) wallpaper = kNone;
    // Our own bitmap stands for the image it was made from, which the settings remember.
    if (isWallpaperBitmap(wallpaper) && m_services.settings)
        return m_services.settings->read(QStringLiteral("FileAlias"), wallpaper);
    return wallpaper;
}
