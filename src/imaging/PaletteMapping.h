// SPDX-License-Identifier: MIT
#pragma once

#include <Magick++.h>

#include <cstdint>
#include <vector>

// Palette work the library has no call for: exact palettes, nearest-entry mapping and
// growing a palette without touching the pixels.
namespace palettemapping {

// 0xRRGGBB of a pixel, and a fully opaque pixel of an 0xRRGGBB colour.
std::uint32_t packed(const MagickLib::PixelPacket& pixel);
MagickLib::PixelPacket unpacked(std::uint32_t rgb);

// The image's palette entries; empty for a true-colour image.
std::vector<MagickLib::PixelPacket> paletteOf(const Magick::Image& image);

// Gives the image exactly this palette, entry for entry, and points every pixel at
// its nearest entry. Pixels whose colour is in the palette keep it exactly.
void remapToPalette(Magick::Image& image, const std::vector<MagickLib::PixelPacket>& palette);

// `entries` greys from black to white.
std::vector<MagickLib::PixelPacket> greyRamp(unsigned entries);

// Grows a palette to `entries` without touching any pixel: the new entries are unused
// and take the colours of `fill` in turn, then black.
void growPalette(Magick::Image& image, unsigned entries, const std::vector<std::uint32_t>& fill);

// 1, 4 or 8: the bits per pixel a palette of this many colours needs.
int depthForColours(unsigned colours);

} // namespace palettemapping
