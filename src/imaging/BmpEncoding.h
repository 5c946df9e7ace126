// SPDX-License-Identifier: MIT
#pragma once

#include <Magick++.h>

// The true-colour wallpaper bitmap, encoded straight from the image's pixels into the bytes
// of the file: no copy of the image, one buffer, ready for one write.
namespace bmpencoding {

// An uncompressed 24-bit Windows bitmap (40-byte header, rows bottom-up, each padded to four
// bytes) of a true-colour image; transparency is dropped, the colour under it shows.
Magick::Blob trueColour(const Magick::Image& image);

} // namespace bmpencoding
