// SPDX-License-Identifier: MIT
#pragma once

#include "Resample.h"

#include <cstddef>
#include <optional>

// Decoding a large colour JPEG for a smaller picture: libjpeg decodes at the smallest of
// its M/8 scales that is still at least the size wanted, and one Lanczos pass makes the
// size wanted. The general decoder only knows the 1/2, 1/4 and 1/8 scales, and so often
// decodes several times the pixels needed.
namespace jpegscaled {

// The picture of width x height made from the JPEG in data. A target of the file's own
// shape is made exactly; another shape gets the file's shape at the least size that
// covers the target, so that nothing is distorted before the caller's own resize.
// Nothing when the file is not a three-channel (YCbCr or RGB) JPEG, is not larger than the
// target, or libjpeg stops with an error: the caller then decodes the general way.
std::optional<resample::Rgb8> decode(const unsigned char* data, std::size_t size, int width, int height);

} // namespace jpegscaled
