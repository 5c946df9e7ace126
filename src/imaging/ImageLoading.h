// SPDX-License-Identifier: MIT
#pragma once

#include "Picbuf.h"

#include <Magick++.h>

#include <atomic>
#include <string>

// Reading an image file: the header checks made before any pixel memory is taken,
// then the decode. Failures throw PicbufError.
namespace imageloading {

// What a header-only read tells about a file.
struct Probe {
    Magick::Blob blob;  // the whole file
    std::string magick; // the library's name of the decoder that read the header
    Picbuf::Format format = Picbuf::AnyFormat;
    int count = 0;
    unsigned width = 0;
    unsigned height = 0;
};

// Reads the file and its header. Refuses files that are missing, empty, larger than a
// wallpaper program should hold, in a format this program does not read, or whose
// sides or pixel count are out of range. Picbuf::Tga forces the TGA decoder.
Probe readHeader(const std::string& path, Picbuf::Format format, const std::atomic<bool>& aborted);

// Decodes image `number` of the file. A JPEG larger than hintWidth x hintHeight
// decodes at a reduced size no smaller than that (0 x 0: full size). The file's bytes
// are let go once decoded.
Magick::Image decode(Probe& probe, int number, int hintWidth, int hintHeight);

// Brings a decoded image to the forms the rest of the program works in: RGB, palettes
// of at most 256 entries, greyscale as an 8-bit grey palette.
void normalise(Magick::Image& image);

} // namespace imageloading
