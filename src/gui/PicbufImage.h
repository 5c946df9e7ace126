// SPDX-License-Identifier: MIT
#pragma once

#include "imaging/PicbufBitmap.h"

#include <QImage>

// Pixels between the imaging library's bitmaps and Qt's images, copied both ways so neither
// side keeps a pointer into the other's memory.
QImage toQImage(const PicbufBitmap& bitmap);
PicbufBitmap toPicbufBitmap(const QImage& image);
