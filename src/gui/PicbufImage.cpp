// SPDX-License-Identifier: MIT
#include "gui/PicbufImage.h"

#include <algorithm>

QImage toQImage(const PicbufBitmap& bitmap) {
    if (bitmap.isNull()) return {};
    const auto format = bitmap.layout == PicbufBitmap::Layout::Rgba32 ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
    return QImage(bitmap.bytes.data(), bitmap.width, bitmap.height, static_cast<qsizetype>(bitmap.stride()), format)
        .copy();
}

PicbufBitmap toPicbufBitmap(const QImage& image) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    PicbufBitmap bitmap;
    bitmap.width = rgba.width();
    bitmap.height = rgba.height();
    bitmap.layout = PicbufBitmap::Layout::Rgba32;
    bitmap.bytes.resize(bitmap.stride() * static_cast<std::size_t>(bitmap.height));
    for (int y = 0; y < rgba.height(); ++y)
        std::copy_n(rgba.constScanLine(y), bitmap.stride(), bitmap.bytes.data() + bitmap.stride() * y);
    return bitmap;
}
