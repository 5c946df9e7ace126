// SPDX-License-Identifier: MIT
#pragma once

#include "Resample.h"

#include <cstddef>
#include <functional>

// Decoding a large colour JPEG for a smaller picture: libjpeg decodes at the smallest of
// its M/8 scales that is still at least the size wanted, and one Lanczos pass makes the
// size wanted. The general decoder only knows the 1/2, 1/4 and 1/8 scales, and so often
// decodes several times the pixels needed.
namespace jpegscaled {

// Where the picture goes.
struct Sink {
    // Told the picture's size before any row; false gives up the decode.
    std::function<bool(int width, int height)> begin;
    // Row y as RGB triplets; called from two threads at once, never twice for one row.
    resample::RowSink row;
};

// Makes the picture of width x height from the JPEG in data and hands it to sink. A target of
// the file's own shape is made exactly; another shape gets the file's shape at the least
// size that covers the target, so that nothing is distorted before the caller's own resize.
// False, with nothing or only part handed over, when the file is not a three-channel (YCbCr or
// RGB) JPEG, is not larger than the target, or libjpeg stops with an error: the caller then
// decodes the general way.
bool decode(const unsigned char* data, std::size_t size, int width, int height, const Sink& sink);

} // namespace jpegscaled
