// SPDX-License-Identifier: MIT
#include "gui/filedlg/ImagePreview.h"

#include "gui/PicbufImage.h"
#include "gui/filedlg/PreviewMonitor.h"
#include "imaging/Picbuf.h"
#include "wallpaper/WallpaperEngine.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Large enough for the monitor's screen at twice its size, so a 24-megapixel JPEG decodes at
// an eighth of its size and the preview stays instant.
constexpr int kHintWidth = 240;
constexpr int kHintHeight = 180;

bool isAnimated(Picbuf& control) {
    if (control.imageFormat() != Picbuf::Gif) return false;
    try {
        return control.imageCount() > 1;
    } catch (const PicbufError&) {
        return false;
    }
}

} // namespace

ImagePreview previewImage(const QString& path, int screenDepth) {
    ImagePreview preview;
    if (path.isEmpty() || !QFileInfo(path).isFile()) return preview;
    Picbuf control;
    control.setFileName(QFile::encodeName(path).toStdString());
    control.setImageFormat(Picbuf::AnyFormat);
    control.setLoadSizeHint(kHintWidth, kHintHeight);
    try {
        control.load();
    } catch (const PicbufError&) {
        // The facts line below says what little is known.
    }
    const int depth = control.colorDepth();
    preview.size = QSize(control.fileWidth(), control.fileHeight());
    preview.status = QStringLiteral("%1x%2x%3 Colors")
                         .arg(preview.size.width())
                         .arg(preview.size.height())
                         .arg(qulonglong(1) << depth);
    if (!control.hasImage()) return preview;
    try {
        // Two black entries would show a two-colour picture as all black.
        if (depth == 1 && control.paletteColor(0) == 0 && control.paletteColor(1) == 0)
            control.setPaletteColor(1, 0xFFFFFF);
        if (screenDepth < depth) WallpaperEngine::reduceToScreenColours(control, screenDepth);
        const QRect place = PreviewMonitor::pictureRect(preview.size.width(), preview.size.height());
        preview.picture = toQImage(control.makeBitmap());
        // The dialog keeps only what it draws (at twice the size, for a sharp picture).
        if (preview.picture.width() > 2 * place.width() || preview.picture.height() > 2 * place.height())
            preview.picture = preview.picture.scaled(2 * place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } catch (const PicbufError&) {
        preview.picture = QImage();
    }
    preview.animated = isAnimated(control);
    return preview;
}
