// SPDX-License-Identifier: MIT
// WallpaperEngine: the facts and thumbnail kept in a queue record, and the picture of the desktop.
#include "WallpaperEngine.h"

#include "queue/FileAge.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "wallpaper/ScopedFlag.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// Scratch file in the temporary folder that a thumbnail passes through on its way into
// or out of a queue record: the imaging library reads and writes only files. Nothing
// else relies on the name.
const QString kThumbnailScratchName = QStringLiteral("~tempfil.tmp");

QString thumbnailScratch(const AppContext& app) {
    return app.tempFolder + QStringLiteral("/") + kThumbnailScratchName;
}

// Queue records keep image sides as 16-bit numbers; a larger side is kept as the largest.
std::int16_t recordedSide(int side) {
    return static_cast<std::int16_t>(std::min(side, 32767));
}

} // namespace

void WallpaperEngine::makeThumbnail(Picbuf& source, Picbuf& work, const QString& imagePath, QueueEntry& entry) {
    if (m_queue.busy() || !source.hasImage()) return;
    ScopedFlag busy([this](bool on) { m_queue.setBusy(on); });

    entry.setBitsPerPixel(static_cast<std::int8_t>(source.colorDepth()));
    const int w = source.fileWidth() ? source.fileWidth() : source.width();
    const int h = source.fileHeight() ? source.fileHeight() : source.height();
    const rendermath::Size thumb = rendermath::thumbnailSize(w, h);
    source.setAssignMode(Picbuf::AssignMode::Copy);
    work.createImage(source.colorDepth(), std::max(1, thumb.width), std::max(1, thumb.height));
    work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
    work.setResizeFilter(Picbuf::ResizeFilter::Lanczos);
    work.assignFrom(source);

    // The record holds a fixed number of thumbnail bytes: lower the quality until it fits.
    const QString scratch = thumbnailScratch(m_app);
    work.setFileName(nativePath(scratch));
    work.setImageFormat(Picbuf::Jpeg);
    int quality = 95;
    qint64 size = 0;
    do {
        work.setWriteCompression(quality);
        work.store();
        quality -= 5;
        size = QFileInfo(scratch).size();
    } while (size > qint64(qu3::entry::kThumbnailSize) && quality >= 5);

    entry.setWidth(recordedSide(w));
    entry.setHeight(recordedSide(h));
    entry.setFactsKnown(1);
    QFile file(scratch);
    if (file.open(QIODevice::ReadOnly)) entry.setThumbnail(file.read(qint64(qu3::entry::kThumbnailSize)));
    file.close();
    QFile::remove(scratch);
    entry.setFileDate(fileage::of(imagePath));
    m_factsChanged = true;
}

bool WallpaperEngine::showStoredThumbnail(Picbuf& control) {
    if (m_queue.busy()) return false;
    ScopedFlag busy([this](bool on) { m_queue.setBusy(on); });
    const QString scratch = thumbnailScratch(m_app);
    {
        QFile file(scratch);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        file.write(m_queue.entry().thumbnail());
    }
    control.setFileName(nativePath(scratch));
    control.setImageFormat(Picbuf::Jpeg);
    bool ok = true;
    try {
        control.load();
    } catch (const PicbufError&) {
        ok = false;
    }
    QFile::remove(scratch);
    return ok && control.hasImage();
}

PicbufBitmap WallpaperEngine::desktopThumbnail(const PicbufBitmap* screenGrab) {
    PicbufBitmap result;
    try {
        if (screenGrab) {
            m_loader.loadBitmap(*screenGrab);
        } else {
            // Where the screen cannot be read back, the wallpaper image itself stands in for it.
            const QString current = currentSourceImage();
            if (QFileInfo(current).isFile()) {
                m_loader.setFileName(current.toStdString());
                m_loader.setImageFormat(Picbuf::AnyFormat);
                m_loader.setLoadSizeHint(rendermath::kThumbnailWidth, rendermath::kThumbnailHeight);
                m_loader.load();
                m_loader.setLoadSizeHint(0, 0);
            }
        }
        if (m_loader.hasImage()) {
            m_work.createImage(24, rendermath::kThumbnailWidth, rendermath::kThumbnailHeight);
            m_work.setAssignMode(Picbuf::AssignMode::ScaleToSize);
            m_work.setResizeFilter(Picbuf::ResizeFilter::Lanczos);
            m_work.assignFrom(m_loader);
            result = m_work.makeBitmap();
        }
    } catch (const std::exception&) {
        result = PicbufBitmap();
    }
    m_loader.setLoadSizeHint(0, 0);
    m_work.setAssignMode(Picbuf::AssignMode::Copy);
    m_loader.release();
    m_work.release();
    return result;
}
