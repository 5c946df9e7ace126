// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A plain pixel buffer that crosses the boundary between the imaging layer and the
// GUI: rows top-down, no padding, 8 bits per channel. Rgba32 matches
// QImage::Format_RGBA8888 and Rgb24 QImage::Format_RGB888, so the GUI can wrap the
// bytes without the imaging layer knowing Qt.
struct PicbufBitmap {
    enum class Layout { Rgba32, Rgb24 };

    int width = 0;
    int height = 0;
    Layout layout = Layout::Rgba32;
    std::vector<std::uint8_t> bytes;

    int bytesPerPixel() const { return layout == Layout::Rgba32 ? 4 : 3; }
    std::size_t stride() const { return static_cast<std::size_t>(width) * bytesPerPixel(); }
    bool isNull() const { return width <= 0 || height <= 0; }
};
