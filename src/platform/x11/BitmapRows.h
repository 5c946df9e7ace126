// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The pixels of an uncompressed Windows bitmap (1, 4, 8, 24 or 32 bits per pixel) read
// in place from the file's bytes, a row at a time, without decoding the whole picture.
class BitmapRows {
public:
    // Nothing when the bytes are not such a bitmap or are cut short: the caller then
    // decodes the file the general way.
    static std::optional<BitmapRows> parse(const unsigned char* data, std::size_t size);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // count pixels of row y (0 is the top), from column x, as RGB triplets into out.
    void rgbRow(int y, int x, int count, std::uint8_t* out) const;

private:
    const unsigned char* m_pixels = nullptr;
    std::size_t m_stride = 0;
    int m_width = 0;
    int m_height = 0;
    int m_bits = 0;
    bool m_topDown = false;
    std::vector<std::uint32_t> m_palette; // 0xRRGGBB
};
