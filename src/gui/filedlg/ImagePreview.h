// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// What the file dialog shows of an image file: a small picture and a line of facts.
struct ImagePreview {
    // Null when the file is missing or could not be read.
    QImage picture;
    // The image's own size (the picture is decoded smaller when it can be).
    QSize size;
    // "WxHxN Colors"; empty for a missing file.
    QString status;
    // An animated GIF (more than one image in the file).
    bool animated = false;
};

// Reads `path` for the preview on a screen of `screenDepth` bits (1, 2, 4, 8 or 24): pictures
// deeper than the screen are reduced to its colours, as the wallpaper would be. A file that
// cannot be read gives whatever size and depth the imaging control reports, with no message.
ImagePreview previewImage(const QString& path, int screenDepth);
